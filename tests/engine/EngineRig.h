// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "engine/ParameterBlock.h"
#include "engine/VoiceManager.h"

#include <cmath>
#include <memory>
#include <vector>

/** The engine wired up the way the processor wires it: defaults announced
    slot by slot, then notes and blocks. */
struct EngineRig
{
    ParameterBlock parameters;
    std::unique_ptr<VoiceManager> voices = std::make_unique<VoiceManager> (parameters);

    EngineRig()
    {
        for (int i = 0; i < ParameterBlock::slotCount; ++i)
            voices->parameterChanged (i);
    }

    void set (int index, float value)
    {
        parameters.set (index, value);
        voices->parameterChanged (index);
    }

    /** A clean sine voice: both halves "Sin", no bend, no random, no filter,
        sustain at full, unit volume. */
    void makeSine()
    {
        set (14, 1.0f);
        set (15, 1.0f);
        set (0, 0.5f);
        set (7, 0.0f);
        set (1, 0.0f);
        set (17, 0.0f);
        set (10, 1.0f);
        set (12, 1.0f);
    }

    std::vector<float> render (int numSamples)
    {
        std::vector<float> out ((size_t) numSamples, 0.0f);
        voices->render (out.data(), numSamples);
        return out;
    }
};

/** Frequency from the mean spacing of rising zero crossings. */
inline double measuredFrequency (const std::vector<float>& signal, double sampleRate)
{
    std::vector<double> crossings;
    for (size_t i = 1; i < signal.size(); ++i)
        if (signal[i - 1] < 0.0f && signal[i] >= 0.0f)
            crossings.push_back ((double) i - 1.0 + signal[i - 1] / (signal[i - 1] - signal[i]));

    if (crossings.size() < 2)
        return 0.0;
    return sampleRate * (double) (crossings.size() - 1) / (crossings.back() - crossings.front());
}

inline bool allFinite (const std::vector<float>& signal)
{
    for (float s : signal)
        if (! std::isfinite (s))
            return false;
    return true;
}
