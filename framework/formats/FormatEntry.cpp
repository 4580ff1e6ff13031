// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "FilterProcessor.h"
#include "plugin/JuceFilter.h"

// The creation function the LV2, VST3 and standalone wrappers call.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new FilterProcessor (std::make_unique<JuceFilter>());
}
