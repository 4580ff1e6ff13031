// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "RenderSummary.h"

#include <cmath>
#include <cstdio>

AudioStats measure (const RenderedAudio& audio, double sampleRate)
{
    AudioStats stats;
    stats.seconds = static_cast<double> (audio.size()) / sampleRate;

    double energy = 0.0;
    for (const auto* channel : { &audio.left, &audio.right })
        for (float s : *channel)
        {
            stats.peak = std::max (stats.peak, std::abs (s));
            energy += static_cast<double> (s) * s;
        }
    if (audio.size() > 0)
        stats.rms = std::sqrt (energy / (2.0 * static_cast<double> (audio.size())));
    return stats;
}

std::string decibels (double level)
{
    if (level <= 0.0)
        return "-inf dBFS";
    char text[32];
    std::snprintf (text, sizeof (text), "%.1f dBFS", 20.0 * std::log10 (level));
    return text;
}
