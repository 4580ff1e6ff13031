// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

class Voice;

/** Renders the sub-block of several voices side by side, one voice per SIMD
    lane: oscillator, amplitude envelope, filter and the mix. Each lane does
    exactly the float operations of the voice rendered alone, in the same
    order; the voices are added into the mix in the order given. */
namespace voicelanes
{
    /** The most voices one call takes. */
    constexpr int maxVoices = 12;

    /** How the manager renders its sounding voices: each on its own, or in
        lanes with the baseline instruction set (SSE2) or with AVX2. */
    enum class Path
    {
        voiceByVoice,
        baseline,
        avx2
    };

    /** The path in use: the widest this build and processor support, or
        narrower if limited. */
    Path currentPath() noexcept;

    /** Whether render may be called: the current path is a lane path. */
    bool available() noexcept;

    /** Uses at most the given path from now on, so that tests and
        benchmarks can compare them. Call while nothing renders. */
    void limitPath (Path widest) noexcept;

    /** Renders voices[0..count-1] (all active, all with the same filter
        switch, count at most maxVoices) and adds their mix to output[0..15].
        The caller has pinned the floating-point mode (rounding to nearest). */
    void render (Voice* const* voices, int count, float* output) noexcept;
}
