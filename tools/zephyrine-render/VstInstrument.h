// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "Instrument.h"

#include "VstHost.h"

/** A VST 2 instrument through our own host library; throws RenderError. */
std::unique_ptr<Instrument> loadVstInstrument (const std::string& path, const std::string& hostName);
