// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <string>

/** The plug-in library to render through: the one asked for, or else the
    bundled Zephyrine from the build tree, beside the program, or installed.
    Throws RenderError listing the places tried when none is there. */
std::string locatePlugin (const std::string& requested);
