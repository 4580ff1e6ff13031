// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** Reads a saved state block; throws RenderError when the file is missing,
    unreadable, empty or implausibly large. */
std::vector<uint8_t> readStateFile (const std::string& path);

/** Checks a block for Zephyrine, in any of its formats, the way the plug-in
    does: it quietly ignores a block it refuses, and the render would then
    have the wrong sound. Throws RenderError naming what is wrong. */
void checkStateBlock (const std::vector<uint8_t>& block, const std::string& path);
