// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Envelope.h"

#include <climits>

namespace
{
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

void Envelope::attackStep (Envelope& e) noexcept
{
    e.attackDelay = countDown (e.attackDelay);
    const float gate = e.attackDelay < 1 ? 1.0f : 0.0f;
    e.level = e.level + gate * e.attackRate;

    if (e.level >= 1.0f)
    {
        e.state = Decay;
        e.level = 1.0f;
    }
}

void Envelope::decayStep (Envelope& e) noexcept
{
    // Stops one step past the sustain level and holds what it reached.
    e.level = e.level - e.decayRate;

    if (e.level <= e.sustainLevel)
        e.state = Sustain;
}

void Envelope::releaseStep (Envelope& e) noexcept
{
    // The delay runs down two per step while above 1, then one per step.
    const int k = countDown (e.releaseDelay);
    const float gate = k < 1 ? 1.0f : 0.0f;
    e.level = e.level - gate * e.releaseRate;
    e.releaseDelay = k > 0 ? k - 1 : k;

    if (e.level <= 0.0f)
    {
        e.state = Idle;
        e.level = 0.0f;
    }
}

void Envelope::quickReleaseFall (Envelope& e) noexcept
{
    e.level = e.level - quickReleaseStep;

    if (e.level <= 0.0f)
    {
        e.state = Idle;
        e.level = 0.0f;
    }
}

// Runs a state's step for as long as the state lasts, up to n steps.
template <Envelope::Handler stepOnce, int ownState>
int Envelope::runWhile (Envelope& e, float* __restrict levels, int n, int stride) noexcept
{
    int i = 0;
    do
    {
        stepOnce (e);
        levels[i++ * stride] = e.level;
    } while (i < n && e.state == ownState);
    return i;
}

// Idle and Sustain hold their level.
int Envelope::runConstant (Envelope& e, float* __restrict levels, int n, int stride) noexcept
{
    for (int i = 0; i < n; ++i)
        levels[i * stride] = e.level;
    return n;
}

// Indexed by state, in the order of EnvelopeState.
const Envelope::Handler Envelope::handlers[6] = {
    &Envelope::idleStep, &Envelope::attackStep, &Envelope::decayStep,
    &Envelope::sustainStep, &Envelope::releaseStep, &Envelope::quickReleaseFall
};

const Envelope::BlockHandler Envelope::blockHandlers[6] = {
    &Envelope::runConstant,
    &Envelope::runWhile<&Envelope::attackStep, Envelope::Attack>,
    &Envelope::runWhile<&Envelope::decayStep, Envelope::Decay>,
    &Envelope::runConstant,
    &Envelope::runWhile<&Envelope::releaseStep, Envelope::Release>,
    &Envelope::runWhile<&Envelope::quickReleaseFall, Envelope::QuickRelease>
};

void Envelope::render (float* __restrict levels, int n, int stride) noexcept
{
    while (n > 0)
    {
        const int done = blockHandlers[state](*this, levels, n, stride);
        levels += done * stride;
        n -= done;
    }
}
