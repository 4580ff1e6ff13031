// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "engine/FloatRules.h"

#include <climits>

/** The output quantiser: 32 steps per unit of amplitude. */
namespace crush
{
    constexpr int steps = 32;
    constexpr double stepSize = 0.03125;

    /** Slot 16 switches it on when its nearest whole number (ties to even)
        is not 0. Beyond the int range the low bits of the rounding mean
        nothing, so there the plain distance from zero decides (1e30 is on,
        NaN off). */
    inline bool isOn (float slot) noexcept
    {
        if (slot > -2147483648.0f && slot < 2147483648.0f)
            return floatrules::roundHalfEven ((double) slot) != 0;
        return floatrules::isSwitchOn (slot);
    }

    /** round (32 × x) / 32, ties to even. The step count saturates at the
        int range instead of wrapping around, and NaN becomes 0. */
    inline float quantise (float x) noexcept
    {
        const double scaled = (double) steps * (double) x;
        int count = 0;
        if (scaled >= 2147483647.0)
            count = INT_MAX;
        else if (scaled <= -2147483648.0)
            count = INT_MIN;
        else if (scaled == scaled)
            count = floatrules::roundHalfEven (scaled);
        return (float) ((double) count * stepSize);
    }
}
