// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

/** Flushes denormals to zero (FTZ and DAZ) and pins rounding to nearest for
    the lifetime of the guard, restoring the caller's floating-point mode
    afterwards. Release tails and the
    filter states decay towards zero; without this they would spend their last
    moments in the slow denormal range. */
class DenormalGuard
{
public:
    DenormalGuard() noexcept
    {
#if defined(__SSE__) || defined(__x86_64__)
        saved = _mm_getcsr();
        _mm_setcsr ((saved & ~roundingBits) | flushBits);
#endif
    }

    ~DenormalGuard()
    {
#if defined(__SSE__) || defined(__x86_64__)
        _mm_setcsr (saved);
#endif
    }

    DenormalGuard (const DenormalGuard&) = delete;
    DenormalGuard& operator= (const DenormalGuard&) = delete;

private:
#if defined(__SSE__) || defined(__x86_64__)
    static constexpr unsigned int flushBits = 0x8040u;      // FTZ | DAZ
    static constexpr unsigned int roundingBits = 0x6000u;   // cleared: round to nearest
    unsigned int saved = 0;
#endif
};
