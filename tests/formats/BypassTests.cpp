// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The host's bypass switch, flipped through the framework's hosting while a
// note sounds: the output fades rather than steps, and the synthesizer keeps
// hearing MIDI, so a note released while bypassed is gone when it comes back.
// gtest first: the framework brings in X11 headers whose macros it trips on.
#include <gtest/gtest.h>

#include "FormatHost.h"
#include "Phrase.h"

#include <algorithm>
#include <cmath>

using formathost::Format;

namespace
{
    constexpr double sampleRate = phrase::sampleRate;
    constexpr int blockSize = 128;

    struct Switch
    {
        int time;   // a multiple of blockSize: the hosts apply the switch at a block start
        bool bypassed;
    };

    // One note, held from the start until noteOff, on a smooth sound (sine
    // halves, full sustain, no crush), so that a step in the output can only
    // come from the switch. The left channel.
    std::vector<float> play (Format format, const std::vector<Switch>& switches, int noteOff, int length)
    {
        auto instance = formathost::load (format, sampleRate, blockSize);
        if (instance == nullptr)
            return {};
        auto* bypass = instance->getBypassParameter();
        const auto parameters = formathost::slotParameters (format, *instance);
        if (bypass == nullptr || parameters.empty())
        {
            ADD_FAILURE() << "no bypass or slot parameters";
            return {};
        }
        parameters[10]->setValue (1.0f);   // amp sustain
        parameters[14]->setValue (0.0f);   // sine, first of the five shapes
        parameters[15]->setValue (0.0f);
        parameters[16]->setValue (0.0f);   // crush off

        std::vector<float> out;
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        size_t nextSwitch = 0;
        for (int start = 0; start < length; start += blockSize)
        {
            for (; nextSwitch < switches.size() && switches[nextSwitch].time <= start; ++nextSwitch)
                bypass->setValue (switches[nextSwitch].bypassed ? 1.0f : 0.0f);

            midi.clear();
            if (start == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
            if (noteOff >= start && noteOff < start + blockSize)
                midi.addEvent (juce::MidiMessage::noteOff (2, 60), noteOff - start);

            buffer.clear();
            instance->processBlock (buffer, midi);
            out.insert (out.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
        }
        instance->releaseResources();
        return out;
    }

    float largestStep (const std::vector<float>& signal, int from, int to)
    {
        float largest = 0.0f;
        for (int i = std::max (1, from); i < std::min (to, (int) signal.size()); ++i)
            largest = std::max (largest, std::abs (signal[(size_t) i] - signal[(size_t) i - 1]));
        return largest;
    }

    float peak (const std::vector<float>& signal, int from, int to)
    {
        float largest = 0.0f;
        for (int i = from; i < std::min (to, (int) signal.size()); ++i)
            largest = std::max (largest, std::abs (signal[(size_t) i]));
        return largest;
    }
}

TEST (Bypass, FadesAtEverySwitchAndLetsNoteOffsThrough)
{
    constexpr int length = 64 * 1024;
    constexpr int noteOff = 24 * 1024 + 77;
    const std::vector<Switch> switches { { 8 * 1024, true }, { 12 * 1024, false }, { 16 * 1024, true }, { 32 * 1024, false } };
    const int fade = (int) std::ceil (0.005 * sampleRate);

    for (auto format : { Format::lv2, Format::vst3 })
    {
        SCOPED_TRACE (formathost::nameOf (format));
        const auto reference = play (format, {}, noteOff, length);
        const auto switched = play (format, switches, noteOff, length);
        ASSERT_EQ (switched.size(), (size_t) length);
        ASSERT_EQ (reference.size(), (size_t) length);

        for (const auto& change : switches)
        {
            SCOPED_TRACE (change.time);
            const int from = change.time - blockSize, to = change.time + fade + blockSize;
            // The note is sounding where it is switched, and no sample moves
            // further than the note itself does nearby (plus what the gain
            // adds over the fade: a level of ~0.1 in ~220 steps).
            if (change.time < noteOff)
            {
                EXPECT_GT (peak (reference, from, to), 0.01f);
            }
            EXPECT_LE (largestStep (switched, from, to), largestStep (reference, from, to) + 1.0e-3f);
        }

        // Bypassed: silent once faded.
        EXPECT_EQ (peak (switched, 8 * 1024 + fade, 12 * 1024), 0.0f);
        // Enabled again, the note that was released while bypassed is over,
        // as it is without the switching.
        EXPECT_LT (peak (reference, length - 8192, length), 1.0e-4f);
        EXPECT_LT (peak (switched, 32 * 1024, length), 1.0e-4f);
    }
}
