// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VoiceLanes.h"

#include "LaneKernel.h"

#include <atomic>
#include <cstdint>

#if defined(__x86_64__) || defined(__SSE2__)
#include <emmintrin.h>
#define ZEPHYRINE_LANES 1
#else
#define ZEPHYRINE_LANES 0
#endif

#if ZEPHYRINE_LANES
#if ZEPHYRINE_HAS_AVX2_LANES
namespace voicelanes
{
    // In VoiceLanesAvx2.cpp, compiled for AVX2; called only where it runs.
    void renderAvx2 (Voice* const* voices, int count, bool filtered, float* output) noexcept;
}
#endif

namespace
{
    /** Four lanes in the SSE2 registers every x86-64 processor has. */
    struct Sse2
    {
        using V = __m128;
        using VI = __m128i;
        static constexpr int width = 4;

        static V set1 (float x) noexcept { return _mm_set1_ps (x); }
        static V load (const float* p) noexcept { return _mm_load_ps (p); }
        static void store (float* p, V x) noexcept { _mm_store_ps (p, x); }
        static V add (V a, V b) noexcept { return _mm_add_ps (a, b); }
        static V sub (V a, V b) noexcept { return _mm_sub_ps (a, b); }
        static V mul (V a, V b) noexcept { return _mm_mul_ps (a, b); }
        static V atLeast (V a, V b) noexcept { return _mm_cmpge_ps (a, b); }
        static V select (V mask, V a, V b) noexcept { return _mm_or_ps (_mm_and_ps (mask, a), _mm_andnot_ps (mask, b)); }
        static V equal (V a, V b) noexcept { return _mm_cmpeq_ps (a, b); }
        // Not a, and b.
        static V andNot (V a, V b) noexcept { return _mm_andnot_ps (a, b); }
        static int signs (V mask) noexcept { return _mm_movemask_ps (mask); }
        // Rounds in the current mode, which the caller pins to nearest.
        static VI roundToInt (V x) noexcept { return _mm_cvtps_epi32 (x); }
        static V toFloat (VI i) noexcept { return _mm_cvtepi32_ps (i); }

        /** Each lane's wave point and slope: one eight-byte load per lane
            from its own interleaved table, then sorted into two vectors. */
        using Tables = const float* const*;
        static Tables tablesOf (const float* const* tables) noexcept { return tables; }

        static void lookup (Tables tables, VI index, V& wave, V& slope) noexcept
        {
            alignas (16) int i[4];
            _mm_store_si128 (reinterpret_cast<__m128i*> (i), index);
            const V zero = _mm_setzero_ps();
            const V p0 = _mm_loadl_pi (zero, reinterpret_cast<const __m64*> (tables[0] + 2 * i[0]));
            const V p1 = _mm_loadl_pi (zero, reinterpret_cast<const __m64*> (tables[1] + 2 * i[1]));
            const V p2 = _mm_loadl_pi (zero, reinterpret_cast<const __m64*> (tables[2] + 2 * i[2]));
            const V p3 = _mm_loadl_pi (zero, reinterpret_cast<const __m64*> (tables[3] + 2 * i[3]));
            const V a = _mm_unpacklo_ps (p0, p1);   // w0 w1 s0 s1
            const V b = _mm_unpacklo_ps (p2, p3);   // w2 w3 s2 s3
            wave = _mm_movelh_ps (a, b);
            slope = _mm_movehl_ps (b, a);
        }
    };

    bool processorHasAvx2() noexcept
    {
#if ZEPHYRINE_HAS_AVX2_LANES
        __builtin_cpu_init();
        return __builtin_cpu_supports ("avx2");
#else
        return false;
#endif
    }

    // Asked once, when the library loads, so that the audio thread never
    // waits on a first-use guard.
    const voicelanes::Path widestSupported = processorHasAvx2() ? voicelanes::Path::avx2 : voicelanes::Path::baseline;

    std::atomic<voicelanes::Path> widestAllowed { voicelanes::Path::avx2 };

    // The wide path reaches every lane's table from the first one's with a
    // 32-bit offset in floats; voices of one manager are kilobytes apart.
    [[maybe_unused]] bool tablesNearby (Voice* const* voices, int count) noexcept
    {
        const auto base = reinterpret_cast<std::uintptr_t> (voices[0]->getOscillator().getPointPairs());
        for (int j = 1; j < count; ++j)
        {
            const auto t = reinterpret_cast<std::uintptr_t> (voices[j]->getOscillator().getPointPairs());
            if ((t > base ? t - base : base - t) > (std::uintptr_t (1) << 30))
                return false;
        }
        return true;
    }
}

namespace voicelanes
{
    Path currentPath() noexcept
    {
        const Path allowed = widestAllowed.load (std::memory_order_relaxed);
        return allowed < widestSupported ? allowed : widestSupported;
    }

    bool available() noexcept
    {
        return currentPath() != Path::voiceByVoice;
    }

    void limitPath (Path widest) noexcept
    {
        widestAllowed.store (widest, std::memory_order_relaxed);
    }

    void render (Voice* const* voices, int count, float* output) noexcept
    {
        if (count <= 0 || count > maxVoices)
            return;
        const bool filtered = voices[0]->isFilterOn();
#if ZEPHYRINE_HAS_AVX2_LANES
        // Four voices or fewer fit the baseline's four lanes, at less cost.
        if (count > Sse2::width && currentPath() == Path::avx2 && tablesNearby (voices, count))
        {
            renderAvx2 (voices, count, filtered, output);
            return;
        }
#endif
        lanekernel::renderAny<Sse2, 3> (voices, count, filtered, output);
    }
}
#else
namespace voicelanes
{
    Path currentPath() noexcept { return Path::voiceByVoice; }
    bool available() noexcept { return false; }
    void limitPath (Path) noexcept {}
    void render (Voice* const*, int, float*) noexcept {}
}
#endif
