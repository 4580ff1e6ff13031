// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "FilterProcessor.h"

#include "FilterProcessorEditor.h"
#include "framework/x11/PluginX11.h"
#include "plugin/PluginIdentity.h"

#include <climits>

FilterProcessor::FilterProcessor (std::unique_ptr<AudioFilterBase> processorToWrap)
    : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      filter (std::move (processorToWrap))
{
    jassert (filter->parameterCount() == hostparameters::count);

    filter->setPlayConfigDetails (PluginIdentity::numInputs, PluginIdentity::numOutputs);
    filter->setNativeCallbacks (this);

    // X errors on the framework's connection must never reach the host's
    // handler, which may end the host; the first instance installs ours.
    PluginX11::installErrorHandler();

    for (int slot = 0; slot < hostparameters::count; ++slot)
    {
        auto parameter = std::make_unique<SlotParameter> (*filter, slot);
        slotParameters[(size_t) slot] = parameter.get();
        addParameter (parameter.release());
    }
}

FilterProcessor::~FilterProcessor()
{
    filter->setNativeCallbacks (nullptr);
    PluginX11::removeErrorHandler();
}

const juce::String FilterProcessor::getName() const
{
    return PluginIdentity::effectName;
}

bool FilterProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainInputChannelSet().isDisabled()
           && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

//==============================================================================
void FilterProcessor::prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock)
{
    filter->prepare (sampleRate, maximumExpectedSamplesPerBlock);
}

void FilterProcessor::releaseResources()
{
    filter->releaseBuffers();
}

void FilterProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    // The wrappers hold the base's lock already; the processor's own lock is
    // the one its editor and its parameter writes agree on. Neither wrapping
    // below allocates: both buffers refer to memory that exists.
    float* noChannels[1] = { nullptr };
    const juce::AudioBuffer<float> input (noChannels, 0, buffer.getNumSamples());

    const juce::ScopedLock sl (filter->callbackLock);
    filter->process (input, buffer, false, midi);
}

//==============================================================================
juce::AudioProcessorEditor* FilterProcessor::createEditor()
{
    auto* component = filter->createEditorIfNeeded();
    return component != nullptr ? new FilterProcessorEditor (*this, component) : nullptr;
}

//==============================================================================
int FilterProcessor::getNumPrograms() { return filter->programCount(); }
int FilterProcessor::getCurrentProgram() { return filter->currentProgram(); }
void FilterProcessor::setCurrentProgram (int index) { filter->selectProgram (index); }
const juce::String FilterProcessor::getProgramName (int index) { return filter->programName (index); }

void FilterProcessor::changeProgramName (int index, const juce::String& newName)
{
    filter->renameProgram (index, newName);
}

//==============================================================================
void FilterProcessor::getStateInformation (juce::MemoryBlock& destination)
{
    destination.reset();
    filter->saveState (destination);
}

void FilterProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;

    filter->loadState (data, sizeInBytes);

    // Hosts that keep their own copy of each value (LV2's patch messages)
    // learn the restored ones; the VST3 wrapper ignores this while it sets
    // a state and reads the values itself.
    for (auto* parameter : slotParameters)
        parameter->sendValueChangedMessageToListeners (parameter->getValue());
}

//==============================================================================
void FilterProcessor::informHostOfParameterChange (int index, float newValue)
{
    const int slot = juce::jlimit (0, hostparameters::count - 1, index);
    auto* parameter = slotParameters[(size_t) slot];

    const bool ownGesture = ! gestureOpen[(size_t) slot];
    if (ownGesture)
        parameter->beginChangeGesture();

    filter->setParameterValue (index, newValue);
    parameter->sendValueChangedMessageToListeners (parameter->getValue());

    if (ownGesture)
        parameter->endChangeGesture();
}

void FilterProcessor::beginParameterGesture (int index)
{
    const int slot = juce::jlimit (0, hostparameters::count - 1, index);
    if (! gestureOpen[(size_t) slot])
    {
        gestureOpen[(size_t) slot] = true;
        slotParameters[(size_t) slot]->beginChangeGesture();
    }
}

void FilterProcessor::endParameterGesture (int index)
{
    const int slot = juce::jlimit (0, hostparameters::count - 1, index);
    if (gestureOpen[(size_t) slot])
    {
        gestureOpen[(size_t) slot] = false;
        slotParameters[(size_t) slot]->endChangeGesture();
    }
}
