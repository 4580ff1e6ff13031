// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
    constexpr auto firstDrawAfter = std::chrono::milliseconds (300);
    constexpr auto redrawEvery = std::chrono::milliseconds (100);
    constexpr int barWidth = 40;
}

ProgressBar::ProgressBar (bool shouldShow)
    : enabled (shouldShow && isatty (STDERR_FILENO) != 0), start (Clock::now()), lastDraw (start)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update (int64_t done, int64_t total, double sampleRate, bool inTail)
{
    if (! enabled)
        return;
    const auto now = Clock::now();
    if (now - start < firstDrawAfter || (drawn && now - lastDraw < redrawEvery))
        return;
    lastDraw = now;
    drawn = true;

    const double fraction = total > 0 ? std::clamp (static_cast<double> (done) / static_cast<double> (total), 0.0, 1.0) : 1.0;
    const int filled = static_cast<int> (fraction * barWidth);
    const std::string bar = std::string (static_cast<size_t> (filled), '#') + std::string (static_cast<size_t> (barWidth - filled), '-');
    std::fprintf (stderr, "\rRendering [%s] %3d%%  %7.1f s%s", bar.c_str(), static_cast<int> (fraction * 100.0),
                  static_cast<double> (done) / sampleRate, inTail ? "  (tail)" : "        ");
    std::fflush (stderr);
}

void ProgressBar::finish()
{
    if (! drawn)
        return;
    std::fprintf (stderr, "\r\033[K");
    std::fflush (stderr);
    drawn = false;
}
