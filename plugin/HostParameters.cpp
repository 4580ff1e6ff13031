// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "HostParameters.h"

#include "engine/FloatRules.h"

#include <algorithm>
#include <cmath>

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

    // The short names where they tell a slot apart; the envelopes by their
    // section, and the two wave shapes by their half-cycle.
    const std::array<const char*, count> songNames { {
        "Disp",
        "Rand",
        "Oct",
        "Osc.A",
        "Osc.D",
        "Osc.S",
        "Osc.R",
        "Amt",
        "Amp.A",
        "Amp.D",
        "Amp.S",
        "Amp.R",
        "Vol",
        "Arp",
        "Wave1",
        "Wave2",
        "Crush",
        "Filter",
    } };

    int nearestStep (float hostValue, int steps) noexcept
    {
        const float v = floatrules::clampOr (hostValue, 0.0f, 1.0f, 0.0f);
        return (int) std::lround (v * (float) (steps - 1));
    }

    float slotValueFor (Kind kind, float hostValue) noexcept
    {
        switch (kind)
        {
            case Kind::threeSteps: return (float) nearestStep (hostValue, 3) * 0.5f;
            case Kind::waveShape: return (float) (1 + nearestStep (hostValue, 5));
            case Kind::toggle: return (float) nearestStep (hostValue, 2);
            case Kind::continuous: break;
        }
        return floatrules::clampOr (hostValue, 0.0f, 1.0f, 0.0f);
    }

    float hostValueFor (Kind kind, float slotValue) noexcept
    {
        switch (kind)
        {
            case Kind::threeSteps:
                // The engine plays the step trunc(2 x value).
                return (float) std::clamp (floatrules::truncateToInt (slotValue * 2.0f), 0, 2) * 0.5f;

            case Kind::waveShape:
                // An id outside 1..5 changes no shape.
                return (float) (std::clamp (floatrules::truncateToInt (slotValue), 1, 5) - 1) * 0.25f;

            case Kind::toggle:
                return floatrules::isSwitchOn (slotValue) ? 1.0f : 0.0f;

            case Kind::continuous:
                break;
        }
        return floatrules::clampOr (slotValue, 0.0f, 1.0f, 0.0f);
    }
}
