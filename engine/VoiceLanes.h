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

    /** Whether this build and processor can render in lanes at all. */
    bool available() noexcept;

    /** Renders voices[0..count-1] (all active, all with the same filter
        switch, count at most maxVoices) and adds their mix to output[0..15].
        The caller has pinned the floating-point mode (rounding to nearest). */
    void render (Voice* const* voices, int count, float* output) noexcept;

    /** The instruction sets a lane renderer may use. */
    enum class Path { baseline, avx2 };

    /** The path in use: the widest this processor supports, unless limited. */
    Path currentPath() noexcept;

    /** Limits the renderer to the baseline path (true) or lets it choose again
        (false), so that tests can compare both. Call while nothing renders. */
    void limitToBaseline (bool limit) noexcept;
}
