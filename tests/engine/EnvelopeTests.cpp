// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "engine/Envelope.h"

#include <gtest/gtest.h>

namespace
{
    int stepsUntil (Envelope& env, int state, int limit = 100000)
    {
        for (int n = 1; n <= limit; ++n)
        {
            env.step();
            if (env.state == state)
                return n;
        }
        return -1;
    }
}

TEST (Envelope, DoesNothingUntilTimesAreSet)
{
    Envelope env;
    EXPECT_EQ (env.state, Envelope::Attack);
    for (int i = 0; i < 100; ++i)
        env.step();
    EXPECT_EQ (env.level, 0.0f);
    EXPECT_EQ (env.state, Envelope::Attack);
}

TEST (Envelope, SegmentLengths)
{
    Envelope env;
    env.setTimes (0.0f, 0.0f, 1.0f, 0.0f, 44100.0f);
    EXPECT_FLOAT_EQ (env.attackRate, 1.0f / 220.5f);

    env.trigger (0);
    EXPECT_EQ (stepsUntil (env, Envelope::Decay), 221);
    EXPECT_EQ (env.level, 1.0f);

    // Sustain at full: the first decay step ends the decay, one rate below.
    env.step();
    EXPECT_EQ (env.state, Envelope::Sustain);
    EXPECT_EQ (env.level, 1.0f - env.decayRate);

    // A stolen voice falls by the fixed step, whatever its release time.
    env.setTimes (0.0f, 0.0f, 1.0f, 1.0f, 44100.0f);
    env.level = 1.0f;
    env.quickRelease();
    EXPECT_EQ (stepsUntil (env, Envelope::Idle), 167);

    Envelope negative, minimum;
    negative.setTimes (-3.0f, 0.0f, 0.0f, 0.0f, 44100.0f);
    minimum.setTimes (0.001f, 0.0f, 0.0f, 0.0f, 44100.0f);
    EXPECT_EQ (negative.attackRate, minimum.attackRate);
}

TEST (Envelope, SustainOfZeroHoldsInSustainNotIdle)
{
    Envelope env;
    env.setTimes (0.0f, 0.0f, 0.0f, 0.0f, 44100.0f);
    env.trigger (0);
    EXPECT_GT (stepsUntil (env, Envelope::Sustain), 0);
    EXPECT_LE (env.level, 0.0f);
    EXPECT_GE (env.level, -env.decayRate);
    for (int i = 0; i < 1000; ++i)
        env.step();
    EXPECT_EQ (env.state, Envelope::Sustain);
}

TEST (Envelope, DelaysCountTheirSteps)
{
    Envelope attack;
    attack.setTimes (0.5f, 0.5f, 0.5f, 0.5f, 44100.0f);
    attack.trigger (5);
    for (int i = 0; i < 4; ++i)
    {
        attack.step();
        EXPECT_EQ (attack.level, 0.0f) << "flat step " << i + 1;
    }
    attack.step();
    EXPECT_GT (attack.level, 0.0f);

    Envelope release;
    release.setTimes (0.0f, 0.0f, 1.0f, 0.5f, 44100.0f);
    release.trigger (0);
    stepsUntil (release, Envelope::Sustain);
    const float held = release.level;
    release.release (5);
    release.step();
    release.step();
    EXPECT_EQ (release.level, held);
    release.step();
    EXPECT_LT (release.level, held);

    // Released during the attack delay, at level 0: idle at the next step.
    Envelope early;
    early.setTimes (0.0f, 0.0f, 0.0f, 0.0f, 44100.0f);
    early.trigger (100);
    early.step();
    early.release (100);
    early.step();
    EXPECT_EQ (early.state, Envelope::Idle);
}

TEST (Envelope, ReleaseTimeChangesTheSlopeWithoutAJump)
{
    Envelope env;
    env.setTimes (0.0f, 0.0f, 1.0f, 1.0f, 44100.0f);
    env.trigger (0);
    stepsUntil (env, Envelope::Sustain);
    env.release (0);
    env.step();
    const float before = env.level;
    env.setTimes (0.0f, 0.0f, 1.0f, 0.1f, 44100.0f);
    EXPECT_EQ (env.level, before);
    env.step();
    EXPECT_NEAR (before - env.level, env.releaseRate, 1e-7);
}

TEST (Envelope, BlockRenderTakesTheSameStepsAsSingleSteps)
{
    Envelope a, b;
    for (Envelope* env : { &a, &b })
    {
        env->setTimes (0.01f, 0.02f, 0.3f, 0.01f, 44100.0f);
        env->trigger (9);
    }

    for (int block = 0; block < 400; ++block)
    {
        if (block == 250)
        {
            a.release (5);
            b.release (5);
        }
        float levels[32];
        a.render (levels, 32);
        for (float level : levels)
        {
            b.step();
            ASSERT_EQ (level, b.level);
        }
        ASSERT_EQ (a.state, b.state);
    }
    EXPECT_EQ (a.state, Envelope::Idle);
}
