// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "engine/Oscillator.h"
#include "engine/WaveShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace
{
    constexpr float unit = 1.0f / 32768.0f;
}

TEST (WaveTables, StatedPointsAndSymmetry)
{
    Oscillator osc;   // a sine in both halves
    const auto& wave = osc.getWaveTable();
    EXPECT_EQ (wave[128], 32767 * unit);
    EXPECT_EQ (wave[384], -32767 * unit);
    EXPECT_EQ (wave[0], 0.0f);
    EXPECT_EQ (wave[256], 0.0f);

    osc.setShapes (5, 5);
    EXPECT_EQ (osc.getWaveTable()[0], 32430 * unit);
    EXPECT_EQ (osc.getWaveTable()[256], -32430 * unit);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ (osc.getWaveTable()[(size_t) (256 + i)], -osc.getWaveTable()[(size_t) i]);

    osc.setShapes (2, 2);
    EXPECT_EQ (osc.getWaveTable()[0], 32640 * unit);
    EXPECT_EQ (osc.getWaveTable()[255], 1 * unit);
    EXPECT_EQ (osc.getWaveTable()[256], -32640 * unit);
    EXPECT_EQ (osc.getWaveTable()[511], -1 * unit);
    EXPECT_EQ (osc.getSlopeTable()[511], osc.getWaveTable()[0] - osc.getWaveTable()[511]);

    Oscillator unknown;
    unknown.setShapes (0, 9);
    EXPECT_EQ (unknown.getWaveTable(), Oscillator().getWaveTable());
}

TEST (WaveTables, ShapesFollowTheirRules)
{
    // The sine is exact; the ramps and the triangle stay within 3/32768 of
    // their lines and hold the stated end points.
    for (int i = 0; i < 256; ++i)
    {
        const double x = i;
        EXPECT_EQ (waveshapes::halfCycle (1)[(size_t) i], (float) std::round (32767.0 * std::sin (std::numbers::pi * x / 256.0)) * unit);
        EXPECT_NEAR (waveshapes::halfCycle (2)[(size_t) i], (255.0 - x) / 256.0, 3.0 / 32768.0);
        EXPECT_NEAR (waveshapes::halfCycle (3)[(size_t) i], (x + 1.0) / 256.0, 3.0 / 32768.0);
        EXPECT_NEAR (waveshapes::halfCycle (4)[(size_t) i], 1.0 - std::abs (x - 128.0) / 128.0, 3.0 / 32768.0);
    }
    EXPECT_EQ (waveshapes::halfCycle (3)[255], 32765 * unit);
    EXPECT_EQ (waveshapes::halfCycle (4)[128], 32766 * unit);
    EXPECT_EQ (waveshapes::halfCycle (4)[255], 258 * unit);
    EXPECT_EQ (waveshapes::halfCycle (5)[240], 32264 * unit);
    EXPECT_EQ (waveshapes::halfCycle (5)[250], 31931 * unit);
    EXPECT_EQ (waveshapes::halfCycle (5)[255], 32429 * unit);
}

TEST (Oscillator, IncrementsAndWrapTiming)
{
    Oscillator osc;
    osc.setBasePeriod (200.0f);
    osc.updatePitch();
    EXPECT_EQ (osc.getFirstHalfIncrement(), 2.56f);
    EXPECT_LT ((double) 2.56f, 2.56);
    EXPECT_EQ (osc.getSecondHalfIncrement(), 2.56f);

    // Count advances between wraps (a wrap brings the phase back below one increment).
    std::vector<int> wraps;
    float previous = osc.getPhase();
    for (int n = 1; n <= 801; ++n)
    {
        float sample;
        osc.render (&sample, 1);
        if (osc.getPhase() < previous)
            wraps.push_back (n);
        previous = osc.getPhase();
    }
    ASSERT_GE (wraps.size(), 4u);
    EXPECT_EQ (wraps[0], 201);
    for (size_t i = 1; i < wraps.size(); ++i)
        EXPECT_EQ (wraps[i] - wraps[i - 1], 200);

    // An asymmetry of 0.5 gives the positive half three quarters of the period.
    osc.setAsymmetry (0.5f);
    osc.updatePitch();
    EXPECT_EQ (osc.getFirstHalfIncrement(), 512.0f / (1.5f * 200.0f));
    EXPECT_EQ (osc.getSecondHalfIncrement(), 512.0f / (0.5f * 200.0f));
}

TEST (Oscillator, TableIndexRoundsWholePhasesDown)
{
    EXPECT_EQ (Oscillator::tableIndex (3.0f), 2);
    EXPECT_EQ (Oscillator::tableIndex (4.0f), 4);
    EXPECT_EQ (Oscillator::tableIndex (3.7f), 3);
    EXPECT_EQ (Oscillator::tableIndex (0.0f), 0);
    EXPECT_EQ (Oscillator::tableIndex (511.99997f), 511);

    Oscillator osc;
    osc.setRunState (3.0f, osc.getIncrement(), 0);
    osc.setBasePeriod (512.0f);
    float sample;
    osc.render (&sample, 1);
    EXPECT_NEAR (sample, osc.getWaveTable()[3], 1e-7);
}

TEST (Oscillator, RandomTargetsAndArpeggioSteps)
{
    Oscillator osc;
    const float expected[] = { 0.22611116f, 0.35752574f, 0.05569089f };
    for (float target : expected)
    {
        osc.setRunState (osc.getPhase(), osc.getIncrement(), osc.getHoldLength() + 1);
        osc.randomValue();
        EXPECT_NEAR (osc.getRandomTarget(), target, 1e-8);
        EXPECT_EQ (osc.getSampleCounter(), 0);
    }

    // Mode 1 alternates the divider only once the hold has passed.
    Oscillator arp;
    arp.setArpMode (1);
    arp.restart (10);
    arp.setBasePeriod (8.0f);
    std::vector<int> dividers;
    float block[64];
    for (int i = 0; i < 20; ++i)
    {
        arp.render (block, 8);
        if (dividers.empty() || dividers.back() != arp.getArpDivider())
            dividers.push_back (arp.getArpDivider());
    }
    ASSERT_GE (dividers.size(), 4u);
    for (size_t i = 0; i < dividers.size(); ++i)
        EXPECT_EQ (dividers[i], i % 2 == 0 ? 1 : 2);

    // Mode 2 cycles 1, 2, 3 and divider 3 stands for the period over three.
    arp.setArpMode (2);
    arp.setRunState (arp.getPhase(), arp.getIncrement(), arp.getHoldLength() + 1);
    EXPECT_EQ (arp.arpPeriod(), 8.0f / 2.0f);
    EXPECT_EQ (arp.arpPeriod(), 8.0f / 3.0f);
    EXPECT_EQ (arp.getArpDivider(), 3);
    arp.setRunState (arp.getPhase(), arp.getIncrement(), 0);
    EXPECT_EQ (arp.arpPeriod(), 8.0f / 3.0f);   // every cycle until the next step
}

TEST (Oscillator, ExtremeAsymmetryKeepsThePhaseInTheTable)
{
    Oscillator osc;
    osc.setBasePeriod (200.0f);
    float block[32];
    for (float x : { 0.999f, 1.0f, 5.0f, -1.0f, -40.0f, std::nanf ("") })
    {
        osc.setAsymmetry (x);
        for (int i = 0; i < 50; ++i)
        {
            osc.updatePitch();
            osc.render (block, 32);
            ASSERT_GE (osc.getPhase(), 0.0f);
            ASSERT_LT (osc.getPhase(), 512.0f);
            for (float s : block)
                ASSERT_TRUE (std::isfinite (s));
        }
    }
}
