// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <array>

/** How the eighteen slots present themselves to LV2, VST3 and the standalone
    app: a name a person can tell apart from the others, an identifier that
    never changes once released (the LV2 symbol; VST3 uses the slot number),
    and the shape of the values the host offers. */
namespace hostparameters
{
    enum class Kind
    {
        continuous,   // 0 to 1, the slot holds the host's value
        threeSteps,   // 0, 0.5, 1
        waveShape,    // Sin, Saw1, Saw2, Tri, Sqr: the slot holds 1 to 5
        toggle        // off 0, on 1
    };

    struct Description
    {
        const char* id;   // a C identifier: LV2 symbols must be
        const char* name;
        Kind kind;
    };

    inline constexpr int count = 18;

    /** Indexed by slot. */
    extern const std::array<Description, count> table;

    /** The texts of the choices of the stepped kinds, lowest value first. */
    inline constexpr const char* waveShapeNames[] { "Sin", "Saw1", "Saw2", "Tri", "Sqr" };
    inline constexpr const char* octaveNames[] { "-1", "0", "+1" };
    inline constexpr const char* arpNames[] { "Off", "1", "2" };

    /** The names by which songs' text events and the renderer's command line
        call the slots ("Zephyrine: Wave1=Tri"), the same for every format.
        They are kept in files, so never renamed. Indexed by slot. */
    extern const std::array<const char*, count> songNames;

    /** The nearest of the steps (0 .. steps - 1) of a 0..1 host value; NaN
        counts as the lowest. */
    int nearestStep (float hostValue, int steps) noexcept;

    /** The slot value a host value stands for. */
    float slotValueFor (Kind kind, float hostValue) noexcept;

    /** The host value (0..1) that shows a slot value: for the stepped kinds
        the step the engine plays, beyond the ends the nearer end. */
    float hostValueFor (Kind kind, float slotValue) noexcept;
}
