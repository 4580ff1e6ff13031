// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The output gain behind the host's bypass switch (LV2's "enabled" port,
    VST3's Bypass). Bypassing ramps it down to silence and enabling ramps it
    back up, over a few milliseconds each way, so that neither change steps
    the signal. A change that comes mid-ramp turns the ramp around where it
    is. Used on the audio thread only, apart from prepare(). */
class BypassFade
{
public:
    /** Sets the ramp's length for this rate; the gain keeps where it is. */
    void prepare (double sampleRate) noexcept;

    /** Moves the gain towards silence (bypassed) or full level, sample by
        sample, and scales every channel of the buffer with it. */
    void apply (juce::AudioBuffer<float>& buffer, bool bypassed) noexcept;

    static constexpr double fadeSeconds = 0.005;

private:
    float gain = 1.0f;
    float step = 1.0f / (float) (fadeSeconds * 44100.0);
};
