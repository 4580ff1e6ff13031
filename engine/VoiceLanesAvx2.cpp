// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The lane renderer with eight lanes per register. Only the code after the
// target pragma is built for AVX2: the engine's own headers come first, so
// that their inline functions, which the baseline code shares, stay baseline
// code. Nothing here runs unless the processor reports AVX2.
#include "Envelope.h"
#include "FloatRules.h"
#include "Oscillator.h"
#include "ParameterBlock.h"
#include "Voice.h"
#include "VoiceLanes.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <type_traits>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include <immintrin.h>

#include "LaneKernel.h"

namespace
{
    struct Avx2
    {
        using V = __m256;
        using VI = __m256i;
        static constexpr int width = 8;

        static V set1 (float x) noexcept { return _mm256_set1_ps (x); }
        static V load (const float* p) noexcept { return _mm256_load_ps (p); }
        static void store (float* p, V x) noexcept { _mm256_store_ps (p, x); }
        static V add (V a, V b) noexcept { return _mm256_add_ps (a, b); }
        static V sub (V a, V b) noexcept { return _mm256_sub_ps (a, b); }
        static V mul (V a, V b) noexcept { return _mm256_mul_ps (a, b); }
        static V atLeast (V a, V b) noexcept { return _mm256_cmp_ps (a, b, _CMP_GE_OQ); }
        static V select (V mask, V a, V b) noexcept { return _mm256_blendv_ps (b, a, mask); }
        static V equal (V a, V b) noexcept { return _mm256_cmp_ps (a, b, _CMP_EQ_OQ); }
        // Not a, and b.
        static V andNot (V a, V b) noexcept { return _mm256_andnot_ps (a, b); }
        static int signs (V mask) noexcept { return _mm256_movemask_ps (mask); }
        static VI roundToInt (V x) noexcept { return _mm256_cvtps_epi32 (x); }
        static V toFloat (VI i) noexcept { return _mm256_cvtepi32_ps (i); }

        /** Lane 0's table and each lane's distance to its own, in floats. */
        struct Tables
        {
            const float* base;
            VI offsets;
        };

        static Tables tablesOf (const float* const* tables) noexcept
        {
            alignas (32) int offsets[width];
            const auto base = reinterpret_cast<std::uintptr_t> (tables[0]);
            for (int j = 0; j < width; ++j)
                offsets[j] = (int) ((std::intptr_t) (reinterpret_cast<std::uintptr_t> (tables[j]) - base)
                                    / (std::intptr_t) sizeof (float));
            return { tables[0], _mm256_load_si256 (reinterpret_cast<const __m256i*> (offsets)) };
        }

        /** Two gathers (measured faster here than eight loads and their
            shuffles): each lane's offset plus twice its index. */
        static void lookup (const Tables& t, VI index, V& wave, V& slope) noexcept
        {
            const VI at = _mm256_add_epi32 (t.offsets, _mm256_add_epi32 (index, index));
            wave = _mm256_i32gather_ps (t.base, at, 4);
            slope = _mm256_i32gather_ps (t.base + 1, at, 4);
        }
    };
}

namespace voicelanes
{
    void renderAvx2 (Voice* const* voices, int count, bool filtered, float* output) noexcept
    {
        lanekernel::renderAny<Avx2, 2> (voices, count, filtered, output);
    }
}

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
