// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VoiceManager.h"

#include "DenormalGuard.h"
#include "FloatRules.h"
#include "ParameterBlock.h"
#include "VoiceLanes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace
{
    constexpr float constructionRate = 44100.0f;
    constexpr float lowestRate = 1.0f;
    constexpr float highestRate = 4.0e6f;

    // Far outside MIDI, but keeps every frequency finite and positive.
    constexpr long long lowestNote = -256;
    constexpr long long highestNote = 512;

    template <size_t... I>
    std::array<Voice, sizeof...(I)> makeVoices (const ParameterBlock& parameters, std::index_sequence<I...>) noexcept
    {
        return { { ((void) I, Voice (parameters, constructionRate))... } };
    }
}

VoiceManager::VoiceManager (const ParameterBlock& parameterBlock) noexcept
    : parameters (parameterBlock),
      voices (makeVoices (parameterBlock, std::make_index_sequence<voiceCount>()))
{
}

void VoiceManager::setSampleRate (float rate) noexcept
{
    if (! (rate > 0.0f) || ! floatrules::isFinite (rate))
        return;
    sampleRate = std::clamp (rate, lowestRate, highestRate);
}

float VoiceManager::noteFrequency (int note) noexcept
{
    return (float) (440.0 * std::pow (2.0, (double) (note - 81) * (1.0 / 12.0)));
}

void VoiceManager::noteOn (int note, int /*velocity*/, int samplePosition) noexcept
{
    // "Oct": 0, 1 or 2 octaves up from two octaves below the note as sent.
    const int octaves = floatrules::truncateToInt (parameters.get (ParameterBlock::oct) * -2.0f);
    const long long played = std::clamp ((long long) note - 12LL * octaves, lowestNote, highestNote);
    const float frequency = noteFrequency ((int) played);

    startCounter = (int) ((unsigned int) startCounter + 1u);   // wraps rather than overflowing
    const int order = startCounter;

    int freeVoice = -1;
    int oldestReleased = -1;
    int oldestHeld = -1;

    for (int i = 0; i < voiceCount; ++i)
    {
        if (i == reserveIndex)
            continue;

        const Voice& v = voices[(size_t) i];

        if (! v.isActive())
        {
            freeVoice = i;
            break;
        }

        int& oldest = v.isReleased() ? oldestReleased : oldestHeld;
        if (oldest < 0 || v.getStartOrder() < voices[(size_t) oldest].getStartOrder())
            oldest = i;
    }

    if (freeVoice >= 0)
    {
        voices[(size_t) freeVoice].start (frequency, note, samplePosition, sampleRate, order);
        return;
    }

    // The new note takes the reserve voice; the displaced one fades quickly
    // and becomes the reserve, so no note waits for or cuts another.
    const int victim = oldestReleased >= 0 ? oldestReleased : oldestHeld;
    if (victim < 0)
        return;

    voices[(size_t) reserveIndex].start (frequency, note, samplePosition, sampleRate, order);
    reserveIndex = victim;
    voices[(size_t) victim].quickRelease();
}

void VoiceManager::noteOff (int note, int samplePosition) noexcept
{
    for (Voice& v : voices)
        if (v.getNote() == note)
            v.release (samplePosition);
}

void VoiceManager::render (float* out, int numSamples) noexcept
{
    if (numSamples <= 0)
        return;

    DenormalGuard denormalGuard;

    const int n = numSamples;
    const int pending = pendingCount;
    const float* const heldTail = holdBuffer + (subBlockLength - pending);

    // Nothing sounding: the same as below, where every sub-block would add
    // nothing and the hold buffer would come back silent.
    if (std::none_of (voices.begin(), voices.end(), [] (const Voice& v) { return v.isActive(); }))
    {
        if (n <= pending)
        {
            std::copy (heldTail, heldTail + n, out);
            pendingCount = pending - n;
            return;
        }
        std::copy (heldTail, heldTail + pending, out);
        const int rem = n > subBlockLength ? (n - pending) % subBlockLength : n - pending;
        std::fill (std::begin (holdBuffer), std::end (holdBuffer), 0.0f);
        std::fill (out + (n - rem), out + n, 0.0f);
        pendingCount = subBlockLength - rem;
        return;
    }

    if (n <= pending)
    {
        std::copy (heldTail, heldTail + n, out);
        pendingCount = pending - n;
        return;
    }

    std::copy (heldTail, heldTail + pending, out);

    int rem = n - pending;
    int full = 0;
    if (n > subBlockLength)
    {
        rem = (n - pending) % subBlockLength;
        full = (n - pending - rem) / subBlockLength;
    }

    for (int j = 0; j < full; ++j)
        renderSubBlock (out + pending + subBlockLength * j);

    std::fill (std::begin (holdBuffer), std::end (holdBuffer), 0.0f);
    renderSubBlock (holdBuffer);

    std::copy (holdBuffer, holdBuffer + rem, out + (n - rem));
    pendingCount = subBlockLength - rem;
}

void VoiceManager::renderSubBlock (float* out) noexcept
{
    Voice* sounding[voiceCount] {};
    int soundingCount = 0;
    int filteredCount = 0;

    for (Voice& v : voices)
    {
        if (! v.isActive())
            continue;
        sounding[soundingCount++] = &v;
        filteredCount += v.isFilterOn() ? 1 : 0;
    }

    if (soundingCount == 0)
        return;

    // Two or more sounding voices side by side in SIMD lanes, when they agree
    // on the filter (they always do: it is one slot for all). A voice alone
    // is faster on its own: its scalar loop predicts its half-cycle switch.
    if (soundingCount >= 2 && voicelanes::available() && (filteredCount == 0 || filteredCount == soundingCount))
    {
        voicelanes::render (sounding, soundingCount, out);
        return;
    }

    // Voice by voice, with the filters of all voices run side by side: one
    // voice's filter is a chain of dependent operations that leaves most of
    // the processor idle.
    Voice* filtered[voiceCount] {};
    filteredCount = 0;
    for (int i = 0; i < soundingCount; ++i)
    {
        sounding[i]->renderSource();
        if (sounding[i]->isFilterOn())
            filtered[filteredCount++] = sounding[i];
    }

    Voice::filterTogether (filtered, filteredCount);

    for (int i = 0; i < soundingCount; ++i)
        sounding[i]->mixInto (out);
}

void VoiceManager::parameterChanged (int index) noexcept
{
    if (index == ParameterBlock::oct)
        stopAll();

    for (Voice& v : voices)
        v.parameterChanged (index);
}

void VoiceManager::stopAll() noexcept
{
    for (Voice& v : voices)
        v.stop();
}
