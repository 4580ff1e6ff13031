// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "HostParameters.h"

namespace hostparameters
{
    // The identifiers are stored in hosts' projects and automation: never
    // rename one. Names may be improved; they are only shown.
    const std::array<Description, count> table { {
        { "disp", "Disp", Kind::continuous },
        { "rand", "Rand", Kind::continuous },
        { "oct", "Oct", Kind::threeSteps },
        { "osc_attack", "Osc A", Kind::continuous },
        { "osc_decay", "Osc D", Kind::continuous },
        { "osc_sustain", "Osc S", Kind::continuous },
        { "osc_release", "Osc R", Kind::continuous },
        { "osc_amount", "Osc Amt", Kind::continuous },
        { "amp_attack", "Amp A", Kind::continuous },
        { "amp_decay", "Amp D", Kind::continuous },
        { "amp_sustain", "Amp S", Kind::continuous },
        { "amp_release", "Amp R", Kind::continuous },
        { "volume", "Vol", Kind::continuous },
        { "arp", "Arp", Kind::threeSteps },
        { "wave_1", "P1 Wave", Kind::waveShape },
        { "wave_2", "P2 Wave", Kind::waveShape },
        { "crush", "Crush", Kind::toggle },
        { "filter", "Filter", Kind::toggle },
    } };
}
