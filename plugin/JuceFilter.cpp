// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "JuceFilter.h"

#include "Crush.h"
#include "ParameterInfo.h"
#include "editor/EditorComponent.h"
#include "engine/ParameterBlock.h"
#include "engine/VoiceManager.h"

#include <cmath>
#include <limits>

static_assert (JuceFilter::crushSteps == crush::steps);

namespace
{
    constexpr int allNotesOffController = 123;
}

JuceFilter::JuceFilter()
    : parameters (std::make_unique<ParameterBlock>()),
      voiceManager (std::make_unique<VoiceManager> (*parameters))
{
    // Every voice derives its cached settings from the defaults.
    for (int i = 0; i < ParameterBlock::slotCount; ++i)
        voiceManager->parameterChanged (i);

    programNameText = "Default";
}

JuceFilter::~JuceFilter() = default;

//==============================================================================
void JuceFilter::prepare (double sampleRate, int expectedSamplesPerBlock)
{
    auto fresh = std::make_unique<juce::AudioBuffer<float>> (1, juce::jlimit (0, AudioFilterBase::largestPreparedBlock, expectedSamplesPerBlock));

    {
        // A host may stop and start on another thread than the one it
        // processes on; the lock keeps the swap out of a running block.
        const juce::ScopedLock sl (callbackLock);
        std::swap (scratchBuffer, fresh);

        // Only finite positive rates, clamped before narrowing so that the
        // conversion to float is always defined.
        if (floatrules::isFinite (sampleRate) && sampleRate > 0.0)
            voiceManager->setSampleRate ((float) juce::jlimit (1.0, (double) std::numeric_limits<float>::max(), sampleRate));
    }
    // The old buffer, if any, is freed here, outside the lock.
}

void JuceFilter::releaseBuffers()
{
    std::unique_ptr<juce::AudioBuffer<float>> old;
    const juce::ScopedLock sl (callbackLock);
    std::swap (scratchBuffer, old);
}

void JuceFilter::handleMidiEvent (const juce::uint8* data, int numBytes) noexcept
{
    // The four messages acted on all have a status and two data bytes.
    // Anything shorter, or with a data byte above 127, is not MIDI we can
    // trust and is dropped like any other unhandled message.
    if (data == nullptr || numBytes < 3)
        return;

    const int status = data[0];
    const int first = data[1];
    const int second = data[2];
    if ((status & 0x80) == 0 || ((first | second) & 0x80) != 0)
        return;

    switch (status >> 4)
    {
        case 0x9:
            if (second != 0)
                voiceManager->noteOn (first, second, eventSamplePosition);
            else
                voiceManager->noteOff (first, eventSamplePosition);
            break;

        case 0x8:
            voiceManager->noteOff (first, eventSamplePosition);
            break;

        case 0xb:
            if (first == allNotesOffController)
                voiceManager->stopAll();
            break;

        case 0xe:
            parameters->pitchBend = (float) ((double) (first + 128 * second) * 0.0001220703125 - 1.0);
            break;

        default:
            break;
    }
}

void JuceFilter::process (const juce::AudioBuffer<float>& /*input: the plug-in has none*/,
                          juce::AudioBuffer<float>& output,
                          bool accumulate,
                          juce::MidiBuffer& midi)
{
    // Events are applied before rendering; the sample position reaches the
    // voice as an envelope delay.
    for (const auto event : midi)
    {
        eventSamplePosition = event.samplePosition;
        handleMidiEvent (event.data, event.numBytes);
    }
    midi.clear();   // keeps its storage, and no MIDI leaves the plug-in

    const int numSamples = output.getNumSamples();

    // Never prepared (or released meanwhile): the adapter prevents it, but
    // should it happen the block is silent and the notes above still count.
    if (scratchBuffer == nullptr)
    {
        if (! accumulate)
            output.clear();
        return;
    }

    auto& scratch = *scratchBuffer;
    if (scratch.getNumSamples() != numSamples)
        scratch.setSize (1, numSamples, false, false, true);   // keeps the allocation when shrinking
    scratch.clear();

    if (numSamples > 0)
    {
        float* const mono = scratch.getWritePointer (0);
        voiceManager->render (mono, numSamples);

        const bool crushing = crush::isOn (parameters->get (ParameterBlock::crush));
        for (int i = 0; i < numSamples; ++i)
        {
            float x = crushing ? crush::quantise (mono[i]) : mono[i];
            mono[i] = floatrules::isFinite (x) ? x : 0.0f;   // the host never receives NaN or infinity
        }
    }

    // Both channels carry the mono mix, each written the same way, so that
    // they agree bit for bit (the buffer's own add and copy helpers choose
    // between adding to zero and copying, which differ for a zero of negative
    // sign). An output with fewer channels gets what fits; further channels
    // are only cleared.
    const float* const mix = scratch.getReadPointer (0);

    for (int channel = 0; channel < output.getNumChannels() && numSamples > 0; ++channel)
    {
        float* const out = output.getWritePointer (channel);

        if (channel >= 2)
        {
            if (! accumulate)
                juce::FloatVectorOperations::clear (out, numSamples);
        }
        else if (accumulate)
        {
            juce::FloatVectorOperations::add (out, mix, numSamples);
        }
        else
        {
            juce::FloatVectorOperations::copy (out, mix, numSamples);
        }
    }
}

//==============================================================================
AudioFilterEditor* JuceFilter::createEditorComponent()
{
    return new EditorComponent (this);
}

int JuceFilter::parameterCount()
{
    return ParameterBlock::slotCount;
}

juce::String JuceFilter::parameterName (int index)
{
    return parameterinfo::name (index);
}

float JuceFilter::parameterValue (int index)
{
    return parameters->get (index);
}

juce::String JuceFilter::parameterText (int index)
{
    return parameterinfo::valueText (parameters->get (index));
}

void JuceFilter::setParameterValue (int index, float value)
{
    // The voices act on the slot that was written, so they hear of the
    // clamped index. The lock keeps their caches and wave tables from being
    // rebuilt in the middle of a block.
    const int slot = ParameterBlock::clampIndex (index);
    const juce::ScopedLock sl (callbackLock);
    parameters->set (slot, value);
    voiceManager->parameterChanged (slot);
}

//==============================================================================
int JuceFilter::programCount() { return 1; }
int JuceFilter::currentProgram() { return 0; }
void JuceFilter::selectProgram (int /*index: there is only one*/) {}

juce::String JuceFilter::programName (int /*index*/)
{
    const juce::ScopedLock sl (callbackLock);
    return programNameText;
}

void JuceFilter::renameProgram (int /*index*/, const juce::String& newName)
{
    juce::String old (newName);
    {
        const juce::ScopedLock sl (callbackLock);
        programNameText.swapWith (old);
    }
    // The old name goes here, outside the lock.
}
