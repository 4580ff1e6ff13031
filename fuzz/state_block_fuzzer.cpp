// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The state block reader with any bytes. The input is the block itself.
//
// A load either replaces every slot or changes nothing, so the block is
// loaded into two processors whose slots differ everywhere: afterwards they
// must agree in every slot (accepted) or both still hold what they held
// (refused). A refused block must not silence a sounding note either: a
// third processor that was never handed the block must play on identically.
// An accepted one must survive a save, a load into a fresh processor and a
// second save unchanged, byte for byte and bit for bit. The renderer checks
// a state file before it hands it over: it must refuse exactly the blocks
// the processor refuses.
#include "RenderError.h"
#include "StateFile.h"
#include "plugin/JuceFilter.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
    constexpr int slotCount = 18;
    constexpr int blockSize = 64;

    using Slots = std::array<std::uint32_t, slotCount>;

    std::uint32_t bitsOf (float value)
    {
        std::uint32_t bits;
        std::memcpy (&bits, &value, sizeof (bits));
        return bits;
    }

    Slots slotsOf (JuceFilter& filter)
    {
        Slots slots {};
        for (int i = 0; i < slotCount; ++i)
            slots[(size_t) i] = bitsOf (filter.parameterValue (i));
        return slots;
    }

    void check (bool condition, const char* what)
    {
        if (! condition)
        {
            std::fprintf (stderr, "state block oracle failed: %s\n", what);
            std::abort();
        }
    }

    /** A processor with a note sounding, its slots set to values that no
        default and no zero equals. */
    void prepareOther (JuceFilter& filter)
    {
        for (int i = 0; i < slotCount; ++i)
            filter.setParameterValue (i, filter.parameterValue (i) == 0.375f ? 0.625f : 0.375f);
    }

    juce::AudioBuffer<float> play (JuceFilter& filter, bool noteOn)
    {
        juce::AudioBuffer<float> output (2, blockSize);
        juce::MidiBuffer midi;
        if (noteOn)
            midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
        filter.process (juce::AudioBuffer<float>(), output, false, midi);
        return output;
    }

    bool sameSound (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
    {
        for (int channel = 0; channel < 2; ++channel)
            if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * blockSize) != 0)
                return false;
        return true;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    // The adapter hands at most INT_MAX bytes; anything a host sends fits.
    const int length = (int) std::min<std::size_t> (size, 1 << 20);

    JuceFilter fresh, other, witness;
    prepareOther (other);
    prepareOther (witness);
    other.prepare (44100.0, blockSize);
    witness.prepare (44100.0, blockSize);
    play (other, true);
    play (witness, true);

    const auto freshBefore = slotsOf (fresh);
    const auto otherBefore = slotsOf (other);

    fresh.loadState (data, length);
    other.loadState (data, length);

    const auto freshAfter = slotsOf (fresh);
    const auto otherAfter = slotsOf (other);
    const bool refused = freshAfter == freshBefore && otherAfter == otherBefore;

    bool rendererRefused = false;
    try
    {
        checkStateBlock (std::vector<std::uint8_t> (data, data + length), "fuzz");
    }
    catch (const RenderError&)
    {
        rendererRefused = true;
    }
    check (rendererRefused == refused, "the renderer's check and the processor disagree");

    if (refused)
    {
        // Refused: nothing changed, and the note plays on as if unheard.
        check (sameSound (play (other, false), play (witness, false)), "a refused block silenced a note");
        return 0;
    }

    check (freshAfter == otherAfter, "a load kept some slots of the processor it went into");

    // Accepted: what the processor saves reads back the same.
    juce::MemoryBlock saved;
    fresh.saveState (saved);
    check (saved.getSize() >= 10, "a saved block too short to be one");

    JuceFilter reader;
    reader.loadState (saved.getData(), (int) saved.getSize());
    const auto readBack = slotsOf (reader);

    bool allFinite = true;
    for (int i = 0; i < slotCount; ++i)
    {
        // Infinities have no text that reads back; every finite value does.
        const float value = fresh.parameterValue (i);
        if (! std::isfinite (value))
        {
            allFinite = false;
            continue;
        }
        check (readBack[(size_t) i] == freshAfter[(size_t) i], "a saved slot read back different");
    }

    if (allFinite)
    {
        juce::MemoryBlock savedAgain;
        reader.saveState (savedAgain);
        check (savedAgain == saved, "save, load, save changed the block");
    }

    return 0;
}
