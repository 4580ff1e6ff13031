// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

/** A six-state contour generator with linear per-step rates. The start of
    the attack and of the release can each be held back by a delay counter,
    so that an event stamped inside an audio block takes effect later than
    the block's start. It knows nothing of time: its owner steps it and
    passes the matching steps-per-unit scale to setTimes. */
class Envelope
{
public:
    enum EnvelopeState
    {
        Idle = 0,
        Attack = 1,
        Decay = 2,
        Sustain = 3,
        Release = 4,
        QuickRelease = 5
    };

    Envelope() noexcept = default;

    /** Attack, decay and release times in parameter units, the sustain level
        and the scale u: a full attack of time A lasts 5 × u × A steps. */
    void setTimes (float attackTime, float decayTime, float sustain, float releaseTime, float scale) noexcept;

    void trigger (int delay) noexcept;
    void release (int delay) noexcept;
    void quickRelease() noexcept;

    /** Runs the handler of the current state once. */
    void step() noexcept { handlers[state](*this); }

    /** Steps n times, writing the level after each step to levels[0],
        levels[stride], ... levels[(n-1) × stride]. The same steps as calling
        step() n times, but looked up once per segment instead of once per
        step. */
    void render (float* __restrict levels, int n, int stride = 1) noexcept;

    EnvelopeState getState() const noexcept { return (EnvelopeState) state; }
    float getLevel() const noexcept { return level; }
    float getAttackRate() const noexcept { return attackRate; }
    float getDecayRate() const noexcept { return decayRate; }
    float getSustainLevel() const noexcept { return sustainLevel; }
    float getReleaseRate() const noexcept { return releaseRate; }

    /** For a renderer that steps decays elsewhere (several envelopes side by
        side): the level the steps reached, and whether they reached the
        sustain level. */
    void finishDecay (float newLevel, bool reachedSustain) noexcept
    {
        level = newLevel;
        if (reachedSustain)
            state = Sustain;
    }

    /** The shortest attack, decay and release times, in parameter units: a
        shorter time (or NaN) is raised to these. */
    static constexpr float minimumAttack = 0.001f;
    static constexpr float minimumDecay = 0.005f;
    static constexpr float minimumRelease = 0.0002f;

    /** The fixed fall per step of a stolen voice. */
    static constexpr float quickReleaseStep = 0.006f;

private:
    int state = Attack;
    float attackRate = 0.0f;
    float decayRate = 0.0f;
    float sustainLevel = 0.5f;
    float releaseRate = 0.0f;
    int releaseDelay = 0;
    int attackDelay = 0;
    float level = 0.0f;

    using Handler = void (*) (Envelope&) noexcept;
    using BlockHandler = int (*) (Envelope&, float* __restrict, int, int) noexcept;

    static void idleStep (Envelope&) noexcept {}
    static void attackStep (Envelope&) noexcept;
    static void decayStep (Envelope&) noexcept;
    static void sustainStep (Envelope&) noexcept {}
    static void releaseStep (Envelope&) noexcept;
    static void quickReleaseFall (Envelope&) noexcept;

    template <Handler stepOnce, int ownState>
    static int runWhile (Envelope&, float* __restrict levels, int n, int stride) noexcept;
    static int runConstant (Envelope&, float* __restrict levels, int n, int stride) noexcept;

    static const Handler handlers[6];

    static const BlockHandler blockHandlers[6];
};
