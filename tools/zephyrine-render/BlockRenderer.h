// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "MidiSchedule.h"

#include "VstHost.h"

#include <cstdint>
#include <functional>
#include <vector>

/** The rendered song: two channels at the plug-in's sample rate. */
struct RenderedAudio
{
    std::vector<float> left, right;
    int64_t songSamples = 0;            // up to the last event; the rest is tail
    int64_t nonFiniteSamples = 0;       // NaN or infinity from the plug-in, replaced by 0
    int64_t firstNonFinite = -1;        // the sample position of the first one

    int64_t size() const noexcept       { return static_cast<int64_t> (left.size()); }
};

struct TailSettings
{
    double maxSeconds = 10.0;
    double silenceSeconds = 0.5;
    double silenceDb = -90.0;
};

/** Plays a schedule through a prepared, active plug-in the way a host does:
    fixed blocks, MIDI sent with sample offsets before each block, a block cut
    short where a parameter changes so that the write lands on its sample.
    After the last event it renders a tail until the output has been silent
    for a while or the tail's limit is reached. */
class BlockRenderer
{
public:
    /** done: samples rendered; songLength: the schedule's length; inTail once past it. */
    using Progress = std::function<void (int64_t done, int64_t songLength, bool inTail)>;

    BlockRenderer (vsthost::Plugin& plugin, const MidiSchedule& schedule, TailSettings tail);

    RenderedAudio render (const Progress& progress);

private:
    vsthost::Plugin& plugin;
    const MidiSchedule& schedule;
    TailSettings tail;
};
