// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

/** What the host is told about each parameter slot: its short name and how
    its value reads as text. */
namespace parameterinfo
{
    /** The slot's name, or "" for an index outside 0..17. */
    const char* name (int index) noexcept;

    /** Room for any float printed with nine significant digits. */
    constexpr size_t textCapacity = 32;

    /** Writes the value, widened to double, as "%.9g" would in the C locale
        (nine significant digits, no trailing zeros, exponent form below 1e-4
        and from 1e9 up) and terminates it. Returns the length. The host's
        locale never changes the decimal point: saved states depend on it. */
    int formatValue (float value, char (&text)[textCapacity]) noexcept;

    /** The same text as a string. */
    juce::String valueText (float value);
}
