// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "FilterProcessor.h"

#include "FilterProcessorEditor.h"
#include "framework/x11/PluginX11.h"
#include "presets/FactoryPresets.h"
#include "plugin/PluginIdentity.h"

#include <climits>
#include <cstring>

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
    bypassFade.prepare (sampleRate);

    // The LV2 wrapper prepares once, as the instance is made and after it
    // listens to the parameters: hosts hear the values from the first block
    // on, not the Turtle defaults (or zeros) they would otherwise show. In
    // VST3 the host reads the values itself, and a change told from here
    // would reach it as an edit.
    if (wrapperType == wrapperType_LV2)
        announceValues();
}

void FilterProcessor::releaseResources()
{
    filter->releaseBuffers();
}

void FilterProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    render (buffer, midi, false);
}

void FilterProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    render (buffer, midi, true);
}

void FilterProcessor::render (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, bool bypassed)
{
    // The wrappers hold the base's lock already; the processor's own lock is
    // the one its editor and its parameter writes agree on. Neither wrapping
    // below allocates: both buffers refer to memory that exists.
    float* noChannels[1] = { nullptr };
    const juce::AudioBuffer<float> input (noChannels, 0, buffer.getNumSamples());

    const juce::ScopedLock sl (filter->callbackLock);
    filter->process (input, buffer, false, midi);
    bypassFade.apply (buffer, bypassed);
}

//==============================================================================
juce::AudioProcessorEditor* FilterProcessor::createEditor()
{
    auto* component = filter->createEditorIfNeeded();
    return component != nullptr ? new FilterProcessorEditor (*this, component) : nullptr;
}

//==============================================================================
int FilterProcessor::getNumPrograms()
{
    return (int) factorypresets::all().size();
}

int FilterProcessor::getCurrentProgram()
{
    return currentProgramIndex.load();
}

void FilterProcessor::setCurrentProgram (int index)
{
    const auto sounds = factorypresets::all();
    if (index < 0 || index >= (int) sounds.size())
        return;

    // The program is remembered for the host's menu only: the state block
    // holds the values, so a session saved after a knob was turned brings
    // back the knob.
    auto block = factorypresets::stateBlock (sounds[(size_t) index]);
    block.back() = (unsigned char) index;
    setStateInformation (block.data(), (int) block.size());
}

const juce::String FilterProcessor::getProgramName (int index)
{
    const auto sounds = factorypresets::all();
    return index >= 0 && index < (int) sounds.size() ? juce::String (sounds[(size_t) index].name) : juce::String();
}

void FilterProcessor::changeProgramName (int, const juce::String&)
{
    // Factory names stay as they are; a user's own sound is a file.
}

//==============================================================================
void FilterProcessor::getStateInformation (juce::MemoryBlock& destination)
{
    destination.reset();
    filter->saveState (destination);

    // The block's pad byte, which every reader of the block ignores, keeps
    // the program number: hosts that restore a session's state and then
    // select its program again (Ardour does for VST3) then select the one
    // already current, which changes nothing, rather than undo every change
    // made after the program was chosen.
    if (destination.getSize() > 0)
        static_cast<juce::uint8*> (destination.getData())[destination.getSize() - 1] = (juce::uint8) currentProgramIndex.load();
}

void FilterProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0)
        return;

    filter->loadState (data, sizeInBytes);
    if (const int program = programOfBlock (data, sizeInBytes); program >= 0)
        currentProgramIndex = program;

    // The VST3 wrapper ignores this while it sets a state, and reads the
    // values itself.
    announceValues();
}

void FilterProcessor::announceValues()
{
    for (auto* parameter : slotParameters)
        parameter->sendValueChangedMessageToListeners (parameter->getValue());
}

int FilterProcessor::programOfBlock (const void* data, int sizeInBytes)
{
    // Only a whole block, as getStateInformation writes it, names one.
    constexpr int headerSize = 8, trailerSize = 2;
    const auto* bytes = static_cast<const juce::uint8*> (data);
    if (sizeInBytes < headerSize + trailerSize || std::memcmp (bytes, "VC2!", 4) != 0)
        return -1;
    const auto length = (juce::uint32) bytes[4] | ((juce::uint32) bytes[5] << 8) | ((juce::uint32) bytes[6] << 16)
                        | ((juce::uint32) bytes[7] << 24);
    if (length != (juce::uint32) (sizeInBytes - headerSize - trailerSize))
        return -1;
    const int program = bytes[sizeInBytes - 1];
    return program < (int) factorypresets::all().size() ? program : 0;
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
