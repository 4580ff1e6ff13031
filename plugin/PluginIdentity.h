// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "framework/FourCharacterCode.h"

#include <cstdint>

/** What a host sees of this plug-in before it makes a sound: names, the
    identifier it files the plug-in under, versions, the channel layout and
    the capabilities the host adapter declares. Fixed at build time. */
namespace PluginIdentity
{
    inline constexpr const char* effectName = "Zephyrine";
    inline constexpr const char* productName = effectName;
    inline constexpr const char* vendorName = "Tin Whistlers";

    /** Four characters, packed with the first one in the most significant byte. */
    inline constexpr char uniqueIdText[5] = "TiWh";
    inline constexpr std::int32_t uniqueId = fourCharacterCode (uniqueIdText);

    inline constexpr std::int32_t version = 1;
    inline constexpr std::int32_t vendorVersion = 1000;

    inline constexpr int numInputs = 0;
    inline constexpr int numOutputs = 2;

    inline constexpr bool isSynth = true;
    inline constexpr bool hasEditor = true;
    inline constexpr bool programChunks = true;   // state travels as one opaque block
    inline constexpr bool canReplacing = true;
}
