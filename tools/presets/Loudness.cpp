// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Loudness.h"

#include <cmath>
#include <limits>

namespace
{
    struct Biquad
    {
        double b0, b1, b2, a1, a2;
        double z1 = 0.0, z2 = 0.0;

        double process (double x) noexcept
        {
            const double y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };

    double loudnessOf (double meanSquare)
    {
        return -0.691 + 10.0 * std::log10 (meanSquare);
    }
}

double loudness::integratedOfDualMono (const std::vector<float>& samples)
{
    // The two K-weighting stages at 48 kHz: a high shelf, then a high pass.
    Biquad shelf { 1.53512485958697, -2.69169618940638, 1.19839281085285, -1.69065929318241, 0.73248077421585 };
    Biquad highPass { 1.0, -2.0, 1.0, -1.99004745483398, 0.99007225036621 };

    std::vector<double> squares (samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const double y = highPass.process (shelf.process (samples[i]));
        squares[i] = y * y;
    }

    constexpr size_t blockLength = 19200, step = 4800;   // 400 ms, 100 ms
    std::vector<double> blocks;
    for (size_t start = 0; start + blockLength <= squares.size(); start += step)
    {
        double sum = 0.0;
        for (size_t i = start; i < start + blockLength; ++i)
            sum += squares[i];
        blocks.push_back (2.0 * sum / (double) blockLength);   // both channels
    }

    auto gatedMean = [&] (double gate) {
        double sum = 0.0;
        int count = 0;
        for (const double z : blocks)
            if (z > 0.0 && loudnessOf (z) > gate)
            {
                sum += z;
                ++count;
            }
        return count > 0 ? sum / count : 0.0;
    };

    const double absoluteMean = gatedMean (-70.0);
    if (absoluteMean <= 0.0)
        return -std::numeric_limits<double>::infinity();
    const double relativeMean = gatedMean (loudnessOf (absoluteMean) - 10.0);
    return relativeMean > 0.0 ? loudnessOf (relativeMean) : -std::numeric_limits<double>::infinity();
}
