// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The LV2 and VST3 builds, loaded through the framework's own hosting, must
// describe themselves as the instrument they are, play exactly what the
// VST 2 library plays, and keep the state block across all three formats.
// gtest first: the framework brings in X11 headers whose macros it trips on.
#include <gtest/gtest.h>

#include "FormatHost.h"
#include "Phrase.h"

#include <array>
#include <cstring>
#include <map>
#include <random>

using formathost::Format;

namespace
{
    using namespace phrase;
    constexpr std::array formats { Format::vst3, Format::lv2 };

    // The host value of a slot value: the formats show wave shapes as five
    // choices in 0..1, everything else as the slot value itself.
    float hostValue (int slot, float slotValue)
    {
        return slot == 14 || slot == 15 ? (slotValue - 1.0f) / 4.0f : slotValue;
    }

    Render renderFormat (Format format, const std::vector<int>& sizes, const std::vector<std::uint8_t>& state)
    {
        auto instance = formathost::load (format, sampleRate, maxBlock);
        if (instance == nullptr)
            return {};
        if (! state.empty())
            formathost::loadBlock (format, *instance, state);

        Render out;
        juce::AudioBuffer<float> buffer (2, maxBlock);
        juce::MidiBuffer midiBuffer;
        const auto parameters = formathost::slotParameters (format, *instance);
        if (parameters.empty())
            return {};
        walk (
            sizes,
            [&] (int slot, float value) { parameters.at ((size_t) slot)->setValue (hostValue (slot, value)); },
            [&] (int size, const Events& events) {
                juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, size);
                block.clear();
                midiBuffer.clear();
                for (const auto& [position, bytes] : events)
                    midiBuffer.addEvent (bytes.data(), 3, position);
                instance->processBlock (block, midiBuffer);
                out.insert (out.end(), block.getReadPointer (0), block.getReadPointer (0) + size);
                out.insert (out.end(), block.getReadPointer (1), block.getReadPointer (1) + size);
            });
        instance->releaseResources();
        return out;
    }

    // The first sample whose bits differ, or -1.
    long firstDifference (const Render& a, const Render& b)
    {
        if (a.size() != b.size())
            return 0;
        for (size_t i = 0; i < a.size(); ++i)
            if (std::memcmp (&a[i], &b[i], sizeof (float)) != 0)
                return (long) i;
        return -1;
    }

    bool audible (const Render& r)
    {
        return std::any_of (r.begin(), r.end(), [] (float x) { return std::abs (x) > 0.01f; });
    }

    // A block with values no editor or host would write: out of every
    // range, off the steps, a wave id that selects nothing. (Arp sits off its
    // steps but shows as "Off", so that the phrase's write of 0.5 is not one
    // the wrappers drop as unchanged.)
    std::vector<std::uint8_t> unusualState()
    {
        const std::string text = "<t_SETTINGS 0=\"1.70000005\" 1=\"-0.25\" 2=\"0.300000012\" 3=\"0\" 4=\"0.5\" 5=\"0.25\" "
                                 "6=\"0.125\" 7=\"2\" 8=\"0.00999999978\" 9=\"0.600000024\" 10=\"0.200000003\" 11=\"0.100000001\" "
                                 "12=\"0.150000006\" 13=\"0.200000003\" 14=\"0.400000006\" 15=\"3.5\" 16=\"0.699999988\" 17=\"7\"/>";
        std::vector<std::uint8_t> block (text.size() + 10, 0);
        std::memcpy (block.data(), "VC2!", 4);
        block[4] = (std::uint8_t) text.size();
        std::memcpy (block.data() + 8, text.data(), text.size());
        return block;
    }
}

