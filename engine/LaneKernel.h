// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// The lane renderer's loop, written once over a small vector interface
// (Ops) and compiled once per instruction set: VoiceLanes.cpp for the
// baseline, VoiceLanesAvx2.cpp with AVX2 enabled for it. Everything here has
// internal linkage, so the two compilations never share a function.

#include "Envelope.h"
#include "FloatRules.h"
#include "Oscillator.h"
#include "ParameterBlock.h"
#include "Voice.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace
{
    namespace lanekernel
    {
        constexpr int internalLength = Voice::internalLength;
        constexpr int subBlockLength = Voice::subBlockLength;
        constexpr float tableSize = (float) Oscillator::tableLength;
        constexpr float halfSize = (float) Oscillator::halfLength;

        // The same limit as a voice rendered alone applies to its gain.
        constexpr float gainLimit = 1.0e6f;

        // A lane mask's true: every bit set.
        constexpr float allOnes = std::bit_cast<float> (0xffffffffu);

        /** Everything the loop keeps per lane between its rare scalar steps. */
        template <int lanes>
        struct LaneState
        {
            alignas (32) float phase[lanes];
            alignas (32) float first[lanes];
            alignas (32) float second[lanes];
            alignas (32) float coefficient[lanes];
            alignas (32) float state1[lanes];
            alignas (32) float state2[lanes];
            alignas (32) float levels[internalLength][lanes];
            alignas (32) float mix[subBlockLength][lanes];
            alignas (32) float wrapMask[lanes];   // all ones in a lane that has just wrapped (or decays, before the loop)
            alignas (32) float heldLevel[lanes];
            alignas (32) float decayLevel[lanes];
            alignas (32) float decayRate[lanes];
            alignas (32) float sustainLevel[lanes];
            const float* tables[lanes];
            int counterBase[lanes];
            int stepBase[lanes];
        };

        /** The per-cycle step of one lane whose phase has just passed the end of
        the table: the oscillator's pitch update (its counter brought up to
        this sample first), then the wrap, exactly as the oscillator does it. */
        template <int lanes>
        void wrapLane (LaneState<lanes>& s, Voice& voice, int j, int k) noexcept
        {
            Oscillator& o = voice.sourceOscillator();
            o.updatePitchAt (s.counterBase[j] + (k + 1 - s.stepBase[j]));
            s.counterBase[j] = o.getSampleCounter();
            s.stepBase[j] = k + 1;
            s.first[j] = o.getFirstHalfIncrement();
            s.second[j] = o.getSecondHalfIncrement();

            float ph = s.phase[j] - tableSize;
            if (! (ph < tableSize))
                ph = std::fmod (ph, tableSize);
            if (! (ph >= 0.0f))
                ph = 0.0f;
            s.phase[j] = ph;
        }

        /** The amplitude envelopes of the lanes in decaying (a bit per lane),
        stepped side by side: each step takes the rate off the level, and a
        lane that reaches its sustain level stays there (its rate becomes 0,
        and x − 0 is x for every float). Reaching it happens once, so it is a
        branch. The other lanes' levels are left as they are. */
        template <class Ops, int groups>
        void decayLanes (LaneState<Ops::width * groups>& s, int decaying, Voice* const* voices) noexcept
        {
            using V = typename Ops::V;
            constexpr int width = Ops::width;
            constexpr int lanes = width * groups;

            for (int j = 0; j < lanes; ++j)
            {
                const bool lane = ((decaying >> j) & 1) != 0;
                s.wrapMask[j] = lane ? allOnes : 0.0f;
                if (! lane)
                    s.decayLevel[j] = s.decayRate[j] = s.sustainLevel[j] = 0.0f;
            }

            V level[groups], rate[groups], sustain[groups], mask[groups];
            for (int m = 0; m < groups; ++m)
            {
                level[m] = Ops::load (s.decayLevel + m * width);
                rate[m] = Ops::load (s.decayRate + m * width);
                sustain[m] = Ops::load (s.sustainLevel + m * width);
                mask[m] = Ops::load (s.wrapMask + m * width);
            }

            int running = decaying;
            for (int k = 0; k < internalLength; ++k)
            {
                int reached = 0;
                for (int m = 0; m < groups; ++m)
                {
                    level[m] = Ops::sub (level[m], rate[m]);
                    float* const out = s.levels[k] + m * width;
                    Ops::store (out, Ops::select (mask[m], level[m], Ops::load (out)));
                    reached |= Ops::signs (Ops::atLeast (sustain[m], level[m])) << (m * width);
                }

                reached &= running;
                if (reached != 0)
                {
                    running &= ~reached;
                    for (int m = 0; m < groups; ++m)
                    {
                        Ops::store (s.decayRate + m * width, rate[m]);
                        for (int i = 0; i < width; ++i)
                            if ((reached >> (m * width + i)) & 1)
                                s.decayRate[m * width + i] = 0.0f;
                        rate[m] = Ops::load (s.decayRate + m * width);
                    }
                }
            }

            for (int m = 0; m < groups; ++m)
                Ops::store (s.decayLevel + m * width, level[m]);

            for (int j = 0; j < lanes; ++j)
            {
                if (((decaying >> j) & 1) == 0)
                    continue;
                voices[j]->sourceAmpEnvelope().finishDecay (s.decayLevel[j], ((running >> j) & 1) == 0);
            }
        }

        /** Which lanes' amplitude envelopes decay (stepped side by side) and
            which run their own way; the others hold one level. */
        struct EnvelopeKinds
        {
            int decaying = 0;
            int ownWay = 0;
        };

        /** Gather: each voice's oscillator, filter and envelope into its lane. */
        template <int lanes>
        EnvelopeKinds gatherLanes (LaneState<lanes>& s, Voice* const* voices, int count) noexcept
        {
            EnvelopeKinds kinds;

            for (int j = 0; j < lanes; ++j)
            {
                if (j < count)
                {
                    Voice& v = *voices[j];
                    v.prepareSource();
                    const Oscillator& o = v.getOscillator();
                    s.phase[j] = o.getPhase();
                    s.first[j] = o.getFirstHalfIncrement();
                    s.second[j] = o.getSecondHalfIncrement();
                    s.coefficient[j] = v.getFilterCoefficient();
                    s.state1[j] = v.getFilterState1();
                    s.state2[j] = v.getFilterState2();
                    s.tables[j] = o.getPointPairs();
                    s.counterBase[j] = o.getSampleCounter();
                    s.stepBase[j] = 0;

                    // A held envelope (sustain) gives one level throughout, and a
                    // decaying one is stepped in lanes; any other runs on its
                    // own, once the held levels are in place.
                    const Envelope& e = v.getAmpEnvelope();
                    s.heldLevel[j] = 0.0f;
                    if (e.getState() == Envelope::Sustain)
                    {
                        s.heldLevel[j] = e.getLevel();
                    }
                    else if (e.getState() == Envelope::Decay)
                    {
                        kinds.decaying |= 1 << j;
                        s.decayLevel[j] = e.getLevel();
                        s.decayRate[j] = e.getDecayRate();
                        s.sustainLevel[j] = e.getSustainLevel();
                    }
                    else
                    {
                        kinds.ownWay |= 1 << j;
                    }
                }
                else
                {
                    // A spare lane stands still at phase 0 and is never mixed.
                    s.phase[j] = s.first[j] = s.second[j] = 0.0f;
                    s.coefficient[j] = s.state1[j] = s.state2[j] = 0.0f;
                    s.tables[j] = s.tables[0];
                    s.counterBase[j] = s.stepBase[j] = 0;
                    s.heldLevel[j] = 0.0f;
                }
            }
            return kinds;
        }

        /** The amplitude envelope's level of every lane for every internal
            sample of the sub-block, as the voices' own envelopes give them. */
        template <class Ops, int groups>
        void envelopeLevels (LaneState<Ops::width * groups>& s, Voice* const* voices, int count, EnvelopeKinds kinds) noexcept
        {
            using V = typename Ops::V;
            constexpr int width = Ops::width;
            constexpr int lanes = width * groups;

            for (int m = 0; m < groups; ++m)
            {
                const V held = Ops::load (s.heldLevel + m * width);
                for (int k = 0; k < internalLength; ++k)
                    Ops::store (s.levels[k] + m * width, held);
            }
            for (int j = 0; j < count; ++j)
                if ((kinds.ownWay >> j) & 1)
                    voices[j]->sourceAmpEnvelope().render (&s.levels[0][j], internalLength, lanes);
            if (kinds.decaying != 0)
                decayLanes<Ops, groups> (s, kinds.decaying, voices);
        }

        /** What the step keeps in vector registers: each lane's phase and
            increments, its filter, and the first sample of the pair it is
            making; with the call's constants. The functions that work on it
            are always inlined: one left out of line would take its address
            and keep it in memory through the whole loop. */
        template <class Ops, int groups>
        struct LaneRegisters
        {
            using V = typename Ops::V;
            static constexpr int width = Ops::width;

            LaneRegisters (const LaneState<width * groups>& s, float volume) noexcept
                : vol (Ops::set1 (volume)),
                  half (Ops::set1 (0.5f)),
                  pointFive (Ops::set1 (0.5f)),
                  tableEnd (Ops::set1 (tableSize)),
                  halfWay (Ops::set1 (halfSize))
            {
                for (int m = 0; m < groups; ++m)
                    tables[m] = Ops::tablesOf (s.tables + m * width);

                // The first step of a call uses the first half's increment
                // wherever the phase stands.
                for (int m = 0; m < groups; ++m)
                {
                    ph[m] = Ops::load (s.phase + m * width);
                    first[m] = Ops::load (s.first + m * width);
                    second[m] = Ops::load (s.second + m * width);
                    increment[m] = first[m];
                    g[m] = Ops::load (s.coefficient + m * width);
                    s1[m] = Ops::load (s.state1 + m * width);
                    s2[m] = Ops::load (s.state2 + m * width);
                    previous[m] = Ops::set1 (0.0f);
                }
            }

            /** The oscillators' run state, for the scalar steps. */
            [[gnu::always_inline]] void storeOscillators (LaneState<width * groups>& s) const noexcept
            {
                for (int m = 0; m < groups; ++m)
                {
                    Ops::store (s.phase + m * width, ph[m]);
                    Ops::store (s.first + m * width, first[m]);
                    Ops::store (s.second + m * width, second[m]);
                }
            }

            /** And back, after them. */
            [[gnu::always_inline]] void loadOscillators (const LaneState<width * groups>& s) noexcept
            {
                for (int m = 0; m < groups; ++m)
                {
                    ph[m] = Ops::load (s.phase + m * width);
                    first[m] = Ops::load (s.first + m * width);
                    second[m] = Ops::load (s.second + m * width);
                }
            }

            const V vol, half, pointFive, tableEnd, halfWay;
            typename Ops::Tables tables[groups];
            V ph[groups], first[groups], second[groups], increment[groups];
            V g[groups], s1[groups], s2[groups], previous[groups];
        };

        /** The lanes whose phase passed the end of the table at sample k
            (a bit each) take their oscillators' once-a-cycle step. */
        template <class Ops, int groups>
        [[gnu::always_inline]] inline void wrapLanes (LaneRegisters<Ops, groups>& r, LaneState<Ops::width * groups>& s, Voice* const* voices, int count,
                                                      int k, int wrapped) noexcept
        {
            using V = typename Ops::V;
            constexpr int width = Ops::width;
            constexpr int lanes = width * groups;

            r.storeOscillators (s);
            for (int j = 0; j < lanes; ++j)
            {
                const bool lane = j < count && ((wrapped >> j) & 1) != 0;
                s.wrapMask[j] = lane ? allOnes : 0.0f;
                if (lane)
                    wrapLane (s, *voices[j], j, k);
            }
            r.loadOscillators (s);

            for (int m = 0; m < groups; ++m)
            {
                // A wrapped lane starts its cycle on the first half's
                // increment, or the second's if it wrapped into it.
                const V fresh = Ops::load (s.wrapMask + m * width);
                const V after = Ops::select (Ops::atLeast (r.ph[m], r.halfWay), r.second[m], r.first[m]);
                r.increment[m] = Ops::select (fresh, after, r.increment[m]);
            }
        }

        /** Step: internal sample k of every lane, as Voice::render makes it:
            the table lookup, the amplitude envelope, the filter; an odd
            sample completes a pair for the mix. Then the phase moves on. */
        template <class Ops, int groups, bool filtered, bool odd>
        [[gnu::always_inline]] inline void stepLanes (LaneRegisters<Ops, groups>& r, LaneState<Ops::width * groups>& s, Voice* const* voices, int count,
                                                      int k) noexcept
        {
            using V = typename Ops::V;
            using VI = typename Ops::VI;
            constexpr int width = Ops::width;

            int wrapped = 0;
            for (int m = 0; m < groups; ++m)
            {
                const V p = r.ph[m];

                // Linear interpolation between table points.
                const VI index = Ops::roundToInt (Ops::sub (p, r.pointFive));
                const V fraction = Ops::sub (p, Ops::toFloat (index));
                V wave, slope;
                Ops::lookup (r.tables[m], index, wave, slope);
                V x = Ops::add (Ops::mul (fraction, slope), wave);

                const V level = Ops::load (s.levels[k] + m * width);
                x = Ops::mul (x, Ops::mul (level, level));

                if constexpr (filtered)
                {
                    r.s1[m] = Ops::add (r.s1[m], Ops::mul (Ops::sub (x, r.s1[m]), r.g[m]));
                    r.s2[m] = Ops::add (r.s2[m], Ops::mul (Ops::sub (r.s1[m], r.s2[m]), r.g[m]));
                    x = r.s2[m];
                }

                // Back to the host rate: each pair averaged, scaled by the volume.
                if constexpr (! odd)
                    r.previous[m] = x;
                else
                    Ops::store (s.mix[k >> 1] + m * width, Ops::mul (Ops::mul (Ops::add (r.previous[m], x), r.vol), r.half));

                r.ph[m] = Ops::add (p, r.increment[m]);
                wrapped |= Ops::signs (Ops::atLeast (r.ph[m], r.tableEnd)) << (m * width);
            }

            // From the second half on a lane steps with the second half's
            // increment, until it wraps. A lane switches once per cycle, so
            // this is a branch rather than a select in every step.
            for (int m = 0; m < groups; ++m)
            {
                const V switching = Ops::atLeast (r.ph[m], r.halfWay);
                if (Ops::signs (Ops::andNot (Ops::equal (r.increment[m], r.second[m]), switching)) != 0)
                    r.increment[m] = Ops::select (switching, r.second[m], r.increment[m]);
            }

            if (wrapped != 0)
                wrapLanes (r, s, voices, count, k, wrapped);
        }

        /** Store and mix: the lanes' sound added to the output in the order
            the voices were given, and each voice handed back its oscillator
            and filter as if it had rendered alone. */
        template <class Ops, int groups>
        [[gnu::always_inline]] inline void storeAndMix (const LaneRegisters<Ops, groups>& r, LaneState<Ops::width * groups>& s, Voice* const* voices,
                                                        int count, float* output) noexcept
        {
            constexpr int width = Ops::width;

            r.storeOscillators (s);
            for (int m = 0; m < groups; ++m)
            {
                Ops::store (s.state1 + m * width, r.s1[m]);
                Ops::store (s.state2 + m * width, r.s2[m]);
            }

            for (int k = 0; k < subBlockLength; ++k)
            {
                float sum = output[k];
                for (int j = 0; j < count; ++j)
                    sum = sum + s.mix[k][j];
                output[k] = sum;
            }

            for (int j = 0; j < count; ++j)
            {
                Voice& v = *voices[j];
                // The increment as a call of its own leaves it.
                v.sourceOscillator().setRunState (s.phase[j], s.phase[j] >= halfSize ? s.second[j] : s.first[j],
                                                  s.counterBase[j] + (internalLength - s.stepBase[j]));
                v.finishSideBySide (s.state1[j], s.state2[j]);
            }
        }

        /** One sub-block of count voices (at most width x groups), added to
            output: gather, step every internal sample, store and mix. */
        template <class Ops, int groups, bool filtered>
        void renderLanes (Voice* const* voices, int count, float* output) noexcept
        {
            LaneState<Ops::width * groups> s;
            envelopeLevels<Ops, groups> (s, voices, count, gatherLanes (s, voices, count));

            const float volume = floatrules::clampOr (voices[0]->getParameters().get (ParameterBlock::vol),
                                                      -gainLimit, gainLimit, 0.0f);
            LaneRegisters<Ops, groups> r (s, volume);

            for (int k = 0; k < internalLength; k += 2)
            {
                stepLanes<Ops, groups, filtered, false> (r, s, voices, count, k);
                stepLanes<Ops, groups, filtered, true> (r, s, voices, count, k + 1);
            }

            storeAndMix (r, s, voices, count, output);
        }

        /** Picks the number of vector groups for count voices. */
        template <class Ops, int maxGroups>
        void renderAny (Voice* const* voices, int count, bool filtered, float* output) noexcept
        {
            constexpr int width = Ops::width;
            if (count <= width)
                filtered ? renderLanes<Ops, 1, true> (voices, count, output) : renderLanes<Ops, 1, false> (voices, count, output);
            else if (count <= 2 * width || maxGroups < 3)
                filtered ? renderLanes<Ops, 2, true> (voices, count, output) : renderLanes<Ops, 2, false> (voices, count, output);
            else if constexpr (maxGroups >= 3)
                filtered ? renderLanes<Ops, 3, true> (voices, count, output) : renderLanes<Ops, 3, false> (voices, count, output);
        }
    }
}
