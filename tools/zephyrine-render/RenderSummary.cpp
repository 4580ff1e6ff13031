// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "RenderSummary.h"

#include <cmath>
#include <cstdio>

std::string decibels (double level)
{
    if (level <= 0.0)
        return "-inf dBFS";
    const double db = 20.0 * std::log10 (level);
    char text[32];
    std::snprintf (text, sizeof (text), "%.1f dBFS", db > -0.05 && db < 0.0 ? 0.0 : db);   // never "-0.0"
    return text;
}
