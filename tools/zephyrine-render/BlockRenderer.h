// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "Instrument.h"
#include "MidiSchedule.h"

#include <cstdint>
#include <functional>

/** What a render came to. */
struct RenderResult
{
    int64_t frames = 0;
    int64_t songSamples = 0;        // up to the last event; the rest is tail
    int64_t nonFiniteSamples = 0;   // NaN or infinity from the plug-in, replaced by 0
    int64_t firstNonFinite = -1;    // the sample position of the first one
    bool cutAtTailLimit = false;    // still sounding when the tail's limit was reached
};

struct TailSettings
{
    double maxSeconds = 10.0;
    double silenceSeconds = 0.5;
    double silenceDb = -90.0;
};

/** Plays a schedule through a prepared, started instrument the way a host
    does: fixed blocks, MIDI sent with sample offsets before each block, a
    block cut short where a parameter changes so that the write lands on its
    sample. After the last event it renders a tail until the output has been
    silent for a while or the tail's limit is reached; the last few
    milliseconds before that limit are faded out, so that a note still
    sounding there ends without a click. Each block goes to the sink as it is
    made: nothing is kept. */
class BlockRenderer
{
public:
    /** done: samples rendered; songLength: the schedule's length; inTail once past it. */
    using Progress = std::function<void (int64_t done, int64_t songLength, bool inTail)>;
    using Sink = std::function<void (const float* left, const float* right, int numFrames)>;

    static constexpr double fadeSeconds = 0.01;

    BlockRenderer (Instrument& instrument, const MidiSchedule& schedule, TailSettings tail, int blockSize, double sampleRate);

    RenderResult render (const Sink& sink, const Progress& progress);

private:
    Instrument& instrument;
    const MidiSchedule& schedule;
    TailSettings tail;
    int blockSize;
    double sampleRate;
};
