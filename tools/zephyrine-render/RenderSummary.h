// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "BlockRenderer.h"

#include <string>

/** Level figures of a render. */
struct AudioStats
{
    double seconds = 0.0;
    float peak = 0.0f;          // largest magnitude over both channels
    double rms = 0.0;           // over both channels
};

AudioStats measure (const RenderedAudio& audio, double sampleRate);

/** A level in dBFS with one decimal, "-inf" for silence. */
std::string decibels (double level);
