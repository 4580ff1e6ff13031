// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <complex>
#include <vector>

/** A plain radix-2 FFT, enough for drawing a spectrogram. */
class Fft
{
public:
    /** size: a power of two, at least 2. */
    explicit Fft (int size);

    int getSize() const noexcept { return size; }

    /** Transforms in place; data holds getSize() values. */
    void perform (std::vector<std::complex<float>>& data) const;

    /** Magnitudes of bins 0 .. size/2 of a real signal, after a Hann window,
        scaled so that a full-scale sine reads about 1. */
    std::vector<float> magnitudes (const float* samples) const;

private:
    int size;
    std::vector<std::complex<float>> twiddles;
    std::vector<float> window;
    float windowGain = 1.0f;
};
