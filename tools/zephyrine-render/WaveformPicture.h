// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "BlockRenderer.h"
#include "OutputFile.h"

#include <juce_graphics/juce_graphics.h>

#include <string>

/** The picture of a render: its waveform above a spectrogram on a shared
    time axis, with a title and labels. Drawn in memory, needs no display. */
struct PictureText
{
    std::string title;          // e.g. the song's name and the plug-in's
    std::string subtitle;       // e.g. duration, peak and RMS
};

juce::Image drawWaveformPicture (const RenderedAudio& audio, double sampleRate, const PictureText& text);

/** Draws and writes it as a PNG; throws RenderError on failure. */
void writeWaveformPicture (OutputFile& file, const RenderedAudio& audio, double sampleRate, const PictureText& text);