TEST (Formats, DescribeAnInstrumentWithEighteenDistinctParameters)
{
    const std::map<int, std::pair<const char*, int>> expected {
        { 0, { "Disp", 0 } }, { 2, { "Oct", 3 } }, { 3, { "Osc A", 0 } }, { 8, { "Amp A", 0 } }, { 13, { "Arp", 3 } }, { 14, { "P1 Wave", 5 } }, { 15, { "P2 Wave", 5 } }, { 16, { "Crush", 2 } }, { 17, { "Filter", 2 } }
    };

    for (auto format : formats)
    {
        SCOPED_TRACE (formathost::nameOf (format));
        auto instance = formathost::load (format, sampleRate, maxBlock);
        ASSERT_NE (instance, nullptr);

        const auto description = instance->getPluginDescription();
        EXPECT_TRUE (description.isInstrument);
        EXPECT_EQ (description.name, "Zephyrine");
        EXPECT_EQ (description.manufacturerName, "Tin Whistlers");
        EXPECT_TRUE (instance->acceptsMidi());
        EXPECT_FALSE (instance->producesMidi());
        EXPECT_EQ (instance->getTotalNumInputChannels(), 0);
        EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);

        const auto parameters = formathost::slotParameters (format, *instance);
        ASSERT_EQ (parameters.size(), 18u);
        juce::StringArray names;
        for (auto* parameter : parameters)
            names.add (parameter->getName (64));
        for (int slot = 0; slot < 18; ++slot)
            EXPECT_EQ (names.indexOf (names[slot]), slot) << "name shared: " << names[slot];

        // Beyond the slots: the host's bypass switch and, for VST3, the
        // framework's program switch and its stand-ins for MIDI controllers
        // (not automatable), through which VST3 hosts send pitch bend and
        // controller 123.
        for (auto* parameter : instance->getParameters())
        {
            const auto name = parameter->getName (64);
            if (! names.contains (name))
            {
                EXPECT_TRUE (name == "Bypass"
                             || (format == Format::vst3 && (name == "Program" || (name.startsWith ("MIDI CC") && ! parameter->isAutomatable()))))
                    << name;
            }
        }

        for (const auto& [slot, nameAndSteps] : expected)
        {
            const auto* parameter = parameters[(size_t) slot];
            EXPECT_EQ (parameter->getName (64), nameAndSteps.first);
            if (nameAndSteps.second > 0)
            {
                EXPECT_EQ (parameter->getNumSteps(), nameAndSteps.second) << names[slot];
                EXPECT_TRUE (parameter->isDiscrete()) << names[slot];
            }
            else
            {
                EXPECT_FALSE (parameter->isDiscrete()) << names[slot];
            }
        }
        EXPECT_EQ (parameters[14]->getCurrentValueAsText(), "Saw1");
        EXPECT_EQ (parameters[16]->getCurrentValueAsText(), "On");
        // A new instance plays the first program, the engine's own sound.
        if (format == Format::vst3)
        {
            EXPECT_EQ (instance->getProgramName (instance->getCurrentProgram()), "Default");
        }
    }
}

TEST (Formats, PlayThePhraseBitForBitAsTheVst2Library)
{
    for (unsigned seed : { 1u, 2u })
    {
        const auto sizes = randomBlockSizes (seed);
        const auto reference = renderVst2 (sizes, {});
        ASSERT_TRUE (audible (reference));

        for (auto format : formats)
        {
            SCOPED_TRACE (formathost::nameOf (format));
            const auto render = renderFormat (format, sizes, {});
            EXPECT_EQ (render.size(), reference.size());
            EXPECT_EQ (firstDifference (render, reference), -1) << "block sizes seed " << seed;
        }
    }
}

