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
            if (env.getState() == state)
                return n;
        }
        return -1;
    }
}

TEST (Envelope, DoesNothingUntilTimesAreSet)
{
    Envelope env;
    EXPECT_EQ (env.getState(), Envelope::Attack);
    for (int i = 0; i < 100; ++i)
        env.step();
    EXPECT_EQ (env.getLevel(), 0.0f);
    EXPECT_EQ (env.getState(), Envelope::Attack);
}

TEST (Envelope, SegmentLengths)
{
    Envelope env;
    env.setTimes (0.0f, 0.0f, 1.0f, 0.0f, 44100.0f);
    EXPECT_FLOAT_EQ (env.getAttackRate(), 1.0f / 220.5f);

    env.trigger (0);
    EXPECT_EQ (stepsUntil (env, Envelope::Decay), 221);
    EXPECT_EQ (env.getLevel(), 1.0f);

    // Sustain at full: the first decay step ends the decay, one rate below.
    env.step();
    EXPECT_EQ (env.getState(), Envelope::Sustain);
    EXPECT_EQ (env.getLevel(), 1.0f - env.getDecayRate());

    // A stolen voice falls by the fixed step, whatever its release time.
    env.setTimes (0.0f, 0.0f, 1.0f, 1.0f, 44100.0f);
    env.trigger (0);
    while (env.getState() == Envelope::Attack)
        env.step();
    ASSERT_EQ (env.getLevel(), 1.0f);
    env.quickRelease();
    EXPECT_EQ (stepsUntil (env, Envelope::Idle), 167);

    Envelope negative, minimum;
    negative.setTimes (-3.0f, 0.0f, 0.0f, 0.0f, 44100.0f);
    minimum.setTimes (0.001f, 0.0f, 0.0f, 0.0f, 44100.0f);
    EXPECT_EQ (negative.getAttackRate(), minimum.getAttackRate());
}

TEST (Envelope, SustainOfZeroHoldsInSustainNotIdle)
{
    Envelope env;
    env.setTimes (0.0f, 0.0f, 0.0f, 0.0f, 44100.0f);
    env.trigger (0);
    EXPECT_GT (stepsUntil (env, Envelope::Sustain), 0);
    EXPECT_LE (env.getLevel(), 0.0f);
    EXPECT_GE (env.getLevel(), -env.getDecayRate());
    for (int i = 0; i < 1000; ++i)
        env.step();
    EXPECT_EQ (env.getState(), Envelope::Sustain);
}

TEST (Envelope, DelaysCountTheirSteps)
{
    Envelope attack;
    attack.setTimes (0.5f, 0.5f, 0.5f, 0.5f, 44100.0f);
    attack.trigger (5);
    for (int i = 0; i < 4; ++i)
    {
        attack.step();
        EXPECT_EQ (attack.getLevel(), 0.0f) << "flat step " << i + 1;
    }
    attack.step();
    EXPECT_GT (attack.getLevel(), 0.0f);

    Envelope release;
    release.setTimes (0.0f, 0.0f, 1.0f, 0.5f, 44100.0f);
    release.trigger (0);
    stepsUntil (release, Envelope::Sustain);
    const float held = release.getLevel();
    release.release (5);
    release.step();
    release.step();
    EXPECT_EQ (release.getLevel(), held);
    release.step();
    EXPECT_LT (release.getLevel(), held);

    // Released during the attack delay, at level 0: idle at the next step.
    Envelope early;
    early.setTimes (0.0f, 0.0f, 0.0f, 0.0f, 44100.0f);
    early.trigger (100);
    early.step();
    early.release (100);
    early.step();
    EXPECT_EQ (early.getState(), Envelope::Idle);
}

TEST (Envelope, ReleaseTimeChangesTheSlopeWithoutAJump)
{
    Envelope env;
    env.setTimes (0.0f, 0.0f, 1.0f, 1.0f, 44100.0f);
    env.trigger (0);
    stepsUntil (env, Envelope::Sustain);
    env.release (0);
    env.step();
    const float before = env.getLevel();
    env.setTimes (0.0f, 0.0f, 1.0f, 0.1f, 44100.0f);
    EXPECT_EQ (env.getLevel(), before);
    env.step();
    EXPECT_NEAR (before - env.getLevel(), env.getReleaseRate(), 1e-7);
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
            ASSERT_EQ (level, b.getLevel());
        }
        ASSERT_EQ (a.getState(), b.getState());
    }
    EXPECT_EQ (a.getState(), Envelope::Idle);
}
