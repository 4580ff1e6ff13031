// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "OutputLevels.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

/** A horizontal output meter from -60 dB to 0 dB with a held peak, and a
    clip lamp that stays lit once the output reached full scale, until it is
    clicked. */
class LevelMeter : public juce::Component,
                   public juce::SettableTooltipClient,
                   private juce::Timer
{
public:
    explicit LevelMeter (OutputLevels& levelsToShow);

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent&) override;

    bool isClipLit() const noexcept { return clipLit; }

private:
    void timerCallback() override;

    static float toProportion (float gain) noexcept;

    OutputLevels& levels;
    float shown = 0.0f;   // gain, falling back gently
    float held = 0.0f;    // the peak hold
    int holdTicks = 0;
    bool clipLit = false;

    JUCE_DECLARE_NON_COPYABLE (LevelMeter)
};
