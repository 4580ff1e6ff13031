// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "Instrument.h"

/** A VST3 or LV2 instrument through the framework's plug-in hosting. Call on
    the message thread; the instance may then be driven from another thread.
    identifier: a .vst3 bundle's path, or an LV2 plug-in's URI; bundle: an
    LV2 bundle folder instead of a URI, whose plug-in (the instrument, if it
    holds several) is found by the format's own discovery. Throws RenderError. */
std::unique_ptr<Instrument> loadHostedInstrument (bool lv2, const std::string& identifier, const std::string& bundle);
