// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

/** Where the app keeps sound files (".vc2": a state block, byte for byte,
    as the renderer's --state and --save-state read and write it). */
namespace soundfiles
{
    inline constexpr const char* extension = ".vc2";

    /** The user's own sounds: $XDG_DATA_HOME/zephyrine/presets, else
        ~/.local/share/zephyrine/presets. Not created here. */
    juce::File userFolder();

    /** The factory sound files installed beside the app
        (<prefix>/share/zephyrine/presets for <prefix>/bin/zephyrine), or
        an invalid file when there are none. */
    juce::File factoryFolder();

    /** The folder a load or save dialog opens in: the user's folder once it
        holds a sound, else the factory folder, else the user's folder. */
    juce::File dialogFolder();

    /** The user's sounds, sorted by name. */
    juce::Array<juce::File> userSounds();
}
