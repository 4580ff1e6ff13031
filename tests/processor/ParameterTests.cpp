// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProcessorRig.h"
#include "plugin/ParameterInfo.h"
#include "plugin/ParameterText.h"

#include "engine/ParameterBlock.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <clocale>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

TEST (Parameters, NamesAndClampedReads)
{
    JuceFilter filter;
    const char* expected[] = { "Disp", "Rand", "Oct", "A", "D", "S", "R", "Amt", "A", "D", "S", "R",
                               "Vol", "Arp", "None", "None", "Crush", "Filter" };
    EXPECT_EQ (filter.parameterCount(), 18);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ (filter.parameterName (i), juce::String (expected[i])) << i;
    EXPECT_TRUE (filter.parameterName (-1).isEmpty());
    EXPECT_TRUE (filter.parameterName (18).isEmpty());
    EXPECT_TRUE (filter.parameterName (std::numeric_limits<int>::min()).isEmpty());

    const std::uint32_t bits[] = { 0x3EA8D9D7, 0x3F31056C, 0x3F000000, 0, 0x3F51B3C0, 0, 0, 0x3F000000, 0,
                                   0x3EDF51AD, 0, 0x3D02B94E, 0x3DC415F4, 0, 0x40000000, 0x40000000,
                                   0x3F800000, 0x3F800000 };
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ (std::bit_cast<std::uint32_t> (filter.parameterValue (i)), bits[i]) << i;

    filter.setParameterValue (0, 0.125f);
    filter.setParameterValue (17, 0.75f);
    EXPECT_EQ (filter.parameterValue (-5), 0.125f);
    EXPECT_EQ (filter.parameterValue (40), 0.75f);
    EXPECT_EQ (filter.parameterText (-5), "0.125");
    EXPECT_EQ (filter.parameterText (40), "0.75");
}

TEST (Parameters, TextsArePrintfNineDigitsInAnyLocale)
{
    JuceFilter filter;
    EXPECT_EQ (filter.parameterText (12), "0.0957449973");
    EXPECT_EQ (filter.parameterText (11), "0.0319150016");
    EXPECT_EQ (filter.parameterText (14), "2");
    EXPECT_EQ (filter.parameterText (3), "0");

    const std::pair<float, const char*> cases[] = {
        { 0.25f, "0.25" }, { 1.0e-5f, "9.99999975e-06" }, { 0.0000152587890625f, "1.52587891e-05" }, { 0.1f, "0.100000001" }, { 1.0e9f, "1e+09" }, { 123456789.0f, "123456792" }, { -0.0f, "-0" }, { 0.0001f, "9.99999975e-05" }, { std::numeric_limits<float>::infinity(), "inf" }
    };
    for (auto [value, text] : cases)
    {
        filter.setParameterValue (5, value);
        EXPECT_EQ (filter.parameterText (5), text);
    }

    // Against the C library's %.9g in the C locale, over random bit patterns.
    std::mt19937 random (7);
    for (int n = 0; n < 20000; ++n)
    {
        const float value = std::bit_cast<float> ((std::uint32_t) random());
        if (! std::isfinite (value))
            continue;
        char expected[64];
        std::snprintf (expected, sizeof (expected), "%.9g", (double) value);
        ASSERT_EQ (parameterinfo::valueText (value), juce::String (expected)) << expected;
    }
}

TEST (Parameters, TextsAndStatesIgnoreTheHostLocale)
{
    // A host that set a comma locale must change neither texts nor states.
    for (const char* name : { "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8" })
        if (std::setlocale (LC_NUMERIC, name) != nullptr)
        {
            JuceFilter filter, copy;
            filter.setParameterValue (0, 0.25f);
            EXPECT_EQ (filter.parameterText (0), "0.25");
            juce::MemoryBlock state;
            filter.saveState (state);
            copy.loadState (state.getData(), (int) state.getSize());
            EXPECT_EQ (copy.parameterValue (0), 0.25f);
            std::setlocale (LC_NUMERIC, "C");
            return;
        }
    GTEST_SKIP() << "no locale with a decimal comma installed";
}

TEST (Parameters, WritesAnnounceTheClampedSlot)
{
    ProcessorRig rig;
    const auto filterOff = [&rig] {
        for (const auto& v : rig.voices().getVoices())
            if (v.isFilterOn())
                return false;
        return true;
    };

    ASSERT_FALSE (filterOff());
    rig.filter->setParameterValue (25, 0.0f);   // stores into slot 17 ...
    EXPECT_EQ (rig.filter->parameterValue (17), 0.0f);
    EXPECT_TRUE (filterOff());   // ... and the voices hear of slot 17
    rig.filter->setParameterValue (std::numeric_limits<int>::max(), 1.0f);
    EXPECT_FALSE (filterOff());

    rig.filter->setParameterValue (-1, 0.75f);
    EXPECT_EQ (rig.filter->parameterValue (0), 0.75f);

    // Re-sending the octave it already has still silences every voice.
    rig.block (256, { noteOn (0, 60), noteOn (0, 64) });
    ASSERT_EQ (rig.activeVoices(), 2);
    rig.filter->setParameterValue (2, rig.filter->parameterValue (2));
    EXPECT_EQ (rig.activeVoices(), 0);

    // Other writes leave the notes sounding.
    rig.block (256, { noteOn (0, 60) });
    rig.filter->setParameterValue (14, 5.0f);
    EXPECT_EQ (rig.activeVoices(), 1);
}

