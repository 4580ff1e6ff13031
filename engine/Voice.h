// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "Envelope.h"
#include "Oscillator.h"

class ParameterBlock;

/** One note: an oscillator, an amplitude envelope, an envelope that bends
    the oscillator's waveform, and an optional two-stage low-pass filter.
    The voice runs at twice the host rate; one render call makes 32 internal
    samples and adds 16 host-rate samples (one sub-block) to the mix. */
class Voice
{
public:
    static constexpr int subBlockLength = 16;
    static constexpr int internalLength = 2 * subBlockLength;

    Voice (const ParameterBlock& parameters, float sampleRate) noexcept;

    void start (float frequency, int note, int startDelay, float sampleRate, int startOrder) noexcept;
    void release (int delay) noexcept;
    void quickRelease() noexcept;
    void stop() noexcept { active = false; }

    /** Re-reads whatever this voice caches from the slot at index. */
    void parameterChanged (int index) noexcept;

    /** Adds this voice's next sub-block to output[0..15]. */
    void render (float* output) noexcept;

    // The three stages of render, for a caller that renders several voices
    // side by side: the source (pitch, wave bend, oscillator and amplitude)
    // into workBuffer, the filter, then the mix into the output.
    void renderSource() noexcept;

    /** The once-per-call part of renderSource: pitch, the oscillator
        envelope's step and the wave bend; the oscillator and the amplitude
        envelope are left to run. */
    void prepareSource() noexcept;
    void filterStages() noexcept;
    void mixInto (float* output) noexcept;

    /** Filters the work buffers of several voices, interleaved so that
        their independent filter chains overlap. The same arithmetic, sample
        for sample, as filterStages on each voice. */
    static void filterTogether (Voice* const* group, int count) noexcept;

    bool isActive() const noexcept { return active; }
    bool isReleased() const noexcept { return released; }
    bool isFilterOn() const noexcept { return filterOn; }
    int getNote() const noexcept { return note; }
    int getStartOrder() const noexcept { return startOrder; }
    float getFrequency() const noexcept { return frequency; }
    const Oscillator& getOscillator() const noexcept { return oscillator; }
    const Envelope& getAmpEnvelope() const noexcept { return ampEnvelope; }
    const ParameterBlock& getParameters() const noexcept { return parameters; }

    // For a renderer that runs several voices side by side (after
    // prepareSource): the parts it steps, the filter, and the end of the
    // call, which keeps the filter states (a state that ever overflowed
    // would stay poisoned for good, so a non-finite one becomes 0) and ends
    // the note once its amplitude envelope is idle.
    Oscillator& sourceOscillator() noexcept { return oscillator; }
    Envelope& sourceAmpEnvelope() noexcept { return ampEnvelope; }
    float getFilterCoefficient() const noexcept { return filterCoefficient; }
    float getFilterState1() const noexcept { return filterState1; }
    float getFilterState2() const noexcept { return filterState2; }
    void finishSideBySide (float state1, float state2) noexcept;

    /** Both stages' coefficient at a host rate: 2π × 10 kHz over the
        internal rate, replaced by 1 (no filtering) where it would reach 2
        and the stages would diverge. */
    static float filterCoefficientFor (float sampleRate) noexcept;

    /** Random and arpeggio hold: 25 ms of internal samples, at least 1. */
    static int holdLengthFor (float sampleRate) noexcept;

private:
    const ParameterBlock& parameters;
    Oscillator oscillator;
    Envelope ampEnvelope;
    Envelope oscEnvelope;
    bool active = false;
    bool released = false;
    bool filterOn = false;
    int note = 0;
    int startOrder = 1;
    float sampleRate;
    float frequency = 440.0f;
    float filterState1 = 0.0f;
    float filterState2 = 0.0f;
    float workBuffer[internalLength] {};
    float filterCoefficient = 0.0f;

    template <int groupSize>
    static void filterGroup (Voice* const* group) noexcept;

    void updateOscEnvelopeTimes() noexcept;
    void updateAmpEnvelopeTimes() noexcept;

    float cachedPitchBend = 0.0f;
    double cachedBendFactor = 1.0;
};
