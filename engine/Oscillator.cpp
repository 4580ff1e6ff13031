// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Oscillator.h"

#include "FloatRules.h"
#include "WaveShapes.h"

#include <cmath>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace
{
    constexpr float tableSize = (float) Oscillator::tableLength;
    constexpr float halfSize = (float) Oscillator::halfLength;

    // The largest float below 1: one minus it is still a positive length.
    constexpr float asymmetryLimit = 1.0f - 0x1p-24f;
}

Oscillator::Oscillator() noexcept
{
    setShapes (waveshapes::sine, waveshapes::sine);
}

void Oscillator::setShapes (int positiveShape, int negativeShape) noexcept
{
    if (positiveShape == currentPositiveShape && negativeShape == currentNegativeShape)
        return;

    currentPositiveShape = positiveShape;
    currentNegativeShape = negativeShape;

    const auto& positive = waveshapes::halfCycle (positiveShape);
    const auto& negative = waveshapes::halfCycle (negativeShape);

    for (int i = 0; i < halfLength; ++i)
    {
        waveTable[(size_t) i] = std::fabs (positive[(size_t) i]);
        waveTable[(size_t) (halfLength + i)] = -std::fabs (negative[(size_t) i]);
    }

    // The slope table saves a subtraction per sample; the last entry wraps
    // around to the first point.
    for (int j = 0; j < tableLength; ++j)
        slopeTable[(size_t) j] = waveTable[(size_t) ((j + 1) % tableLength)] - waveTable[(size_t) j];

    for (size_t j = 0; j < (size_t) tableLength; ++j)
    {
        pointPairs[2 * j] = waveTable[j];
        pointPairs[2 * j + 1] = slopeTable[j];
    }
}

int Oscillator::tableIndex (float phase) noexcept
{
    // Round to nearest, ties to even (the default floating-point mode, which
    // the render path pins).
#if defined(__SSE__) || defined(__x86_64__)
    return _mm_cvt_ss2si (_mm_set_ss (phase - 0.5f));
#else
    return (int) std::nearbyint (phase - 0.5f);
#endif
}

float Oscillator::boundedAsymmetry (float x) noexcept
{
    if (x > -asymmetryLimit && x < asymmetryLimit)
        return x;
    if (floatrules::isNaN (x))
        return 0.0f;
    return x > 0.0f ? asymmetryLimit : -asymmetryLimit;
}

float Oscillator::randomValue() noexcept
{
    if (sampleCounter > holdLength)
    {
        // Two interleaved linear congruential streams: the high half of the
        // value comes from stream A, the low half from the top of stream B.
        seedA = seedA * 214013u + 2531011u;
        seedB = seedB * 214013u + 2531011u;
        const std::uint32_t u = (seedA & 0xffff0000u) | (seedB >> 16);
        randomPrevious = randomNext;
        randomNext = (float) ((double) u * 0x1p-32);
        sampleCounter = 0;
    }

    const double t = (double) sampleCounter / (double) (holdLength > 0 ? holdLength : 1);
    return (float) ((1.0 - t) * (double) randomPrevious + t * (double) randomNext);
}

float Oscillator::arpPeriod() noexcept
{
    const bool stepDue = sampleCounter > holdLength;

    switch (arpMode)
    {
        case 1:   // root, octave
            if (stepDue)
                arpDivider = arpDivider >= 2 ? 1 : arpDivider + 1;
            return basePeriod / (float) arpDivider;

        case 2:   // root, octave, octave and a fifth
            if (stepDue)
                arpDivider = arpDivider >= 3 ? 1 : arpDivider + 1;
            return basePeriod / (float) arpDivider;

        default:
            return basePeriod;
    }
}

void Oscillator::updatePitch() noexcept
{
    float p = arpPeriod();
    if (! (p > 0.0f && floatrules::isFinite (p)))
        p = tableSize;   // only reachable with a broken period; keeps the increments finite

    const float r = randomValue();
    const float x = boundedAsymmetry (asymmetry + r * randomDepth * 0.5f);

    firstHalfIncrement = tableSize / ((1.0f + x) * p);
    secondHalfIncrement = tableSize / ((1.0f - x) * p);
    increment = firstHalfIncrement;
}

void Oscillator::render (float* buffer, int count) noexcept
{
    const float* const wave = waveTable.data();
    const float* const slope = slopeTable.data();
    float ph = phase;
    float inc = increment;
    int counter = sampleCounter;

    for (int k = 0; k < count; ++k)
    {
        ++counter;
        const int i = tableIndex (ph);
        const float f = ph - (float) i;
        buffer[k] = f * slope[i] + wave[i];
        ph = ph + inc;

        if (ph >= tableSize)
        {
            sampleCounter = counter;
            updatePitch();
            counter = sampleCounter;
            inc = increment;
            ph = ph - tableSize;

            // Only an increment beyond a whole table gets here; wrap it in one go.
            if (! (ph < tableSize))
                ph = std::fmod (ph, tableSize);
            if (! (ph >= 0.0f))
                ph = 0.0f;
        }

        if (ph >= halfSize)
            inc = secondHalfIncrement;
    }

    phase = ph;
    increment = inc;
    sampleCounter = counter;
}