namespace
{
    struct RecordingCallbacks : public FilterNativeCallbacks
    {
        explicit RecordingCallbacks (AudioFilterBase& f) : filter (f) {}

        void informHostOfParameterChange (int index, float newValue) override
        {
            filter.setParameterValue (index, newValue);   // as the adapter does, before telling the host
            calls.emplace_back (index, newValue);
        }

        AudioFilterBase& filter;
        std::vector<std::pair<int, float>> calls;
    };
}

TEST (Parameters, EditorWritesGoThroughTheHostCallbacks)
{
    JuceFilter filter;
    filter.setParameterAndInformHost (7, 0.25f);
    EXPECT_EQ (filter.parameterValue (7), 0.25f);

    RecordingCallbacks callbacks (filter);
    filter.setNativeCallbacks (&callbacks);
    EXPECT_EQ (filter.getNativeCallbacks(), &callbacks);
    filter.setParameterAndInformHost (13, 0.5f);
    ASSERT_EQ (callbacks.calls.size(), 1u);
    EXPECT_EQ (callbacks.calls[0], std::make_pair (13, 0.5f));
    EXPECT_EQ (filter.parameterValue (13), 0.5f);

    filter.setNativeCallbacks (nullptr);
    filter.setParameterAndInformHost (13, 1.0f);
    EXPECT_EQ (callbacks.calls.size(), 1u);
    EXPECT_EQ (filter.parameterValue (13), 1.0f);

    filter.setPlayConfigDetails (0, 2);
    EXPECT_EQ (filter.getNumInputChannels(), 0);
    EXPECT_EQ (filter.getNumOutputChannels(), 2);
}

TEST (Programs, OneProgramWhoseNameIsNotSaved)
{
    JuceFilter filter;
    EXPECT_EQ (filter.programCount(), 1);
    EXPECT_EQ (filter.currentProgram(), 0);
    EXPECT_EQ (filter.programName (0), "Default");

    filter.renameProgram (3, "Pad");
    filter.selectProgram (5);
    EXPECT_EQ (filter.currentProgram(), 0);
    EXPECT_EQ (filter.programName (0), "Pad");
    EXPECT_EQ (filter.programName (-7), "Pad");

    juce::MemoryBlock state;
    filter.saveState (state);
    filter.loadState (state.getData(), (int) state.getSize());
    EXPECT_EQ (filter.programName (0), "Pad");

    JuceFilter restored;
    restored.loadState (state.getData(), (int) state.getSize());
    EXPECT_EQ (restored.programName (0), "Default");
}

// The texts LV2 and VST3 hosts and the app show, in the engine's own units.
TEST (Parameters, MusicalTextsAndTheirReadingBack)
{
    using parametertext::describe;
    using parametertext::parse;

    EXPECT_EQ (describe (ParameterBlock::ampAttack, 0.3f), "0.75 s");
    EXPECT_EQ (describe (ParameterBlock::ampAttack, 0.0f), "2.5 ms");   // raised to the minimum
    EXPECT_EQ (describe (ParameterBlock::oscDecay, 0.819149017f), "2.05 s");
    EXPECT_EQ (describe (ParameterBlock::vol, 0.0957449973f), "-20.4 dB");
    EXPECT_EQ (describe (ParameterBlock::vol, 0.0f), "-inf dB");
    EXPECT_EQ (describe (ParameterBlock::ampSustain, 0.5f), "-12.0 dB");   // the level is squared
    EXPECT_EQ (describe (ParameterBlock::disp, 0.5f), "50 %");
    EXPECT_EQ (describe (ParameterBlock::shapePositive, 4.0f), "Tri");
    EXPECT_EQ (describe (ParameterBlock::oct, 1.0f), "+1");
    EXPECT_EQ (describe (ParameterBlock::arp, 0.0f), "Off");
    EXPECT_EQ (describe (ParameterBlock::crush, 0.7f), "On");
    EXPECT_EQ (describe (18, 0.5f), "");

    // Every slot reads its own texts back to the value (within the text's
    // precision), and a number without its unit is taken in that unit.
    for (int slot = 0; slot < ParameterBlock::slotCount; ++slot)
        for (float value : { 0.05f, 0.25f, 0.5f, 1.0f, 3.0f })
        {
            if (describe (slot, value) == "(none)")   // a wave id outside 1..5
                continue;
            const auto back = parse (slot, describe (slot, value));
            ASSERT_TRUE (back.has_value()) << slot << " " << describe (slot, value);
            EXPECT_EQ (describe (slot, *back), describe (slot, value)) << slot;
        }
    EXPECT_FLOAT_EQ (*parse (ParameterBlock::ampRelease, "250 ms"), 0.1f);
    EXPECT_FLOAT_EQ (*parse (ParameterBlock::ampRelease, "0.5"), 0.2f);
    EXPECT_FLOAT_EQ (*parse (ParameterBlock::vol, "-6"), (float) std::pow (10.0, -6.0 / 20.0));
    EXPECT_EQ (parse (ParameterBlock::shapeNegative, "saw2"), 3.0f);
    EXPECT_FALSE (parse (ParameterBlock::vol, "loud").has_value());
    EXPECT_FALSE (parse (ParameterBlock::ampAttack, "1 dB").has_value());

    // Hostile values give a text, never a crash or an empty one.
    for (float hostile : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity(), -1e30f, 3e38f })
        for (int slot = 0; slot < ParameterBlock::slotCount; ++slot)
            EXPECT_FALSE (describe (slot, hostile).empty()) << slot;
}
