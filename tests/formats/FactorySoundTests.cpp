// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The factory sounds reach every format from the one list: VST3 and LV2
// hosts see them all as programs and presets, the preset files the build
// writes load back, and each sound plays the same samples whichever way it
// arrives.
// gtest first: the framework brings in X11 headers whose macros it trips on.
#include <gtest/gtest.h>

#include "FormatHost.h"
#include "Phrase.h"
#include "presets/FactoryPresets.h"

#include <cstring>

using formathost::Format;

namespace
{
    using namespace phrase;

    // A chord held a quarter of a second, in blocks of 500.
    const std::vector<Step> chord { midi (0, 0x90, 60, 100), midi (0, 0x90, 64, 100), midi (0, 0x90, 67, 100),
                                    midi (11000, 0x80, 60, 0), midi (11000, 0x80, 64, 0), midi (11000, 0x80, 67, 0) };
    const std::vector<int> chordBlocks (40, 500);

    std::vector<std::uint8_t> blockOf (const factorypresets::Sound& sound)
    {
        const auto bytes = factorypresets::stateBlock (sound);
        return { bytes.begin(), bytes.end() };
    }

    juce::MemoryBlock readFile (const juce::String& kind, const juce::String& fileName)
    {
        juce::MemoryBlock data;
        const auto file = juce::File (ZEPHYRINE_PRESET_FILES).getChildFile (kind).getChildFile (fileName);
        EXPECT_TRUE (file.loadFileAsData (data)) << file.getFullPathName();
        return data;
    }

    Render play (juce::AudioPluginInstance& instance)
    {
        Render out;
        juce::AudioBuffer<float> buffer (2, maxBlock);
        juce::MidiBuffer midiBuffer;
        walk (
            chordBlocks, [] (int, float) {},
            [&] (int size, const Events& events) {
                juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, size);
                block.clear();
                midiBuffer.clear();
                for (const auto& [position, bytes] : events)
                    midiBuffer.addEvent (bytes.data(), 3, position);
                instance.processBlock (block, midiBuffer);
                out.insert (out.end(), block.getReadPointer (0), block.getReadPointer (0) + size);
                out.insert (out.end(), block.getReadPointer (1), block.getReadPointer (1) + size);
            },
            chord);
        return out;
    }

    int programNamed (juce::AudioPluginInstance& instance, const char* name)
    {
        for (int i = 0; i < instance.getNumPrograms(); ++i)
            if (instance.getProgramName (i) == name)
                return i;
        return -1;
    }

    bool loadVstPreset (juce::AudioPluginInstance& instance, const juce::MemoryBlock& file)
    {
        struct Loader : juce::ExtensionsVisitor
        {
            explicit Loader (const juce::MemoryBlock& data) : preset (data) {}
            void visitVST3Client (const VST3Client& client) override { loaded = client.setPreset (preset); }
            const juce::MemoryBlock& preset;
            bool loaded = false;
        } loader (file);
        instance.getExtensions (loader);
        return loader.loaded;
    }

    std::int32_t bigEndianAt (const juce::MemoryBlock& data, size_t offset)
    {
        const auto* b = static_cast<const std::uint8_t*> (data.getData()) + offset;
        return (std::int32_t) (((std::uint32_t) b[0] << 24) | ((std::uint32_t) b[1] << 16) | ((std::uint32_t) b[2] << 8) | b[3]);
    }
}

