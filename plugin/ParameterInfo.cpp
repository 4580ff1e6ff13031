// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ParameterInfo.h"

#include "engine/ParameterBlock.h"

#include <charconv>

namespace
{
    // The envelope pairs share their labels; the two shape slots show no name.
    constexpr const char* names[ParameterBlock::slotCount] = {
        "Disp", "Rand", "Oct",
        "A", "D", "S", "R",
        "Amt",
        "A", "D", "S", "R",
        "Vol", "Arp", "None", "None", "Crush", "Filter"
    };
}

namespace parameterinfo
{
    const char* name (int index) noexcept
    {
        return index >= 0 && index < ParameterBlock::slotCount ? names[index] : "";
    }

    int formatValue (float value, char (&text)[textCapacity]) noexcept
    {
        // to_chars with a precision is printf's %g in the C locale, whatever
        // locale the host has set.
        const auto result = std::to_chars (text, text + textCapacity - 1, (double) value,
                                           std::chars_format::general, 9);
        const auto length = result.ec == std::errc() ? (int) (result.ptr - text) : 0;
        text[length] = '\0';
        return length;
    }

    juce::String valueText (float value)
    {
        char text[textCapacity];
        const int length = formatValue (value, text);
        return juce::String (text, (size_t) length);
    }
}
