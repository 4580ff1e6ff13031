// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <functional>
#include <string>

/** Playing from the computer's keyboard, in the usual two-row layout: the
    bottom row Z S X D C V G B H N J M , L . ; / from the base C up, the top
    row Q 2 W 3 E R 5 T 6 Y 7 U I 9 O 0 P from the C an octave higher; "-"
    and "=" move both an octave down and up. Notes go into the keyboard
    state that the on-screen keyboard shows and the player hears. */
class ComputerKeyboard
{
public:
    explicit ComputerKeyboard (juce::MidiKeyboardState& stateToPlay);

    /** The semitone above the base C that a key plays, or -1 for a key that plays none. */
    static int semitoneForKey (juce::juce_wchar key) noexcept;

    static constexpr int lowestBaseNote = 12;
    static constexpr int highestBaseNote = 96;

    /** Forwarded from the focused window: starts and ends notes as keys go down and up. */
    bool keyStateChanged();

    /** Forwarded from the focused window: the octave keys, and claims the note keys. */
    bool keyPressed (const juce::KeyPress& key);

    /** Ends every note this keyboard started (the window lost the focus). */
    void releaseAll();

    int getBaseNote() const noexcept { return baseNote; }
    void setBaseNote (int note) noexcept;

    /** 1 to 127. */
    void setVelocity (int newVelocity) noexcept { velocity = juce::jlimit (1, 127, newVelocity); }

    /** Called after an octave change, for the display. */
    std::function<void()> onBaseNoteChanged;

private:
    static constexpr const char* keys = "zsxdcvgbhnjm,l.;/q2w3er5t6y7ui9o0p";
    static constexpr size_t keyCount = 34;

    juce::MidiKeyboardState& state;
    int baseNote = 48;
    int velocity = 100;
    std::array<int, keyCount> heldNote {};   // the note each key holds, -1 when up

    JUCE_DECLARE_NON_COPYABLE (ComputerKeyboard)
};
