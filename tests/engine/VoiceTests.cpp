// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EngineRig.h"

#include "engine/Voice.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
    struct VoiceRig
    {
        ParameterBlock parameters;
        Voice voice { parameters, 44100.0f };

        VoiceRig()
        {
            for (int i = 0; i < ParameterBlock::slotCount; ++i)
                voice.parameterChanged (i);
        }

        void set (int index, float value)
        {
            parameters.set (index, value);
            voice.parameterChanged (index);
        }

        std::vector<float> render (int subBlocks)
        {
            std::vector<float> out ((size_t) (subBlocks * Voice::subBlockLength), 0.0f);
            for (int j = 0; j < subBlocks; ++j)
                voice.render (out.data() + j * Voice::subBlockLength);
            return out;
        }
    };
}

TEST (Voice, InactiveVoiceTouchesNothing)
{
    VoiceRig rig;
    float out[16] = { 0.5f };
    const float phase = rig.voice.getOscillator().getPhase();
    rig.voice.render (out);
    EXPECT_EQ (out[0], 0.5f);
    EXPECT_EQ (rig.voice.getOscillator().getPhase(), phase);
    EXPECT_EQ (rig.voice.getAmpEnvelope().getLevel(), 0.0f);
}

TEST (Voice, StartSetsPitchAndHold)
{
    VoiceRig rig;
    rig.voice.start (440.0f, 69, 0, 44100.0f, 2);
    EXPECT_EQ (rig.voice.getOscillator().getBasePeriod(), 88200.0f / 440.0f);
    EXPECT_EQ (rig.voice.getOscillator().getHoldLength(), 2205);
    rig.voice.start (440.0f, 69, 0, 48000.0f, 3);
    EXPECT_EQ (rig.voice.getOscillator().getHoldLength(), 2400);
    rig.voice.render (std::vector<float> (16).data());
    EXPECT_EQ (rig.voice.getOscillator().getBasePeriod(), 96000.0f / 440.0f);   // no bend: factor exactly 1

    // Hold never reaches 0, however low the rate.
    EXPECT_EQ (Voice::holdLengthFor (1.0f), 1);
}

TEST (Voice, SineSettingSoundsAtTheNoteFrequency)
{
    VoiceRig rig;
    rig.set (14, 1.0f);
    rig.set (15, 1.0f);
    rig.set (0, 0.5f);
    rig.set (7, 0.0f);
    rig.set (1, 0.0f);
    rig.set (17, 0.0f);
    rig.set (10, 1.0f);
    rig.set (12, 1.0f);
    rig.voice.start (440.0f, 69, 0, 44100.0f, 2);

    const auto out = rig.render (2000);
    const std::vector<float> steady (out.begin() + 4000, out.end());
    EXPECT_NEAR (measuredFrequency (steady, 44100.0), 440.0, 0.05);
    const float peak = *std::max_element (steady.begin(), steady.end());
    EXPECT_NEAR (peak, 1.0f, 0.01f);
}

TEST (Voice, QuickReleaseFreesTheVoiceAfterSixCalls)
{
    VoiceRig rig;
    rig.set (10, 1.0f);
    rig.set (11, 1.0f);   // a long release must not matter
    rig.voice.start (440.0f, 69, 0, 44100.0f, 2);
    rig.render (100);
    rig.voice.quickRelease();
    rig.render (5);
    EXPECT_TRUE (rig.voice.isActive());
    rig.render (1);
    EXPECT_FALSE (rig.voice.isActive());
}

TEST (Voice, SustainZeroStaysActiveUntilReleased)
{
    VoiceRig rig;   // the default sound sustains at 0
    rig.voice.start (440.0f, 69, 0, 44100.0f, 2);
    rig.render (4000);
    EXPECT_EQ (rig.voice.getAmpEnvelope().getState(), Envelope::Sustain);
    EXPECT_TRUE (rig.voice.isActive());
    rig.voice.release (0);
    rig.render (1);
    EXPECT_FALSE (rig.voice.isActive());
}

TEST (Voice, FilterHasUnityGainAtDcAndResumesItsState)
{
    VoiceRig rig;
    EXPECT_NEAR (Voice::filterCoefficientFor (44100.0f), 0.712379f, 1e-6);
    EXPECT_NEAR (Voice::filterCoefficientFor (48000.0f), 0.654498f, 1e-6);
    for (float rate : { 1.0f, 8000.0f, 15000.0f })
        EXPECT_LT (Voice::filterCoefficientFor (rate), 2.0f);

    // A constant wave: the square in both halves has a flat top.
    rig.set (14, 5.0f);
    rig.set (15, 5.0f);
    rig.set (10, 1.0f);
    rig.set (12, 1.0f);
    rig.voice.start (1.0f, 0, 0, 44100.0f, 2);   // 1 Hz: the first half lasts half a second
    rig.render (200);
    EXPECT_NEAR (rig.voice.getFilterState2(), 32430.0f / 32768.0f, 1e-4);

    rig.set (17, 0.0f);
    const float held = rig.voice.getFilterState2();
    rig.render (10);
    EXPECT_EQ (rig.voice.getFilterState2(), held);
}

TEST (Voice, EnvelopesKeepTheirSecondsAtAnyHostRate)
{
    // An attack of 0.2 lasts 0.5 s: the amplitude reaches full after half a
    // second of host samples, at 44.1 kHz and at 48 kHz alike.
    for (float rate : { 44100.0f, 48000.0f, 96000.0f })
    {
        VoiceRig rig;
        rig.set (8, 0.2f);
        rig.set (10, 1.0f);
        rig.voice.start (440.0f, 69, 0, rate, 2);
        int subBlocks = 0;
        while (rig.voice.getAmpEnvelope().getState() == Envelope::Attack && subBlocks < 100000)
        {
            rig.render (1);
            ++subBlocks;
        }
        EXPECT_NEAR (subBlocks * 16.0 / rate, 0.5, 0.001) << rate;
    }
}
