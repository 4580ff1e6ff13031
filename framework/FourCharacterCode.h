// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>

/** Four characters packed into a 32-bit identifier, the first one in the
    most significant byte: "TiWh" is 0x54695768. */
inline constexpr std::int32_t fourCharacterCode (const char (&text)[5]) noexcept
{
    return (std::int32_t) (((std::uint32_t) (unsigned char) text[0] << 24)
                           | ((std::uint32_t) (unsigned char) text[1] << 16)
                           | ((std::uint32_t) (unsigned char) text[2] << 8)
                           | (std::uint32_t) (unsigned char) text[3]);
}
