// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>

// The rounding rules the engine and the processor share. A float-to-int
// conversion of a value outside the int range is undefined behaviour in C++,
// and parameter slots may hold anything a host sends, so every conversion
// here saturates (and NaN becomes 0).
namespace floatrules
{
    /** True for every value but the infinities and NaN. The one spelling of
        the test (x − x is 0 exactly when x is finite), so that every guard
        means the same thing. */
    constexpr bool isFinite (float value) noexcept { return value - value == 0.0f; }
    constexpr bool isFinite (double value) noexcept { return value - value == 0.0; }

    /** True for NaN only: the one value unequal to itself. */
    constexpr bool isNaN (float value) noexcept { return value != value; }

    /** Drops the fraction toward zero, saturating at the int range. */
    constexpr int truncateToInt (float value) noexcept
    {
        if (isNaN (value))
            return 0;
        if (value >= 2147483648.0f)
            return INT_MAX;
        if (value <= -2147483648.0f)
            return INT_MIN;
        return static_cast<int> (value);
    }

    /** Rounds to the nearest integer, ties to even, by adding 1.5 x 2^52 in
        double precision and keeping the low 32 bits of the sum. Exact for
        values within the int range; outside it the result is defined but
        meaningless, as the low bits of a huge double are. */
    inline int roundHalfEven (double value) noexcept
    {
        const double shifted = value + 6755399441055744.0;
        return static_cast<int> (static_cast<std::uint32_t> (std::bit_cast<std::uint64_t> (shifted)));
    }

    /** A switch slot is on when its nearest whole number (ties to even) is
        not 0, that is when it lies more than 0.5 from zero. Infinities count
        as on, NaN as off. */
    constexpr bool isSwitchOn (float value) noexcept
    {
        return value > 0.5f || value < -0.5f;
    }

    /** Clamps, mapping NaN to the given fallback. */
    constexpr float clampOr (float value, float low, float high, float fallback) noexcept
    {
        if (isNaN (value))
            return fallback;
        return value < low ? low : (value > high ? high : value);
    }
}
