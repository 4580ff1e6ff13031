// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstTestHost.h"

#include <cmath>
#include <limits>

using namespace vsttest;

namespace
{
    using vsthost::MidiEvent;

    bool allFinite (const Block& b)
    {
        for (size_t i = 0; i < b.left.size(); ++i)
            if (! std::isfinite (b.left[i]) || ! std::isfinite (b.right[i]))
                return false;
        return true;
    }

    void expectSameSound (const Block& a, const Block& b)
    {
        ASSERT_EQ (a.left.size(), b.left.size());
        for (size_t i = 0; i < a.left.size(); ++i)
        {
            ASSERT_EQ (a.left[i], b.left[i]) << "sample " << i;
            ASSERT_EQ (a.right[i], b.right[i]) << "sample " << i;
        }
    }

    /** A prepared instance the way a careful host makes one. */
    std::unique_ptr<vsthost::Plugin> preparedInstance (double rate, int blockSize, HostRecorder* recorder = nullptr)
    {
        auto plugin = load (recorder);
        plugin->open();
        plugin->setSampleRate (rate);
        plugin->setBlockSize (blockSize);
        plugin->setActive (true);
        return plugin;
    }
}

TEST (VstProcessing, LazyResumeKeepsTheEventsSentBeforeIt)
{
    // Reference: a host that resumes before sending anything.
    auto reference = preparedInstance (44100.0, 1024);
    reference->sendMidi ({ MidiEvent { 0, { 0x90, 69, 100 } } });
    const auto expected = render (*reference, 4, 1024);
    ASSERT_GT (expected.peak(), 0.01f);

    // A host that never sends effMainsChanged, and whose sample rate makes no
    // sense: the first block resumes with 44100 and 1024 and still plays the
    // note queued for it.
    for (float badRate : { 0.0f, -48000.0f, std::numeric_limits<float>::quiet_NaN() })
    {
        HostRecorder recorder;
        auto lazy = load (&recorder);
        lazy->dispatch (effOpen);
        lazy->dispatch (effSetSampleRate, 0, 0, nullptr, badRate);
        lazy->dispatch (effSetBlockSize, 0, -5);
        lazy->sendMidi ({ MidiEvent { 0, { 0x90, 69, 100 } } });
        const auto played = render (*lazy, 4, 1024);

        expectSameSound (played, expected);
        EXPECT_EQ (recorder.count (audioMasterWantMidi), 2);   // construction, lazy resume
    }

    // An explicit resume drops what came before it: those events belonged to no block.
    auto resumedLate = load();
    resumedLate->sendMidi ({ MidiEvent { 0, { 0x90, 69, 100 } } });
    resumedLate->setActive (true);
    EXPECT_EQ (render (*resumedLate, 2, 1024).peak(), 0.0f);
}

TEST (VstProcessing, EventsOfSeveralCallsMeetInPositionOrder)
{
    // One list with note-on at 5 and note-off at 10 ...
    auto together = preparedInstance (44100.0, 512);
    together->sendMidi ({ MidiEvent { 5, { 0x90, 60, 100 } }, MidiEvent { 10, { 0x80, 60, 0 } } });
    const auto expected = render (*together, 8, 512);

    // ... is what two calls in the opposite order give.
    auto split = preparedInstance (44100.0, 512);
    split->sendMidi ({ MidiEvent { 10, { 0x80, 60, 0 } } });
    split->sendMidi ({ MidiEvent { 5, { 0x90, 60, 100 } } });
    expectSameSound (render (*split, 8, 512), expected);

    // Only the note-on would hold the note: the comparison above means something.
    auto held = preparedInstance (44100.0, 512);
    held->sendMidi ({ MidiEvent { 5, { 0x90, 60, 100 } } });
    const auto heldSound = render (*held, 8, 512);
    EXPECT_NE (heldSound.left, expected.left);

    // Equal positions keep the order of arrival: on then off releases the note.
    auto sameTime = preparedInstance (44100.0, 512);
    sameTime->sendMidi ({ MidiEvent { 5, { 0x90, 60, 100 } } });
    sameTime->sendMidi ({ MidiEvent { 5, { 0x80, 60, 0 } } });
    auto sameTimeReference = preparedInstance (44100.0, 512);
    sameTimeReference->sendMidi ({ MidiEvent { 5, { 0x90, 60, 100 } }, MidiEvent { 5, { 0x80, 60, 0 } } });
    const auto sameTimeSound = render (*sameTime, 8, 512);
    expectSameSound (sameTimeSound, render (*sameTimeReference, 8, 512));
    EXPECT_NE (sameTimeSound.left, heldSound.left);
}

TEST (VstProcessing, APhraseSoundsTheSameOnBothChannels)
{
    auto plugin = preparedInstance (48000.0, 256);

    const std::vector<std::vector<MidiEvent>> phrase {
        { { 0, { 0x90, 60, 100 } }, { 128, { 0x91, 64, 90 } } },
        { { 17, { 0xe0, 0x00, 0x50 } } },
        { { 0, { 0x80, 60, 0 } }, { 200, { 0x92, 67, 127 } } },
        {},
        { { 3, { 0x91, 64, 0 } }, { 4, { 0x82, 67, 64 } } },
    };

    float loudest = 0.0f;
    for (const auto& events : phrase)
    {
        plugin->sendMidi (events);
        for (int i = 0; i < 20; ++i)
        {
            Block block (256);
            plugin->processReplacing (nullptr, block.outputs(), 256);
            ASSERT_TRUE (allFinite (block));
            ASSERT_EQ (block.left, block.right);
            loudest = std::max (loudest, block.peak());
        }
    }
    EXPECT_GT (loudest, 0.05f);

    // Released notes die away.
    const auto tail = render (*plugin, 200, 256);
    Block last (256);
    plugin->processReplacing (nullptr, last.outputs(), 256);
    EXPECT_EQ (last.peak(), 0.0f);
}

