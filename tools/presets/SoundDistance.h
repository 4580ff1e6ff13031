// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <vector>

/** How different two renders of the measuring phrase sound: each becomes a
    grid of band levels (24 bands a third of an octave wide or more, from
    40 Hz to 16 kHz, every 50 ms) in dB relative to its own loudness, and the
    distance is the root mean square of the cell-by-cell differences. A
    change of tone, of envelope or of octave all move it; the overall level
    does not. */
namespace sounddistance
{
    using Fingerprint = std::vector<float>;

    Fingerprint fingerprint (const std::vector<float>& samples48k, double loudnessLufs);

    double between (const Fingerprint& a, const Fingerprint& b);
}
