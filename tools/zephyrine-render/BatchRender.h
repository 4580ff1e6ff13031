// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "PluginLocator.h"
#include "RenderOptions.h"

/** Renders several songs side by side, one instrument instance per worker:
    a line for each song as it finishes, an overall progress bar, and a table
    at the end. A song that fails leaves the others and their files alone.
    Returns the exit status: 0 when every song was rendered, else 1. */
int renderBatch (const RenderOptions& options, const PluginLocation& plugin);
