// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ComputerKeyboard.h"

#include <cstring>

namespace
{
    constexpr int channel = 1;
    constexpr juce::juce_wchar octaveDownKey = '-';
    constexpr juce::juce_wchar octaveUpKey = '=';
}

ComputerKeyboard::ComputerKeyboard (juce::MidiKeyboardState& stateToPlay)
    : state (stateToPlay)
{
    heldNote.fill (-1);
}

int ComputerKeyboard::semitoneForKey (juce::juce_wchar key) noexcept
{
    static_assert (std::char_traits<char>::length (keys) == keyCount);
    key = juce::CharacterFunctions::toLowerCase (key);
    if (key <= 0 || key > 127)
        return -1;
    const auto* found = std::strchr (keys, (int) key);
    if (found == nullptr)
        return -1;
    const auto index = (int) (found - keys);
    // The bottom row has 17 keys (C to E), the top row starts at the next C.
    return index < 17 ? index : index - 17 + 12;
}

bool ComputerKeyboard::keyStateChanged()
{
    bool used = false;
    for (size_t i = 0; i < keyCount; ++i)
    {
        const auto down = juce::KeyPress::isKeyCurrentlyDown ((int) keys[i]);
        if (down && heldNote[i] < 0)
        {
            const auto note = juce::jlimit (0, 127, baseNote + semitoneForKey (keys[i]));
            heldNote[i] = note;
            state.noteOn (channel, note, (float) velocity / 127.0f);
            used = true;
        }
        else if (! down && heldNote[i] >= 0)
        {
            state.noteOff (channel, heldNote[i], 0.0f);
            heldNote[i] = -1;
            used = true;
        }
    }
    return used;
}

bool ComputerKeyboard::keyPressed (const juce::KeyPress& key)
{
    if (key.getModifiers().isCommandDown() || key.getModifiers().isAltDown())
        return false;
    const auto character = key.getTextCharacter();
    if (character == octaveDownKey || character == octaveUpKey)
    {
        setBaseNote (baseNote + (character == octaveUpKey ? 12 : -12));
        return true;
    }
    return semitoneForKey (character) >= 0 || semitoneForKey ((juce::juce_wchar) key.getKeyCode()) >= 0;
}

void ComputerKeyboard::releaseAll()
{
    for (auto& note : heldNote)
    {
        if (note >= 0)
            state.noteOff (channel, note, 0.0f);
        note = -1;
    }
}

void ComputerKeyboard::setBaseNote (int note) noexcept
{
    const auto limited = juce::jlimit (lowestBaseNote, highestBaseNote, note - note % 12);
    if (limited == baseNote)
        return;
    // Notes still held end where they began.
    baseNote = limited;
    if (onBaseNoteChanged)
        onBaseNoteChanged();
}