TEST (VstProcessing, AccumulatingProcessAddsToTheOutput)
{
    auto replacing = preparedInstance (44100.0, 512);
    auto adding = preparedInstance (44100.0, 512);
    for (auto* p : { replacing.get(), adding.get() })
        p->sendMidi ({ MidiEvent { 0, { 0x90, 57, 110 } } });

    for (int b = 0; b < 4; ++b)
    {
        Block signal (512, 0.75f);   // replaced, whatever it held
        replacing->processReplacing (nullptr, signal.outputs(), 512);

        Block sum (512, 0.25f);
        adding->processAccumulating (nullptr, sum.outputs(), 512);

        for (size_t i = 0; i < 512; ++i)
        {
            ASSERT_EQ (sum.left[i], 0.25f + signal.left[i]);
            ASSERT_EQ (sum.right[i], 0.25f + signal.right[i]);
        }
    }
}

TEST (VstProcessing, ArdourLikeHostStopsEveryVoiceAtTransportStop)
{
    HostRecorder recorder;
    auto plugin = load (&recorder, 2400);
    plugin->open();
    plugin->setSampleRate (48000.0);
    plugin->setBlockSize (1024);
    plugin->setActive (true);

    // An event list before every block, empty ones too.
    float loudest = 0.0f;
    for (int b = 0; b < 16; ++b)
    {
        std::vector<MidiEvent> events;
        if (b == 0)
            events = { { 0, { 0x90, 48, 100 } }, { 0, { 0x90, 55, 100 } }, { 512, { 0x99, 62, 80 } } };
        plugin->sendMidi (events);

        Block block (1024);
        plugin->processReplacing (nullptr, block.outputs(), 1024);
        loudest = std::max (loudest, block.peak());
    }
    ASSERT_GT (loudest, 0.01f);

    // Transport stop: sustain off, all notes off, reset controllers, on all 16 channels.
    std::vector<MidiEvent> stop;
    for (unsigned char channel = 0; channel < 16; ++channel)
        for (unsigned char controller : { 64, 123, 121 })
            stop.push_back ({ 0, { (unsigned char) (0xb0 | channel), controller, 0 } });
    plugin->sendMidi (stop);

    Block stopBlock (1024);
    plugin->processReplacing (nullptr, stopBlock.outputs(), 1024);
    for (size_t i = 16; i < 1024; ++i)   // at most one sub-block was rendered ahead
        ASSERT_EQ (stopBlock.left[i], 0.0f) << i;

    plugin->sendMidi ({});
    Block after (1024);
    plugin->processReplacing (nullptr, after.outputs(), 1024);
    EXPECT_EQ (after.peak(), 0.0f);

    EXPECT_GE (recorder.count (audioMasterWantMidi), 2);   // construction and resume
}

TEST (VstProcessing, HostileCallsNeitherCrashNorPoison)
{
    auto plugin = preparedInstance (44100.0, 512);
    auto& p = *plugin;

    // Null and foreign events, garbage bytes and odd positions.
    EventList list;
    list.addNull();
    list.addSysex (3);
    list.addMidi (-100, 0x90, 64, 100);
    list.addMidi (std::numeric_limits<int>::max(), 0x90, 65, 100);
    list.addMidi (7, 0x00, 0xff, 0xff);
    list.addMidi (8, 0xff, 0xff, 0xff);
    list.addMidi (9, 0xf0, 0x01, 0x02);
    list.addMidi (10, 0xe5, 0xff, 0xff);
    EXPECT_EQ (p.dispatch (effProcessEvents, 0, 0, list.get()), 1);

    VstEvents emptyList {};
    emptyList.numEvents = -3;
    EXPECT_EQ (p.dispatch (effProcessEvents, 0, 0, &emptyList), 1);

    // Blocks of no length, negative length, without outputs.
    Block block (512);
    p.processReplacing (nullptr, block.outputs(), 0);
    p.processReplacing (nullptr, block.outputs(), -64);
    p.processReplacing (nullptr, nullptr, 512);
    float* halfOutputs[2] = { block.left.data(), nullptr };
    p.processReplacing (nullptr, halfOutputs, 512);
    EXPECT_EQ (block.peak(), 0.0f);   // nothing was written

    // Nonsense rates and sizes at resume.
    for (float rate : { std::numeric_limits<float>::infinity(), -1.0f, 0.0f })
    {
        p.setActive (false);
        p.dispatch (effSetSampleRate, 0, 0, nullptr, rate);
        p.dispatch (effSetBlockSize, 0, (intptr_t) 1 << 40);
        p.setActive (true);
        p.sendMidi ({ MidiEvent { 0, { 0x90, 60, 100 } } });

        for (int n : { 1, 17, 4096, 3 })
        {
            Block b (n);
            p.processReplacing (nullptr, b.outputs(), n);
            ASSERT_TRUE (allFinite (b));
        }
    }

    // Any float reaches the parameters; the sound stays finite.
    for (int index = -2; index < 20; ++index)
        p.setParameter (index, index % 2 == 0 ? std::numeric_limits<float>::quiet_NaN() : 1.0e30f);
    p.sendMidi ({ MidiEvent { 0, { 0x90, 72, 100 } } });
    for (int b = 0; b < 8; ++b)
    {
        Block out (256);
        p.processReplacing (nullptr, out.outputs(), 256);
        ASSERT_TRUE (allFinite (out));
    }
}
