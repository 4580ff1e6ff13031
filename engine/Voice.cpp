// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Voice.h"

#include "FloatRules.h"
#include "ParameterBlock.h"

#include <cmath>

namespace
{
    constexpr float twoPi = 6.2831855f;
    constexpr float filterCutoff = 10000.0f;
    constexpr float oneTwelfth = 0.0833333358f;
    constexpr float holdSeconds = 0.025f;

    // The oscillator envelope steps once per render call, 32 times slower
    // than the amplitude envelope, so its scale is 1/32 of the rate.
    constexpr float oscEnvelopeScale = 0.03125f;

    // Beyond this a gain only produces overflow, never a sound.
    constexpr float gainLimit = 1.0e6f;
}

Voice::Voice (const ParameterBlock& parameterBlock, float rate) noexcept
    : parameters (parameterBlock),
      sampleRate (rate),
      filterCoefficient (filterCoefficientFor (rate))
{
}

float Voice::filterCoefficientFor (float rate) noexcept
{
    const float g = twoPi * (filterCutoff / (2.0f * rate));
    // From g = 2 on (host rates below about 15.7 kHz) the one-pole stages
    // diverge; there the filter passes the signal through unchanged.
    return g < 2.0f ? g : 1.0f;
}

int Voice::holdLengthFor (float rate) noexcept
{
    const int length = floatrules::truncateToInt ((2.0f * rate) * holdSeconds);
    return length > 1 ? length : 1;
}

void Voice::start (float noteFrequency, int noteNumber, int startDelay, float rate, int order) noexcept
{
    const bool rateChanged = rate != sampleRate;
    sampleRate = rate;
    startOrder = order;
    frequency = noteFrequency;

    // The pitch update still sees the previous note's hold counter.
    oscillator.setBasePeriod ((2.0f * sampleRate) / frequency);
    oscillator.updatePitch();
    oscillator.restart (holdLengthFor (sampleRate));

    note = noteNumber;
    released = false;
    active = true;

    // Envelope durations are set in seconds: rates computed for another host
    // rate are recomputed before the note sounds.
    if (rateChanged)
    {
        updateOscEnvelopeTimes();
        updateAmpEnvelopeTimes();
        filterCoefficient = filterCoefficientFor (sampleRate);
    }

    ampEnvelope.trigger (startDelay);
    oscEnvelope.trigger (0);
}

void Voice::release (int delay) noexcept
{
    released = true;
    ampEnvelope.release (delay);
    oscEnvelope.release (delay);
}

void Voice::quickRelease() noexcept
{
    released = true;
    ampEnvelope.quickRelease();
    oscEnvelope.quickRelease();
}

void Voice::updateOscEnvelopeTimes() noexcept
{
    oscEnvelope.setTimes (parameters.get (ParameterBlock::oscAttack), parameters.get (ParameterBlock::oscDecay),
                          parameters.get (ParameterBlock::oscSustain), parameters.get (ParameterBlock::oscRelease),
                          sampleRate * oscEnvelopeScale);
}

void Voice::updateAmpEnvelopeTimes() noexcept
{
    ampEnvelope.setTimes (parameters.get (ParameterBlock::ampAttack), parameters.get (ParameterBlock::ampDecay),
                          parameters.get (ParameterBlock::ampSustain), parameters.get (ParameterBlock::ampRelease),
                          sampleRate);
}

void Voice::parameterChanged (int index) noexcept
{
    switch (index)
    {
        case ParameterBlock::rand:
            oscillator.setRandomDepth (parameters.get (ParameterBlock::rand) * 0.5f);
            break;

        case ParameterBlock::oscAttack:
        case ParameterBlock::oscDecay:
        case ParameterBlock::oscSustain:
        case ParameterBlock::oscRelease:
            updateOscEnvelopeTimes();
            break;

        case ParameterBlock::ampAttack:
        case ParameterBlock::ampDecay:
        case ParameterBlock::ampSustain:
        case ParameterBlock::ampRelease:
            updateAmpEnvelopeTimes();
            break;

        case ParameterBlock::arp:
            oscillator.setArpMode (floatrules::truncateToInt (parameters.get (ParameterBlock::arp) * 2.0f));
            break;

        case ParameterBlock::shapePositive:
        case ParameterBlock::shapeNegative:
            oscillator.setShapes (floatrules::truncateToInt (parameters.get (ParameterBlock::shapePositive)),
                                  floatrules::truncateToInt (parameters.get (ParameterBlock::shapeNegative)));
            break;

        case ParameterBlock::filter:
            filterOn = floatrules::isSwitchOn (parameters.get (ParameterBlock::filter));
            break;

        default:   // read live at render, or acted on elsewhere
            break;
    }
}

