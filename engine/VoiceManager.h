// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "Voice.h"

#include <array>

class ParameterBlock;

/** Nine voices, one of them in reserve, turned into a mono signal. Notes go
    to a free voice, or start on the reserve voice while the voice they
    displace fades out and becomes the new reserve. The mix is rendered in
    whole 16-sample sub-blocks; where a host block does not end on one, the
    next sub-block is rendered ahead into a hold buffer and its tail kept for
    the following block.

    The engine is single-threaded: every call must come from one thread at a
    time (the processor serialises them with its callback lock). */
class VoiceManager
{
public:
    static constexpr int voiceCount = 9;
    static constexpr int subBlockLength = Voice::subBlockLength;

    explicit VoiceManager (const ParameterBlock& parameters) noexcept;

    /** The host rate for notes started from now on. Non-finite or
        non-positive rates are ignored; others are kept within 1 Hz..4 MHz. */
    void setSampleRate (float rate) noexcept;

    void noteOn (int note, int velocity, int samplePosition) noexcept;
    void noteOff (int note, int samplePosition) noexcept;

    /** Writes the mono mix into out[0..numSamples-1], which the caller has
        cleared. */
    void render (float* out, int numSamples) noexcept;

    void parameterChanged (int index) noexcept;
    void stopAll() noexcept;

    /** Every active voice's next sub-block, added into out[0..15]. */
    void renderSubBlock (float* out) noexcept;

    /** 440 × 2^((n − 81) / 12) Hz, in double precision, as a float. */
    static float noteFrequency (int note) noexcept;

    const std::array<Voice, voiceCount>& getVoices() const noexcept { return voices; }
    float getSampleRate() const noexcept { return sampleRate; }
    /** The voice that stands in reserve for the next displaced note. */
    int getReserveIndex() const noexcept { return reserveIndex; }
    /** Samples of the last rendered sub-block still to be delivered. */
    int getPendingCount() const noexcept { return pendingCount; }

private:
    const ParameterBlock& parameters;
    float sampleRate = 44100.0f;
    int pendingCount = 0;
    int reserveIndex = voiceCount - 1;
    float holdBuffer[subBlockLength] {};
    std::array<Voice, voiceCount> voices;
    int startCounter = 1;
};
