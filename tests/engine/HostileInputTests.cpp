// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
    const float hostileValues[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(), 1.0e30f, -1.0e30f, -1.0f, 1.0e-40f,
                                    std::numeric_limits<float>::max(), 3.0f };

    void playPhrase (EngineRig& rig, int blockSize)
    {
        for (int note : { 0, 60, 64, 67, 127, 60, 61, 62, 63, 64 })
            rig.voices->noteOn (note, 100, blockSize / 2);
        for (int b = 0; b < 12; ++b)
        {
            const auto out = rig.render (blockSize);
            ASSERT_TRUE (allFinite (out));
            if (b == 5)
                rig.voices->noteOff (60, 3);
        }
    }
}

// Every slot takes every hostile value in turn, at every odd host rate; the
// output stays finite and the voices recover once the value is sane again.
TEST (HostileInput, AnyValueInAnySlotAtAnyRate)
{
    for (float rate : { 1.0f, 100.0f, 8000.0f, 22050.0f, 44100.0f, 768000.0f })
    {
        for (int slot = 0; slot < ParameterBlock::slotCount; ++slot)
        {
            EngineRig rig;
            rig.voices->setSampleRate (rate);
            for (float value : hostileValues)
            {
                rig.set (slot, value);
                playPhrase (rig, slot % 2 == 0 ? 37 : 256);
            }

            rig.set (slot, ParameterBlock::defaultValue (slot));
            rig.voices->stopAll();
            rig.voices->noteOn (60, 100, 0);
            const auto out = rig.render (4096);
            ASSERT_TRUE (allFinite (out));
            for (const auto& v : rig.voices->getVoices())
            {
                EXPECT_TRUE (std::isfinite (v.getFilterState1()));
                EXPECT_TRUE (std::isfinite (v.getFilterState2()));
            }
        }
    }
}

TEST (HostileInput, AllSlotsHostileAtOnceAndOddRates)
{
    for (float value : hostileValues)
    {
        EngineRig rig;
        for (int slot = 0; slot < ParameterBlock::slotCount; ++slot)
            rig.set (slot, value);
        rig.parameters.pitchBend = value;
        rig.voices->setSampleRate (value);   // ignored unless sane
        playPhrase (rig, 100);
    }

    EngineRig rig;
    for (float rate : { 0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN(), 1.0e30f, 0.5f })
    {
        rig.voices->setSampleRate (rate);
        EXPECT_GE (rig.voices->getSampleRate(), 1.0f);
        EXPECT_LE (rig.voices->getSampleRate(), 4.0e6f);
    }
    rig.voices->noteOn (1 << 30, 1, -5);
    rig.voices->noteOn (-(1 << 30), 1, 1 << 30);
    rig.voices->render (nullptr, -3);
    ASSERT_TRUE (allFinite (rig.render (1000)));
}
