// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <atomic>
#include <functional>

/** The app's MIDI learn: which MIDI controller number drives which slot.

    The MIDI inputs (ALSA's thread, JACK's process thread) only drop each
    controller's newest value into an atomic cell; the message thread picks
    the values up, learns, and writes the slots like an edit in the editor.
    So nothing here locks, allocates or waits on a MIDI thread, and the
    controller messages still reach the synthesizer as before (it ignores
    them, but for all-notes-off).

    The table lives in the app's settings as text such as "74=12 71=3"
    (controller=slot), never in the sound's state. */
class ControllerMap
{
public:
    static constexpr int controllerCount = 128;
    static constexpr int slotCount = 18;

    ControllerMap();

    // --- any MIDI thread

    /** Notes a controller message; anything else is ignored. */
    void handleIncomingMessage (const juce::MidiMessage& message) noexcept;

    // --- the message thread

    /** The next controller that moves will drive this slot (-1: learn nothing). */
    void startLearning (int slot) noexcept;
    int getLearningSlot() const noexcept { return learningSlot; }

    /** The controller that drives a slot, or -1. */
    int getControllerFor (int slot) const noexcept;

    /** Maps the controller to the slot, taking it from any slot it drove and
        any controller from the slot: one controller a slot, one slot a controller. */
    void assign (int controller, int slot) noexcept;
    void forgetSlot (int slot) noexcept;
    void forgetAll() noexcept;
    bool isEmpty() const noexcept;

    /** Takes the values that arrived since the last call: completes a learn,
        and calls drive (slot, value 0..1) for each mapped controller that
        moved. Returns true when the table changed (a learn completed). */
    bool deliver (const std::function<void (int slot, float value)>& drive);

    juce::String toText() const;

    /** Replaces the table by the one the text describes; pairs that make no
        sense (numbers out of range, stray words) are skipped. */
    void fromText (const juce::String& text);

private:
    // Written by the MIDI threads, taken by the message thread: the newest
    // value 0..127 of each controller, -1 when none came since the last look.
    std::array<std::atomic<int>, controllerCount> arrived;
    std::atomic<unsigned int> arrivals { 0 };

    // The message thread's own.
    std::array<int, controllerCount> slotOfController {};
    int learningSlot = -1;
    unsigned int arrivalsSeen = 0;

    JUCE_DECLARE_NON_COPYABLE (ControllerMap)
};
