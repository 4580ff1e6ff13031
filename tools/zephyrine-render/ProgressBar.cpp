// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProgressBar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace
{
    constexpr auto firstDrawAfter = std::chrono::milliseconds (300);
    constexpr auto redrawEvery = std::chrono::milliseconds (100);
    constexpr int widestBar = 40;

    int terminalColumns()
    {
        winsize size {};
        if (ioctl (STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            return size.ws_col;
        return 80;
    }
}

ProgressBar::ProgressBar (bool shouldShow)
    : enabled (shouldShow && isatty (STDERR_FILENO) != 0), start (Clock::now()), lastDraw (start)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

std::string ProgressBar::compose (double fraction, const std::string& detail, int columns)
{
    fraction = std::clamp (fraction, 0.0, 1.0);
    char percent[8];
    std::snprintf (percent, sizeof (percent), "%3d%%", static_cast<int> (fraction * 100.0));

    // The last column stays free: writing into it makes some terminals wrap.
    const int room = columns - 1;
    const std::string tail = std::string ("] ") + percent + "  " + detail;
    const std::string head = "Rendering [";
    const int barWidth = std::min (widestBar, room - static_cast<int> (head.size() + tail.size()));
    std::string line;
    if (barWidth >= 5)
    {
        const int filled = static_cast<int> (fraction * barWidth);
        line = head + std::string (static_cast<size_t> (filled), '#') + std::string (static_cast<size_t> (barWidth - filled), '-') + tail;
    }
    else
        line = std::string (percent) + "  " + detail;
    if (static_cast<int> (line.size()) > room)
        line.resize (static_cast<size_t> (std::max (0, room)));
    return line;
}

void ProgressBar::update (double fraction, const std::string& detail)
{
    if (! enabled)
        return;
    const std::lock_guard<std::mutex> guard (lock);
    const auto now = Clock::now();
    if (now - start < firstDrawAfter || (drawn && now - lastDraw < redrawEvery))
        return;
    lastDraw = now;
    drawn = true;
    std::fprintf (stderr, "\r\033[K%s", compose (fraction, detail, terminalColumns()).c_str());
    std::fflush (stderr);
}

void ProgressBar::finish()
{
    const std::lock_guard<std::mutex> guard (lock);
    if (! drawn)
        return;
    std::fprintf (stderr, "\r\033[K");
    std::fflush (stderr);
    drawn = false;
}
