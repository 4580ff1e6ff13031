// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "WaveShapes.h"

#include <cmath>
#include <numbers>

namespace waveshapes
{
    namespace
    {
        constexpr float unit = 1.0f / 32768.0f;

        float sineHalf (int i) noexcept
        {
            return (float) std::round (32767.0 * std::sin (std::numbers::pi * i / 256.0)) * unit;
        }

        // The ramps and the triangle follow their straight lines, except at the
        // few points written out below, which sit slightly off them; the sound
        // depends on those exact values.
        float fallingRampHalf (int i) noexcept
        {
            return (float) (i == 255 ? 1 : (255 - i) * 128) * unit;
        }

        float risingRampHalf (int i) noexcept
        {
            return (float) (i == 255 ? 32765 : (i + 1) * 128) * unit;
        }

        float triangleHalf (int i) noexcept
        {
            if (i == 128)
                return 32766.0f * unit;
            if (i == 255)
                return 258.0f * unit;
            return (float) ((128 - std::abs (i - 128)) * 256) * unit;
        }

        // Not a flat 1.0: it sits just under full scale and dips near the end.
        float squareHalf (int i) noexcept
        {
            if (i < 228)
                return 32430.0f * unit;
            if (i < 250)
                return 32264.0f * unit;
            if (i == 250)
                return 31931.0f * unit;
            return 32429.0f * unit;
        }
    }

    const HalfCycle& halfCycle (int shapeId) noexcept
    {
        using Source = float (*) (int) noexcept;
        static const std::array<HalfCycle, 5> sources = [] {
            const Source rules[5] = { sineHalf, fallingRampHalf, risingRampHalf, triangleHalf, squareHalf };
            std::array<HalfCycle, 5> result {};
            for (size_t s = 0; s < result.size(); ++s)
                for (int i = 0; i < halfLength; ++i)
                    result[s][(size_t) i] = rules[s](i);
            return result;
        }();

        const bool known = shapeId >= sine && shapeId <= square;
        return sources[known ? (size_t) (shapeId - 1) : 0];
    }
}
