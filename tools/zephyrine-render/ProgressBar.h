// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

/** A one-line progress bar on stderr, shown only when stderr is a terminal
    and the work has taken longer than a moment; redrawn a few times a
    second, and never wider than the terminal, so that it does not wrap.
    Safe to update from several threads. */
class ProgressBar
{
public:
    explicit ProgressBar (bool enabled);
    ~ProgressBar();

    /** fraction from 0 to 1; detail: a short text after the bar, e.g. "12.0 s". */
    void update (double fraction, const std::string& detail);

    /** Removes the bar, leaving the line clean for other output. */
    void finish();

    /** The line for a terminal this many columns wide (without the return). */
    static std::string compose (double fraction, const std::string& detail, int columns);

private:
    using Clock = std::chrono::steady_clock;

    bool enabled;
    bool drawn = false;
    Clock::time_point start, lastDraw;
    std::mutex lock;
};
