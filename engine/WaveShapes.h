// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <array>

/** The half-cycle shapes a wave table is built from. Each is 256
    non-negative values, multiples of 1/32768. */
namespace waveshapes
{
    enum WaveShape
    {
        sine = 1,          // "Sin"
        fallingRamp = 2,   // "Saw1"
        risingRamp = 3,    // "Saw2"
        triangle = 4,      // "Tri"
        square = 5         // "Sqr"
    };

    constexpr int halfLength = 256;

    using HalfCycle = std::array<float, halfLength>;

    /** The half-cycle of a shape id; ids outside 1..5 give the sine half.
        The five sources are computed once, on first use. */
    const HalfCycle& halfCycle (int shapeId) noexcept;
}