TEST (Formats, ShareTheStateBlockByteForByte)
{
    // VST 2 takes the block and hands it back unchanged; that is the
    // reference every format must load and save back.
    const auto reference = vst2RoundTrip (unusualState());
    ASSERT_EQ (reference, unusualState());

    // Round the formats: each loads what the previous one saved.
    auto block = reference;
    for (auto format : { Format::vst3, Format::lv2, Format::vst3 })
    {
        SCOPED_TRACE (formathost::nameOf (format));
        auto instance = formathost::load (format, sampleRate, maxBlock);
        ASSERT_NE (instance, nullptr);
        formathost::loadBlock (format, *instance, block);

        // LV2 hosts hear of the restored values from the next block on.
        juce::AudioBuffer<float> audio (2, 16);
        juce::MidiBuffer none;
        instance->processBlock (audio, none);

        block = formathost::saveBlock (format, *instance);
        EXPECT_EQ (block, reference);

        // The host is shown the nearest value it can show; the slot keeps its own.
        const auto parameters = formathost::slotParameters (format, *instance);
        ASSERT_EQ (parameters.size(), 18u);
        EXPECT_EQ (parameters[0]->getValue(), 1.0f);
        EXPECT_EQ (parameters[1]->getValue(), 0.0f);
        EXPECT_EQ (parameters[2]->getCurrentValueAsText(), "-1");
        EXPECT_EQ (parameters[14]->getCurrentValueAsText(), "Sin");
        EXPECT_EQ (parameters[15]->getCurrentValueAsText(), "Saw2");
        EXPECT_EQ (parameters[17]->getCurrentValueAsText(), "On");
    }

    EXPECT_EQ (vst2RoundTrip (block), reference);

    // And it sounds the same everywhere.
    const auto sizes = randomBlockSizes (3);
    const auto expected = renderVst2 (sizes, reference);
    for (auto format : formats)
        EXPECT_EQ (firstDifference (renderFormat (format, sizes, reference), expected), -1) << formathost::nameOf (format);
}

TEST (Formats, TellHostsEveryValueOnceTheInstanceRuns)
{
    // The values of a new instance, as the host shows them.
    std::vector<float> expected;
    {
        auto instance = formathost::load (Format::vst3, sampleRate, maxBlock);
        ASSERT_NE (instance, nullptr);
        for (auto* parameter : formathost::slotParameters (Format::vst3, *instance))
            expected.push_back (parameter->getValue());
        ASSERT_EQ (expected.size(), 18u);
    }

    // An LV2 host keeps its own copy of each value and has only the Turtle
    // defaults until the plug-in says otherwise: every value must be heard
    // in the first block of an instance as it was made (not prepared, which
    // here makes it again and loads a state into it), and after a state load.
    struct Heard : juce::AudioProcessorParameter::Listener
    {
        std::map<int, float> values;
        void parameterValueChanged (int index, float value) override { values[index] = value; }
        void parameterGestureChanged (int, bool) override {}
    };

    for (const bool afterLoad : { false, true })
    {
        SCOPED_TRACE (afterLoad ? "after a state load" : "new instance");
        auto instance = formathost::load (Format::lv2, sampleRate, maxBlock, afterLoad);
        ASSERT_NE (instance, nullptr);
        const auto parameters = formathost::slotParameters (Format::lv2, *instance);
        ASSERT_EQ (parameters.size(), 18u);

        juce::AudioBuffer<float> audio (2, 16);
        juce::MidiBuffer none;
        if (afterLoad)
        {
            instance->processBlock (audio, none);
            formathost::loadBlock (Format::lv2, *instance, unusualState());
        }

        Heard heard;
        for (auto* parameter : parameters)
            parameter->addListener (&heard);
        instance->processBlock (audio, none);
        for (auto* parameter : parameters)
            parameter->removeListener (&heard);

        EXPECT_EQ (heard.values.size(), 18u);
        for (size_t slot = 0; slot < parameters.size(); ++slot)
        {
            const int index = parameters[slot]->getParameterIndex();
            ASSERT_TRUE (heard.values.contains (index)) << "slot " << slot;
            EXPECT_EQ (heard.values[index], parameters[slot]->getValue()) << "slot " << slot;
            if (! afterLoad)
            {
                EXPECT_FLOAT_EQ (heard.values[index], expected[slot]) << "slot " << slot;
            }
        }
        if (afterLoad)
        {
            EXPECT_EQ (parameters[15]->getCurrentValueAsText(), "Saw2");
        }
    }
}

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI framework;
    testing::InitGoogleTest (&argc, argv);
    const int result = RUN_ALL_TESTS();
    formathost::closeFormats();
    return result;
}
