// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    std::vector<int> activeVoices (const VoiceManager& vm)
    {
        std::vector<int> result;
        for (int i = 0; i < VoiceManager::voiceCount; ++i)
            if (vm.voices[(size_t) i].active)
                result.push_back (i);
        return result;
    }
}

TEST (VoiceManager, ReserveVoiceAndStealingOrder)
{
    EngineRig rig;
    rig.set (10, 1.0f);   // held notes keep sounding
    for (int n = 0; n < 8; ++n)
        rig.voices->noteOn (60 + n, 100, 0);
    EXPECT_EQ (activeVoices (*rig.voices), (std::vector<int> { 0, 1, 2, 3, 4, 5, 6, 7 }));

    EXPECT_FALSE (rig.voices->voices[8].active);
    rig.render (2048);

    // The ninth takes the reserve; the oldest fades within 84 samples and
    // becomes the reserve.
    rig.voices->noteOn (70, 100, 0);
    EXPECT_TRUE (rig.voices->voices[8].active);
    EXPECT_EQ (rig.voices->reserveIndex, 0);
    rig.render (64);
    EXPECT_TRUE (rig.voices->voices[0].active);
    rig.render (32);
    EXPECT_FALSE (rig.voices->voices[0].active);

    // The tenth starts on voice 0 and displaces voice 1.
    rig.voices->noteOn (71, 100, 0);
    EXPECT_EQ (rig.voices->voices[0].note, 71);
    EXPECT_EQ (rig.voices->reserveIndex, 1);
    EXPECT_EQ (rig.voices->voices[1].ampEnvelope.state, Envelope::QuickRelease);
}

TEST (VoiceManager, ReleasedVoicesAreDisplacedFirst)
{
    EngineRig rig;
    rig.set (10, 1.0f);
    rig.set (11, 1.0f);   // long release
    for (int n = 0; n < 8; ++n)
        rig.voices->noteOn (60 + n, 100, 0);
    rig.render (64);
    rig.voices->noteOff (65, 0);   // voice 5
    rig.render (64);
    rig.voices->noteOn (80, 100, 0);
    EXPECT_EQ (rig.voices->reserveIndex, 5);
    EXPECT_EQ (rig.voices->voices[8].note, 80);

    // A note-off for the note being faded switches it to its normal release.
    rig.voices->noteOff (65, 0);
    EXPECT_EQ (rig.voices->voices[5].ampEnvelope.state, Envelope::Release);
}

TEST (VoiceManager, RepeatedNotesTakeTwoVoicesAndOneNoteOffReleasesBoth)
{
    EngineRig rig;
    rig.voices->noteOn (60, 100, 0);
    rig.voices->noteOn (60, 100, 0);
    EXPECT_EQ (activeVoices (*rig.voices), (std::vector<int> { 0, 1 }));
    rig.voices->noteOff (60, 0);
    EXPECT_TRUE (rig.voices->voices[0].released);
    EXPECT_TRUE (rig.voices->voices[1].released);
    rig.voices->noteOff (61, 0);   // nobody holds it
}

TEST (VoiceManager, OctaveTransposesAndItsChangeSilences)
{
    EngineRig rig;
    const std::pair<float, float> cases[] = { { 0.0f, 220.0f }, { 0.5f, 440.0f }, { 1.0f, 880.0f }, { 0.49f, 220.0f }, { 0.99f, 440.0f } };
    for (auto [oct, hz] : cases)
    {
        rig.set (2, oct);
        rig.voices->noteOn (69, 100, 0);
        EXPECT_FLOAT_EQ (rig.voices->voices[0].frequency, hz) << oct;
    }
    EXPECT_TRUE (rig.voices->voices[0].active);
    rig.set (2, 1.0f);   // the same value still silences
    EXPECT_TRUE (activeVoices (*rig.voices).empty());

    rig.makeSine();
    rig.set (2, 0.5f);
    rig.voices->noteOn (69, 100, 0);
    const auto out = rig.render (44100);
    EXPECT_NEAR (measuredFrequency (std::vector<float> (out.begin() + 4410, out.end()), 44100.0), 440.0, 0.05);
}

TEST (VoiceManager, HoldBufferSplits)
{
    EngineRig rig;
    auto& vm = *rig.voices;
    rig.render (512);
    EXPECT_EQ (vm.pendingCount, 16);
    rig.render (512);
    EXPECT_EQ (vm.pendingCount, 16);

    EngineRig odd;
    odd.render (100);
    EXPECT_EQ (odd.voices->pendingCount, 12);
    odd.render (100);
    EXPECT_EQ (odd.voices->pendingCount, 8);
    odd.render (0);
    EXPECT_EQ (odd.voices->pendingCount, 8);
    odd.render (5);
    EXPECT_EQ (odd.voices->pendingCount, 3);

    EngineRig small;
    small.render (16);
    EXPECT_EQ (small.voices->pendingCount, 0);
}

TEST (VoiceManager, OutputDoesNotDependOnTheBlockSizes)
{
    auto play = [] (auto nextBlockSize)
    {
        EngineRig rig;
        std::vector<float> all;
        int position = 0;
        while (position < 20000)
        {
            const int n = nextBlockSize();
            if (position == 0)
                for (int note : { 48, 55, 60, 64, 67 })
                    rig.voices->noteOn (note, 100, 0);
            const auto block = rig.render (n);
            all.insert (all.end(), block.begin(), block.end());
            position += n;
        }
        all.resize (20000);
        return all;
    };

    std::mt19937 random (7);
    const auto fixed = play ([] { return 512; });
    const auto mixed = play ([&] { return (int) (random() % 700); });
    EXPECT_EQ (fixed, mixed);
}

TEST (VoiceManager, UnclippedSumOfNineVoices)
{
    EngineRig rig;
    rig.makeSine();
    for (int n = 0; n < 9; ++n)
        rig.voices->noteOn (60, 100, 0);
    const auto out = rig.render (4096);
    float peak = 0.0f;
    for (float s : out)
        peak = std::max (peak, s);
    EXPECT_GT (peak, 4.0f);
}

// The manager renders all voices side by side; the result must be the one
// of rendering every voice on its own, in index order, bit for bit.
TEST (VoiceManager, SideBySideRenderingEqualsVoiceByVoice)
{
    EngineRig batched, single;
    for (EngineRig* rig : { &batched, &single })
    {
        for (int n = 0; n < 9; ++n)
            rig->voices->noteOn (40 + 5 * n, 100, 3 * n);
        rig->voices->voices[3].filterOn = false;   // a mix of filtered and unfiltered voices
    }

    for (int j = 0; j < 400; ++j)
    {
        float a[16] = {}, b[16] = {};
        batched.voices->renderSubBlock (a);
        for (auto& v : single.voices->voices)
            v.render (b);
        for (int k = 0; k < 16; ++k)
            ASSERT_EQ (a[k], b[k]) << "sub-block " << j;
        if (j == 200)
            for (EngineRig* rig : { &batched, &single })
                rig->voices->noteOff (50, 7);
    }
}
