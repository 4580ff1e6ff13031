// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/** The factory sounds, compiled from presets/factory.txt: the one list that
    the LV2 presets, the VST3 programs, the preset files and the app's and the
    renderer's menus all come from. Plain data, usable from any thread. */
namespace factorypresets
{
    inline constexpr int slotCount = 18;

    struct Sound
    {
        const char* name;
        const char* category;
        const char* description;
        std::array<float, slotCount> values;
        const char* stateText;   // the settings element, as the processor writes it
    };

    /** Every sound, in the order of the source. The first is the engine's
        default sound, "Default". */
    std::span<const Sound> all() noexcept;

    /** The state block of the sound: the bytes JuceFilter::saveState writes
        for its values ("VC2!", the text's length, the text, a zero byte and
        a zero pad byte), so that a preset file, a program change and a
        restored session are one and the same. The build checks that. */
    std::vector<unsigned char> stateBlock (const Sound& sound);

    /** The sound of that name (letter case ignored), or nullptr. */
    const Sound* find (std::string_view name) noexcept;

    /** Names that look like the given one, closest first: for a message
        about a name that is not there. */
    std::vector<std::string> closeMatches (std::string_view name, size_t maximum = 3);

    /** A name made safe as a file name: letters, digits, '-' and '_' kept,
        spaces turned into '_', everything else dropped. */
    std::string fileStem (std::string_view name);
}
