// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** Reads a saved state block; throws RenderError when the file is missing,
    unreadable, empty or implausibly large. */
std::vector<uint8_t> readStateFile (const std::string& path);

/** Checks what can be checked before handing a block to the plug-in: for
    Zephyrine, its "VC2!" header and length. Throws RenderError. */
void checkStateBlock (const std::vector<uint8_t>& block, const std::string& path, const std::string& pluginName);
