// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The committed demo song is what its generator makes, and shows what it promises.

#include "RenderTestSupport.h"

#include "DemoSong.h"

#include <gtest/gtest.h>

#include <set>

using namespace rendertest;

TEST (DemoSong, CommittedFileIsWhatTheGeneratorMakes)
{
    juce::MemoryOutputStream generated;
    ASSERT_TRUE (createDemoSong().writeTo (generated, 1));

    juce::MemoryBlock committed;
    ASSERT_TRUE (juce::File (demoSong()).loadFileAsData (committed)) << demoSong();
    EXPECT_TRUE (committed == generated.getMemoryBlock())
        << "demo/demo.mid is out of date: run build/bin/make-demo demo/demo.mid";
}

TEST (DemoSong, ShowsOffTheInstrument)
{
    auto midi = createDemoSong();
    midi.convertTimestampTicksToSeconds();
    EXPECT_NEAR (midi.getLastTimestamp(), demoSongLengthSeconds(), 1.0e-6);
    EXPECT_GE (demoSongLengthSeconds(), 20.0);
    EXPECT_LE (demoSongLengthSeconds(), 40.0);

    // Merge all tracks and count what matters.
    juce::MidiMessageSequence all;
    for (int t = 0; t < midi.getNumTracks(); ++t)
        all.addSequence (*midi.getTrack (t), 0.0);
    all.sort();

    int sounding = 0, mostAtOnce = 0, bends = 0, tempoChanges = 0;
    std::set<std::string> settings;
    for (const auto* holder : all)
    {
        const auto& m = holder->message;
        if (m.isNoteOn())
            mostAtOnce = std::max (mostAtOnce, ++sounding);
        else if (m.isNoteOff())
            --sounding;
        else if (m.isPitchWheel() && m.getPitchWheelValue() != 8192)
            ++bends;
        else if (m.isTempoMetaEvent())
            ++tempoChanges;
        else if (m.isTextMetaEvent() && m.getMetaEventType() == 1)
        {
            const auto text = m.getTextFromTextMetaEvent();
            EXPECT_TRUE (text.startsWith ("Zephyrine: ")) << text;
            for (const auto& word : juce::StringArray::fromTokens (text.fromFirstOccurrenceOf (": ", false, false), " ", ""))
                settings.insert (word.toStdString());
        }
    }

    EXPECT_EQ (sounding, 0);     // every note ends
    EXPECT_GT (mostAtOnce, 8);   // more than eight voices can hold
    EXPECT_GT (bends, 20);       // bend gestures, not single jumps
    EXPECT_GE (tempoChanges, 2);
    for (const char* expected : { "Crush=0", "Crush=1", "Arp=0.5", "Arp=1", "Arp=0", "Wave1=Sqr", "Wave2=Tri", "Wave2=Sin",
                                  "Wave2=Saw2" })
        EXPECT_EQ (settings.count (expected), 1u) << expected;
}
