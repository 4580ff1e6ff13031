// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "Instrument.h"

#include <memory>
#include <string>

/** Which plug-in to render through, and in which format. */
struct PluginLocation
{
    enum class Kind
    {
        vst2,
        vst3,
        lv2
    };

    Kind kind = Kind::vst2;
    std::string identifier;   // a library or VST3 bundle path, or an LV2 URI
    std::string bundle;       // LV2 named by its bundle folder: that folder, and no URI
};

/** The plug-in asked for: a VST 2 library (.so), a VST3 bundle (.vst3), an
    LV2 bundle folder or an LV2 URI; or else the bundled Zephyrine from the
    build tree, beside the program, or installed. Throws RenderError naming
    the places tried when none is there. */
PluginLocation locatePlugin (const std::string& requested);

/** Loads one instance; call on the main thread. Throws RenderError. */
std::unique_ptr<Instrument> loadInstrument (const PluginLocation& location);