TEST (FactorySounds, AreEveryFormatsProgramsAndSurviveATweakedSession)
{
    const auto sounds = factorypresets::all();
    ASSERT_GE (sounds.size(), 33u);

    for (auto format : { Format::vst3, Format::lv2 })
    {
        SCOPED_TRACE (formathost::nameOf (format));
        auto instance = formathost::load (format, sampleRate, maxBlock);
        ASSERT_NE (instance, nullptr);

        // VST3 keeps the list's order; lilv lists presets in an order of its own.
        ASSERT_EQ (instance->getNumPrograms(), (int) sounds.size());
        for (size_t i = 0; i < sounds.size(); ++i)
        {
            if (format == Format::vst3)
                EXPECT_EQ (instance->getProgramName ((int) i), sounds[i].name);
            else
                EXPECT_GE (programNamed (*instance, sounds[i].name), 0) << sounds[i].name;
        }

        // Choose a sound, turn a knob, save: the session brings back the knob.
        const auto& chosen = sounds[sounds.size() / 2];
        juce::AudioBuffer<float> audio (2, 16);
        juce::MidiBuffer none;
        instance->setCurrentProgram (programNamed (*instance, chosen.name));
        instance->processBlock (audio, none);   // host writes land with a block
        const auto parameters = formathost::slotParameters (format, *instance);
        ASSERT_EQ (parameters.size(), 18u);
        parameters[12]->setValueNotifyingHost (0.625f);
        instance->processBlock (audio, none);

        const auto session = formathost::saveBlock (format, *instance);
        auto restored = formathost::load (format, sampleRate, maxBlock);
        ASSERT_NE (restored, nullptr);
        formathost::loadBlock (format, *restored, session);
        restored->processBlock (audio, none);
        const auto restoredParameters = formathost::slotParameters (format, *restored);
        ASSERT_EQ (restoredParameters.size(), 18u);
        EXPECT_EQ (restoredParameters[12]->getValue(), 0.625f);
        EXPECT_EQ (restoredParameters[9]->getValue(), chosen.values[9]);

        // The session knows which program it started from, so a host that
        // selects that program again after restoring it changes nothing.
        if (format == Format::vst3)
        {
            EXPECT_EQ (restored->getCurrentProgram(), programNamed (*restored, chosen.name));
            restored->setCurrentProgram (restored->getCurrentProgram());
            restored->processBlock (audio, none);
            EXPECT_EQ (formathost::saveBlock (format, *restored), session);
        }
    }
}

TEST (FactorySounds, PlayTheSameSamplesFromEveryFormatAndEveryFile)
{
    const auto sounds = factorypresets::all();
    std::vector<std::vector<std::uint8_t>> blocks;
    for (const auto& sound : sounds)
    {
        SCOPED_TRACE (sound.name);
        const auto& block = blocks.emplace_back (blockOf (sound));
        const auto stem = juce::String (factorypresets::fileStem (sound.name));

        // The sound file is the state block itself.
        EXPECT_TRUE (readFile ("vc2", stem + ".vc2").matches (block.data(), block.size()));

        // The VST 2 program file: a chunk program of this plug-in, named for
        // the sound, whose chunk is the state block.
        const auto fxp = readFile ("fxp", stem + ".fxp");
        ASSERT_GE (fxp.getSize(), 60u);
        EXPECT_EQ (std::memcmp (fxp.getData(), "CcnK", 4), 0);
        EXPECT_EQ (bigEndianAt (fxp, 4), (std::int32_t) fxp.getSize() - 8);
        EXPECT_EQ (std::memcmp (static_cast<const char*> (fxp.getData()) + 8, "FPCh", 4), 0);
        EXPECT_EQ (bigEndianAt (fxp, 16), bigEndianAt (juce::MemoryBlock ("TiWh", 4), 0));
        EXPECT_EQ (juce::String (static_cast<const char*> (fxp.getData()) + 28, 27), juce::String (sound.name).substring (0, 27));
        EXPECT_EQ (bigEndianAt (fxp, 56), (std::int32_t) block.size());
        EXPECT_EQ (std::memcmp (static_cast<const char*> (fxp.getData()) + 60, block.data(), block.size()), 0);
    }

    // One instance of each kind goes through the whole library in turn, so
    // that what a sound leaves behind in the voices counts alike everywhere;
    // VST 2, loading each block as its chunk, is the reference.
    const auto reference = renderVst2InTurn (chordBlocks, blocks, chord);
    ASSERT_EQ (reference.size(), sounds.size());
    auto vst3 = formathost::load (Format::vst3, sampleRate, maxBlock);
    auto fromFiles = formathost::load (Format::vst3, sampleRate, maxBlock);
    auto lv2 = formathost::load (Format::lv2, sampleRate, maxBlock);
    ASSERT_TRUE (vst3 != nullptr && fromFiles != nullptr && lv2 != nullptr);

    for (size_t i = 0; i < sounds.size(); ++i)
    {
        const auto& sound = sounds[i];
        SCOPED_TRACE (sound.name);
        ASSERT_TRUE (std::any_of (reference[i].begin(), reference[i].end(), [] (float x) { return std::abs (x) > 0.01f; }));

        vst3->setCurrentProgram (programNamed (*vst3, sound.name));
        EXPECT_EQ (play (*vst3), reference[i]) << "VST3 program";

        EXPECT_TRUE (loadVstPreset (*fromFiles, readFile ("vst3", juce::String (sound.name) + ".vstpreset")));
        EXPECT_EQ (play (*fromFiles), reference[i]) << ".vstpreset";

        const int preset = programNamed (*lv2, sound.name);
        ASSERT_GE (preset, 0);
        lv2->setCurrentProgram (preset);
        EXPECT_EQ (play (*lv2), reference[i]) << "LV2 preset";
    }
}
