// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Envelope.h"

#include <climits>

namespace
{
    constexpr float minimumAttack = 0.001f;
    constexpr float minimumDecay = 0.005f;
    constexpr float minimumRelease = 0.0002f;

    // A time strictly below its minimum (or NaN) is raised to the minimum.
    constexpr float atLeast (float time, float minimum) noexcept
    {
        return time >= minimum ? time : minimum;
    }

    // The delay counters go on falling for as long as a segment lasts; they
    // stop at the bottom of the int range instead of overflowing.
    constexpr int countDown (int counter) noexcept
    {
        return counter - (counter != INT_MIN ? 1 : 0);
    }
}

void Envelope::setTimes (float attackTime, float decayTime, float sustain, float releaseTime, float scale) noexcept
{
    const float stepsPerUnit = 5.0f * scale;
    attackRate = 1.0f / (stepsPerUnit * atLeast (attackTime, minimumAttack));
    decayRate = 1.0f / (stepsPerUnit * atLeast (decayTime, minimumDecay));
    sustainLevel = sustain == sustain ? sustain : 0.0f;
    releaseRate = 1.0f / (stepsPerUnit * atLeast (releaseTime, minimumRelease));
}

void Envelope::trigger (int delay) noexcept
{
    level = 0.0f;
    attackDelay = delay;
    state = Attack;
}

void Envelope::release (int delay) noexcept
{
    releaseDelay = delay;
    state = Release;
}

void Envelope::quickRelease() noexcept
{
    state = QuickRelease;
}

void Envelope::attackStep() noexcept
{
    attackDelay = countDown (attackDelay);
    const float gate = attackDelay < 1 ? 1.0f : 0.0f;
    level = level + gate * attackRate;

    if (level >= 1.0f)
    {
        state = Decay;
        level = 1.0f;
    }
}

void Envelope::decayStep() noexcept
{
    // Stops one step past the sustain level and holds what it reached.
    level = level - decayRate;

    if (level <= sustainLevel)
        state = Sustain;
}

void Envelope::releaseStep() noexcept
{
    // The delay runs down two per step while above 1, then one per step.
    const int k = countDown (releaseDelay);
    const float gate = k < 1 ? 1.0f : 0.0f;
    level = level - gate * releaseRate;
    releaseDelay = k > 0 ? k - 1 : k;

    if (level <= 0.0f)
    {
        state = Idle;
        level = 0.0f;
    }
}

void Envelope::quickReleaseFall() noexcept
{
    level = level - quickReleaseStep;

    if (level <= 0.0f)
    {
        state = Idle;
        level = 0.0f;
    }
}
