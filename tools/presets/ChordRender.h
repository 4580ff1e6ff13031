// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "presets/FactoryPresets.h"

#include <vector>

/** The measuring phrase: a C-major chord (C4, E4, G4) held for one second
    and then left to ring for two, played by the processor itself at 48 kHz
    in blocks of 512 after it has loaded the sound's state block. */
namespace chordrender
{
    inline constexpr double sampleRate = 48000.0;
    inline constexpr double heldSeconds = 1.0;
    inline constexpr double totalSeconds = 3.0;

    std::vector<float> render (const factorypresets::Sound& sound);
}
