// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EngineRig.h"
#include "engine/VoiceLanes.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    std::vector<int> activeVoices (const VoiceManager& vm)
    {
        std::vector<int> result;
        for (int i = 0; i < VoiceManager::voiceCount; ++i)
            if (vm.getVoices()[(size_t) i].isActive())
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

    EXPECT_FALSE (rig.voices->getVoices()[8].isActive());
    rig.render (2048);

    // The ninth takes the reserve; the oldest fades within 84 samples and
    // becomes the reserve.
    rig.voices->noteOn (70, 100, 0);
    EXPECT_TRUE (rig.voices->getVoices()[8].isActive());
    EXPECT_EQ (rig.voices->getReserveIndex(), 0);
    rig.render (64);
    EXPECT_TRUE (rig.voices->getVoices()[0].isActive());
    rig.render (32);
    EXPECT_FALSE (rig.voices->getVoices()[0].isActive());

    // The tenth starts on voice 0 and displaces voice 1.
    rig.voices->noteOn (71, 100, 0);
    EXPECT_EQ (rig.voices->getVoices()[0].getNote(), 71);
    EXPECT_EQ (rig.voices->getReserveIndex(), 1);
    EXPECT_EQ (rig.voices->getVoices()[1].getAmpEnvelope().getState(), Envelope::QuickRelease);
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
    EXPECT_EQ (rig.voices->getReserveIndex(), 5);
    EXPECT_EQ (rig.voices->getVoices()[8].getNote(), 80);

    // A note-off for the note being faded switches it to its normal release.
    rig.voices->noteOff (65, 0);
    EXPECT_EQ (rig.voices->getVoices()[5].getAmpEnvelope().getState(), Envelope::Release);
}

TEST (VoiceManager, RepeatedNotesTakeTwoVoicesAndOneNoteOffReleasesBoth)
{
    EngineRig rig;
    rig.voices->noteOn (60, 100, 0);
    rig.voices->noteOn (60, 100, 0);
    EXPECT_EQ (activeVoices (*rig.voices), (std::vector<int> { 0, 1 }));
    rig.voices->noteOff (60, 0);
    EXPECT_TRUE (rig.voices->getVoices()[0].isReleased());
    EXPECT_TRUE (rig.voices->getVoices()[1].isReleased());
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
        EXPECT_FLOAT_EQ (rig.voices->getVoices()[0].getFrequency(), hz) << oct;
    }
    EXPECT_TRUE (rig.voices->getVoices()[0].isActive());
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
    EXPECT_EQ (vm.getPendingCount(), 16);
    rig.render (512);
    EXPECT_EQ (vm.getPendingCount(), 16);

    EngineRig odd;
    odd.render (100);
    EXPECT_EQ (odd.voices->getPendingCount(), 12);
    odd.render (100);
    EXPECT_EQ (odd.voices->getPendingCount(), 8);
    odd.render (0);
    EXPECT_EQ (odd.voices->getPendingCount(), 8);
    odd.render (5);
    EXPECT_EQ (odd.voices->getPendingCount(), 3);

    EngineRig small;
    small.render (16);
    EXPECT_EQ (small.voices->getPendingCount(), 0);
}

TEST (VoiceManager, OutputDoesNotDependOnTheBlockSizes)
{
    auto play = [] (auto nextBlockSize) {
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

// The manager renders its voices side by side in SIMD lanes; the result must
// be the one of rendering every voice on its own, in index order, bit for
// bit, on every path, with the filter on and off.
TEST (VoiceManager, SideBySideRenderingEqualsVoiceByVoice)
{
    auto play = [] (voicelanes::Path path, float filter) {
        voicelanes::limitPath (path);
        EngineRig rig;
        rig.set (17, filter);
        for (int n = 0; n < 9; ++n)
            rig.voices->noteOn (40 + 5 * n, 100, 3 * n);

        std::vector<float> all;
        for (int j = 0; j < 400; ++j)
        {
            float a[16] = {};
            rig.voices->renderSubBlock (a);
            all.insert (all.end(), a, a + 16);
            if (j == 200)
                rig.voices->noteOff (50, 7);
        }
        return all;
    };

    for (float filter : { 1.0f, 0.0f })
    {
        const auto reference = play (voicelanes::Path::voiceByVoice, filter);
        EXPECT_EQ (play (voicelanes::Path::baseline, filter), reference);
        EXPECT_EQ (play (voicelanes::Path::avx2, filter), reference);
    }
    voicelanes::limitPath (voicelanes::Path::avx2);
}
