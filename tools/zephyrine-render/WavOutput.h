// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "BlockRenderer.h"
#include "OutputFile.h"
#include "RenderOptions.h"

/** Writes the two channels as a WAV file: 24-bit PCM or 32-bit float.
    Throws RenderError on failure; the file is not committed here. */
void writeWav (OutputFile& file, const RenderedAudio& audio, double sampleRate, RenderOptions::SampleFormat format);
