// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <chrono>
#include <cstdint>

/** A one-line progress bar on stderr, shown only when stderr is a terminal
    and the work has taken longer than a moment; redrawn a few times a second. */
class ProgressBar
{
public:
    explicit ProgressBar (bool enabled);
    ~ProgressBar();

    /** done of total samples; inTail: past the song's end, where the total is open. */
    void update (int64_t done, int64_t total, double sampleRate, bool inTail);

    /** Removes the bar, leaving the line clean for the summary. */
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    bool enabled;
    bool drawn = false;
    Clock::time_point start, lastDraw;
};
