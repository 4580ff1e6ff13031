// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <string>
#include <vector>

/** The little songs the guide's pictures and examples are rendered from. */
namespace guidesongs
{
    /** A rising C-major arpeggio in quarter notes at 120 beats a minute,
        then the chord held for a second and a half: about four seconds. */
    juce::MidiFile gallery();

    /** The same held C4 (or C-major chord) played once for each value of
        one control, the renderer's text event "Zephyrine: NAME=VALUE"
        setting it before each: each note held 1.2 s, then 0.8 s to ring. */
    juce::MidiFile sweep (const std::string& control, const std::vector<std::string>& values, bool chord);

    /** Cuts a picture down to the given width, keeping its proportions, and
        writes it as a PNG or a JPEG by the file's extension. */
    bool shrinkPicture (const juce::File& source, const juce::File& destination, int width);
}
