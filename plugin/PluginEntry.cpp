// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "JuceFilter.h"

// The VST 2 adapter's creation function: one new processor per instance.
// It lives alone here because the other formats' wrappers declare a function
// of the same name with their own return type; a build for them leaves this
// file out.
AudioFilterBase* createPluginFilter()
{
    return new JuceFilter();
}
