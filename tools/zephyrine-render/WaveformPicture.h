// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "OutputFile.h"
#include "SampleSpool.h"

#include <juce_graphics/juce_graphics.h>

#include <string>

/** The picture of a render: its waveform above a spectrogram on a shared
    time axis, with a title and labels. Drawn in memory, needs no display. */
struct PictureText
{
    std::string title;      // e.g. the song's name and the plug-in's
    std::string subtitle;   // e.g. duration, peak and RMS
};

/** The sound as it was written: the spooled render with the output's gain,
    clipped at full scale for integer formats. */
struct PictureSource
{
    const SampleSpool& spool;
    float gain = 1.0f;
    bool clip = false;

    int64_t size() const noexcept { return spool.size(); }
    void read (int64_t start, int count, float* left, float* right) const;
};

juce::Image drawWaveformPicture (const PictureSource& source, double sampleRate, const PictureText& text);

/** Draws and writes it as a PNG; throws RenderError on failure. */
void writeWaveformPicture (OutputFile& file, const PictureSource& source, double sampleRate, const PictureText& text);
