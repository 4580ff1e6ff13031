// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <vector>

/** Integrated loudness as broadcast meters measure it (K-weighting, 400 ms
    blocks overlapping by 75 %, the absolute gate at -70 LUFS and the
    relative gate 10 LU below), for a signal sampled at 48 kHz. */
namespace loudness
{
    /** The loudness, in LUFS, of a stereo signal whose two channels both
        carry these samples; -inf when every block is gated away. */
    double integratedOfDualMono (const std::vector<float>& samples48k);
}
