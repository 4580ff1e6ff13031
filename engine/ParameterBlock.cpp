// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ParameterBlock.h"

namespace
{
    // The default sound. Each value is the float nearest to the decimal.
    constexpr float defaults[ParameterBlock::slotCount] = {
        0.329786986f,    // Disp
        0.691488981f,    // Rand
        0.5f,            // Oct
        0.0f,            // A (oscillator envelope)
        0.819149017f,    // D
        0.0f,            // S
        0.0f,            // R
        0.5f,            // Amt
        0.0f,            // A (amplitude envelope)
        0.436170012f,    // D
        0.0f,            // S
        0.0319150016f,   // R
        0.0957449973f,   // Vol
        0.0f,            // Arp
        2.0f,            // first half-cycle shape ("Saw1")
        2.0f,            // second half-cycle shape ("Saw1")
        1.0f,            // Crush
        1.0f             // Filter
    };
}

ParameterBlock::ParameterBlock() noexcept
{
    for (int i = 0; i < slotCount; ++i)
        slots[(size_t) i] = defaults[i];
}

float ParameterBlock::get (int index) const noexcept
{
    return slots[(size_t) clampIndex (index)];
}

void ParameterBlock::set (int index, float value) noexcept
{
    slots[(size_t) clampIndex (index)] = value;
}

float ParameterBlock::defaultValue (int index) noexcept
{
    return defaults[clampIndex (index)];
}
