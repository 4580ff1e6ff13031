// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The bundled demo song, about 33 seconds in sixteen bars of A minor, made to
    show the instrument off: plucked broken chords, ten- to twelve-note chords
    that make the voice manager steal voices, a lead line with pitch-bend
    gestures, both arpeggio modes, several wave shapes, the crush quantiser
    switched off and on, and a closing ritardando through two tempo changes.
    Its sound changes ride in the file as text events "Zephyrine: NAME=VALUE ..."
    which zephyrine-render turns into parameter writes at their positions. */
juce::MidiFile createDemoSong();

/** Seconds from the start to the song's last event (its end-of-track). */
double demoSongLengthSeconds();
