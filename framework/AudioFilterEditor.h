// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class AudioFilterBase;

/** The base of the plug-in's editor: a component bound to the processor
    it was made for. When it goes, it clears the processor's record
    of the open editor. */
class AudioFilterEditor : public juce::Component
{
public:
    explicit AudioFilterEditor (AudioFilterBase* ownerFilter);
    ~AudioFilterEditor() override;

    AudioFilterBase* getOwner() const noexcept { return owner; }

protected:
    AudioFilterBase* const owner;   // not owned; outlives the editor

private:
    JUCE_DECLARE_NON_COPYABLE (AudioFilterEditor)
};
