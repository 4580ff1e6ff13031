// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Fft.h"

#include <cmath>
#include <numbers>
#include <utility>

Fft::Fft (int n) : size (n)
{
    twiddles.resize (static_cast<size_t> (size / 2));
    for (int k = 0; k < size / 2; ++k)
        twiddles[static_cast<size_t> (k)] = std::polar (1.0f, static_cast<float> (-2.0 * std::numbers::pi * k / size));

    window.resize (static_cast<size_t> (size));
    double sum = 0.0;
    for (int i = 0; i < size; ++i)
    {
        window[static_cast<size_t> (i)] = static_cast<float> (0.5 - 0.5 * std::cos (2.0 * std::numbers::pi * i / size));
        sum += window[static_cast<size_t> (i)];
    }
    windowGain = static_cast<float> (2.0 / sum);
}

void Fft::perform (std::vector<std::complex<float>>& data) const
{
    const auto n = static_cast<size_t> (size);

    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap (data[i], data[j]);
    }

    for (size_t length = 2; length <= n; length <<= 1)
    {
        const size_t half = length / 2, stride = n / length;
        for (size_t start = 0; start < n; start += length)
            for (size_t k = 0; k < half; ++k)
            {
                const auto t = twiddles[k * stride] * data[start + k + half];
                data[start + k + half] = data[start + k] - t;
                data[start + k] += t;
            }
    }
}

std::vector<float> Fft::magnitudes (const float* samples) const
{
    std::vector<std::complex<float>> data (static_cast<size_t> (size));
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = samples[i] * window[i];
    perform (data);

    std::vector<float> result (static_cast<size_t> (size / 2 + 1));
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = std::abs (data[i]) * windowGain;
    return result;
}
