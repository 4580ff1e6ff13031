// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <array>
#include <atomic>

/** A 32-bit float that is read and written whole from any thread. Relaxed
    order: a reader sees either the old or the new value, nothing in between. */
class RelaxedFloat
{
public:
    constexpr RelaxedFloat (float initial = 0.0f) noexcept : value (initial) {}

    RelaxedFloat (const RelaxedFloat&) = delete;
    RelaxedFloat& operator= (const RelaxedFloat&) = delete;

    operator float() const noexcept { return value.load (std::memory_order_relaxed); }
    RelaxedFloat& operator= (float v) noexcept
    {
        value.store (v, std::memory_order_relaxed);
        return *this;
    }

private:
    std::atomic<float> value;
};

/** The synthesizer's sound settings: eighteen float slots and the current
    pitch-bend position. The processor owns it; the voice manager and every
    voice read it through plain non-owning references. */
class ParameterBlock
{
public:
    enum Index
    {
        disp = 0,
        rand = 1,
        oct = 2,
        oscAttack = 3,
        oscDecay = 4,
        oscSustain = 5,
        oscRelease = 6,
        amt = 7,
        ampAttack = 8,
        ampDecay = 9,
        ampSustain = 10,
        ampRelease = 11,
        vol = 12,
        arp = 13,
        shapePositive = 14,
        shapeNegative = 15,
        crush = 16,
        filter = 17
    };

    static constexpr int slotCount = 18;

    ParameterBlock() noexcept;

    /** The value at index, which is clamped to 0..17. */
    float get (int index) const noexcept;

    /** Stores the value unchanged at index (clamped to 0..17). Tells nobody. */
    void set (int index, float value) noexcept;

    /** The default of a slot (index clamped). */
    static float defaultValue (int index) noexcept;

    /** Clamps an index to 0..17. */
    static constexpr int clampIndex (int index) noexcept
    {
        return index < 0 ? 0 : (index >= slotCount ? slotCount - 1 : index);
    }

    /** Pitch-wheel position, −1 to just under +1; 0 at rest. */
    RelaxedFloat pitchBend { 0.0f };

private:
    std::array<RelaxedFloat, slotCount> slots;
};