void Voice::render (float* output) noexcept
{
    if (! active)
        return;

    renderSource();
    if (filterOn)
        filterStages();
    mixInto (output);
}

void Voice::renderSource() noexcept
{
    prepareSource();
    oscillator.render (workBuffer, internalLength);

    // The loudness follows the square of the linear amplitude envelope,
    // stepped once per internal sample.
    float levels[internalLength];
    ampEnvelope.render (levels, internalLength);
    for (int k = 0; k < internalLength; ++k)
        workBuffer[k] = workBuffer[k] * (levels[k] * levels[k]);
}

void Voice::prepareSource() noexcept
{
    // Pitch, once per call. The bend factor only changes with the wheel.
    const float bend = floatrules::clampOr (parameters.pitchBend, -1.0f, 1.0f, 0.0f);
    if (bend != cachedPitchBend)
    {
        cachedPitchBend = bend;
        cachedBendFactor = std::pow (2.0, (double) ((2.0f * bend) * oneTwelfth));
    }
    oscillator.setBasePeriod ((float) ((double) (2.0f * sampleRate) / (cachedBendFactor * (double) frequency)));
    oscillator.updatePitch();

    // The oscillator envelope bends the wave by its squared level.
    const float disp = parameters.get (ParameterBlock::disp);
    const float amt = parameters.get (ParameterBlock::amt);
    oscEnvelope.step();
    const float bendLevel = oscEnvelope.getLevel();
    oscillator.setAsymmetry ((amt * bendLevel * bendLevel + disp - 0.5f) * 0.5f);
}

void Voice::filterStages() noexcept
{
    Voice* self = this;
    filterGroup<1> (&self);
}

template <int groupSize>
void Voice::filterGroup (Voice* const* group) noexcept
{
    float g[groupSize], s1[groupSize], s2[groupSize];
    float* x[groupSize];

    for (int m = 0; m < groupSize; ++m)
    {
        g[m] = group[m]->filterCoefficient;
        s1[m] = group[m]->filterState1;
        s2[m] = group[m]->filterState2;
        x[m] = group[m]->workBuffer;
    }

    // Two one-pole low-pass stages; the second takes the first's new value.
    for (int k = 0; k < internalLength; ++k)
    {
        for (int m = 0; m < groupSize; ++m)
        {
            s1[m] = s1[m] + (x[m][k] - s1[m]) * g[m];
            s2[m] = s2[m] + (s1[m] - s2[m]) * g[m];
            x[m][k] = s2[m];
        }
    }

    // A state that ever overflowed would stay poisoned for good.
    for (int m = 0; m < groupSize; ++m)
    {
        group[m]->filterState1 = floatrules::isFinite (s1[m]) ? s1[m] : 0.0f;
        group[m]->filterState2 = floatrules::isFinite (s2[m]) ? s2[m] : 0.0f;
    }
}

void Voice::filterTogether (Voice* const* group, int count) noexcept
{
    for (; count >= 4; count -= 4, group += 4)
        filterGroup<4> (group);
    for (; count >= 2; count -= 2, group += 2)
        filterGroup<2> (group);
    if (count == 1)
        filterGroup<1> (group);
}

void Voice::mixInto (float* output) noexcept
{
    // Back to the host rate: average each pair, scaled by the volume.
    const float vol = floatrules::clampOr (parameters.get (ParameterBlock::vol), -gainLimit, gainLimit, 0.0f);
    for (int k = 0; k < subBlockLength; ++k)
        output[k] = output[k] + (workBuffer[2 * k] + workBuffer[2 * k + 1]) * vol * 0.5f;

    active = ampEnvelope.getState() != Envelope::Idle;
}

void Voice::finishSideBySide (float state1, float state2) noexcept
{
    if (filterOn)
    {
        filterState1 = floatrules::isFinite (state1) ? state1 : 0.0f;
        filterState2 = floatrules::isFinite (state2) ? state2 : 0.0f;
    }
    active = ampEnvelope.getState() != Envelope::Idle;
}
