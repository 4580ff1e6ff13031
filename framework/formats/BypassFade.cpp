// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "BypassFade.h"

void BypassFade::prepare (double sampleRate) noexcept
{
    const double samples = fadeSeconds * (sampleRate > 0.0 ? sampleRate : 44100.0);
    step = (float) (1.0 / juce::jmax (1.0, samples));
}

void BypassFade::apply (juce::AudioBuffer<float>& buffer, bool bypassed) noexcept
{
    const float target = bypassed ? 0.0f : 1.0f;
    const int numSamples = buffer.getNumSamples();
    const int numChannels = buffer.getNumChannels();

    // Settled: full level passes the signal untouched (bit for bit), silence
    // is silence.
    if (gain == target)
    {
        if (bypassed)
            buffer.clear();
        return;
    }

    float* const* channels = buffer.getArrayOfWritePointers();
    for (int i = 0; i < numSamples; ++i)
    {
        gain = bypassed ? juce::jmax (0.0f, gain - step) : juce::jmin (1.0f, gain + step);
        for (int channel = 0; channel < numChannels; ++channel)
            channels[channel][i] *= gain;
    }
}
