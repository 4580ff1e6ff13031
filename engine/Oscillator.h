// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <array>
#include <cstdint>

/** A 512-point table-lookup oscillator. The positive and the negative
    half-cycle come from separately chosen shapes and are played at different
    speeds (the asymmetry) so that the wave bends while its period stays. The
    asymmetry carries a random offset that glides between targets, and an
    arpeggio divider steps the period by 1, 2 or 3.

    Periods are in the oscillator's own samples; it knows no sample rate. */
class Oscillator
{
public:
    Oscillator() noexcept;

    /** Rebuilds both tables from a positive-half and a negative-half shape id. */
    void setShapes (int positiveShape, int negativeShape) noexcept;

    /** Recomputes both half-cycle increments from basePeriod, the arpeggio
        divider and the random offset; may step the arpeggio and the random
        target. */
    void updatePitch() noexcept;

    /** Overwrites buffer[0..count-1] with the wave. */
    void render (float* buffer, int count) noexcept;

    // The settings its voice gives it.
    void setBasePeriod (float period) noexcept { basePeriod = period; }
    void setAsymmetry (float x) noexcept { asymmetry = x; }
    void setRandomDepth (float depth) noexcept { randomDepth = depth; }
    /** Arpeggio mode 0 (off), 1 or 2; the divider starts again from 1. */
    void setArpMode (int mode) noexcept
    {
        arpMode = mode;
        arpDivider = 1;
    }
    /** A new note: phase and hold counter from 0, with the given hold. */
    void restart (int newHoldLength) noexcept
    {
        phase = 0.0f;
        sampleCounter = 0;
        holdLength = newHoldLength;
    }

    // For a renderer that runs the sample loop elsewhere (several
    // oscillators side by side): the per-cycle pitch update with the hold
    // counter brought up to date first, and the state to carry on from.
    void updatePitchAt (int counter) noexcept
    {
        sampleCounter = counter;
        updatePitch();
    }
    void setRunState (float newPhase, float newIncrement, int counter) noexcept
    {
        phase = newPhase;
        increment = newIncrement;
        sampleCounter = counter;
    }

    float getPhase() const noexcept { return phase; }
    float getIncrement() const noexcept { return increment; }
    float getFirstHalfIncrement() const noexcept { return firstHalfIncrement; }
    float getSecondHalfIncrement() const noexcept { return secondHalfIncrement; }
    float getBasePeriod() const noexcept { return basePeriod; }
    int getSampleCounter() const noexcept { return sampleCounter; }
    int getHoldLength() const noexcept { return holdLength; }
    int getArpDivider() const noexcept { return arpDivider; }
    float getRandomTarget() const noexcept { return randomNext; }

    static constexpr int tableLength = 512;
    static constexpr int halfLength = 256;
    static constexpr float initialIncrement = 512.0f * 440.0f / 44100.0f;

    const std::array<float, tableLength>& getWaveTable() const noexcept { return waveTable; }
    const std::array<float, tableLength>& getSlopeTable() const noexcept { return slopeTable; }

    /** Both tables interleaved, wave then slope for each point, so that one
        eight-byte load fetches what a sample needs. */
    const float* getPointPairs() const noexcept { return pointPairs.data(); }

    /** The nearest integer to (phase − 0.5), ties to even: floor (phase) for
        a fractional phase, and for a whole phase n, n when n is even and
        n − 1 when it is odd. */
    static int tableIndex (float phase) noexcept;

    float randomValue() noexcept;
    float arpPeriod() noexcept;

    /** Keeps x inside (−1, 1), where both half-cycles have a positive,
        finite length; NaN becomes 0. */
    static float boundedAsymmetry (float x) noexcept;

private:
    float phase = 0.0f;
    float asymmetry = 0.0f;
    float randomDepth = 0.0f;
    float basePeriod = 0.0f;
    int arpMode = 0;
    int arpDivider = 1;
    int sampleCounter = 0;
    int holdLength = 10000;

    float increment = initialIncrement;
    float firstHalfIncrement = initialIncrement;
    float secondHalfIncrement = initialIncrement;
    float randomPrevious = 0.1f;
    float randomNext = 0.2f;
    std::uint32_t seedA = 3456346u;
    std::uint32_t seedB = 2878266u;

    int currentPositiveShape = 0;
    int currentNegativeShape = 0;

    std::array<float, tableLength> waveTable {};
    std::array<float, tableLength> slopeTable {};
    alignas (16) std::array<float, 2 * tableLength> pointPairs {};
};
