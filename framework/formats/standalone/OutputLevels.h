// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <atomic>
#include <cmath>

/** The output's peak, measured in the audio callback and taken by the
    meter on the message thread: two atomics, no lock, no allocation. A
    sample at or beyond full scale (or one that is not a number) counts as a
    clip and stays counted until the meter takes it. */
class OutputLevels
{
public:
    /** Audio thread: measures one block of output. */
    void measure (const float* const* channels, int numChannels, int numSamples) noexcept
    {
        float peak = 0.0f;
        bool clipped = false;
        for (int c = 0; c < numChannels; ++c)
        {
            if (channels[c] == nullptr)
                continue;
            for (int i = 0; i < numSamples; ++i)
            {
                const auto level = std::abs (channels[c][i]);
                if (! (level < 1.0f))   // also true for NaN
                    clipped = true;
                else if (level > peak)
                    peak = level;
            }
        }
        if (clipped)
        {
            peak = 1.0f;
            clip.store (true, std::memory_order_relaxed);
        }

        auto held = highest.load (std::memory_order_relaxed);
        while (peak > held && ! highest.compare_exchange_weak (held, peak, std::memory_order_relaxed))
        {
        }
    }

    /** Message thread: the peak since the last call, 0 to 1. */
    float takePeak() noexcept { return highest.exchange (0.0f, std::memory_order_relaxed); }

    /** Message thread: whether anything clipped since the last call. */
    bool takeClip() noexcept { return clip.exchange (false, std::memory_order_relaxed); }

private:
    std::atomic<float> highest { 0.0f };
    std::atomic<bool> clip { false };
};
