// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "SoundDistance.h"

#include "Fft.h"

#include <algorithm>
#include <cmath>

namespace
{
    constexpr int fftSize = 4096, hop = 2400;   // 85 ms windows every 50 ms at 48 kHz
    constexpr int bandCount = 24;
    constexpr double lowest = 40.0, highest = 16000.0, sampleRate = 48000.0;
    constexpr float floorDb = -70.0f;
}

sounddistance::Fingerprint sounddistance::fingerprint (const std::vector<float>& samples, double loudnessLufs)
{
    static const Fft fft (fftSize);

    std::vector<int> edges;
    for (int b = 0; b <= bandCount; ++b)
    {
        const double hz = lowest * std::pow (highest / lowest, (double) b / bandCount);
        edges.push_back (std::max (b == 0 ? 1 : edges.back() + 1, (int) std::lround (hz * fftSize / sampleRate)));
    }

    Fingerprint result;
    for (size_t start = 0; start + fftSize <= samples.size(); start += hop)
    {
        const auto magnitudes = fft.magnitudes (samples.data() + start);
        for (int b = 0; b < bandCount; ++b)
        {
            double energy = 0.0;
            for (int bin = edges[(size_t) b]; bin < edges[(size_t) b + 1] && bin < (int) magnitudes.size(); ++bin)
                energy += (double) magnitudes[(size_t) bin] * magnitudes[(size_t) bin];
            const double db = 10.0 * std::log10 (energy + 1e-20) - loudnessLufs;
            result.push_back (std::max (floorDb, (float) db));
        }
    }
    return result;
}

double sounddistance::between (const Fingerprint& a, const Fingerprint& b)
{
    const size_t n = std::min (a.size(), b.size());
    if (n == 0)
        return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i)
        sum += (double) (a[i] - b[i]) * (a[i] - b[i]);
    return std::sqrt (sum / (double) n);
}
