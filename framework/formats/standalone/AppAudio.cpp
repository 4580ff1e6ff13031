// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AppAudio.h"

#include "framework/formats/FilterProcessor.h"

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_plugin_client/utility/juce_CreatePluginFilter.h>

AppAudio::AppAudio (juce::PropertySet& settingsToUse)
    : settings (settingsToUse)
{
    processor = juce::createPluginFilterOfType (juce::AudioProcessor::wrapperType_Standalone);
    processor->disableNonMainBuses();
    processor->setRateAndBufferSizeDetails (44100, 512);

    juce::MemoryBlock sound;
    if (sound.fromBase64Encoding (settings.getValue ("filterState")) && sound.getSize() > 0)
        processor->setStateInformation (sound.getData(), (int) sound.getSize());

    // A saved setup that the framework does not understand is dropped for
    // the default device, like a missing one.
    const auto savedSetup = settings.getXmlValue ("audioSetup");
    deviceManager.initialise (0, processor->getMainBusNumOutputChannels(), savedSetup.get(), true);

    keyboardState.addListener (&player.getMidiMessageCollector());
    player.setProcessor (processor.get());
    deviceManager.addMidiInputDeviceCallback ({}, this);
    deviceManager.addAudioCallback (this);
}

AppAudio::~AppAudio()
{
    deviceManager.removeAudioCallback (this);
    deviceManager.removeMidiInputDeviceCallback ({}, this);
    keyboardState.removeListener (&player.getMidiMessageCollector());
    saveDeviceSetup();
    player.setProcessor (nullptr);
    processor.reset();
}

AudioFilterBase& AppAudio::getFilter() const noexcept
{
    return static_cast<FilterProcessor&> (*processor).getFilter();
}

void AppAudio::handleExternalMidi (const juce::MidiMessage& message) noexcept
{
    controllerMap.handleIncomingMessage (message);
    player.getMidiMessageCollector().addMessageToQueue (message);
}

void AppAudio::handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message)
{
    controllerMap.handleIncomingMessage (message);
    player.handleIncomingMidiMessage (source, message);
}

bool AppAudio::isOutputOpen()
{
    auto* device = deviceManager.getCurrentAudioDevice();
    return device != nullptr && device->isOpen() && device->getActiveOutputChannels().countNumberOfSetBits() > 0;
}

void AppAudio::showAudioSettings()
{
    auto selector = std::make_unique<juce::AudioDeviceSelectorComponent> (deviceManager, 0, 0, 1, 2,
                                                                          true,    // MIDI inputs
                                                                          false,   // no MIDI output
                                                                          true,    // stereo pairs
                                                                          false);
    selector->setSize (500, 420);

    juce::DialogWindow::LaunchOptions options;
    options.content.setOwned (selector.release());
    options.dialogTitle = "Audio and MIDI settings";
    options.dialogBackgroundColour = juce::Colour (0xff2b2d30);
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = true;
    options.launchAsync();
}

void AppAudio::saveSound()
{
    juce::MemoryBlock sound;
    processor->getStateInformation (sound);
    settings.setValue ("filterState", sound.toBase64Encoding());
}

void AppAudio::saveDeviceSetup()
{
    if (const auto setup = deviceManager.createStateXml())
        settings.setValue ("audioSetup", setup.get());
}

void AppAudio::audioDeviceIOCallbackWithContext (const float* const* inputChannelData,
                                                 int numInputChannels,
                                                 float* const* outputChannelData,
                                                 int numOutputChannels,
                                                 int numSamples,
                                                 const juce::AudioIODeviceCallbackContext& context)
{
    player.audioDeviceIOCallbackWithContext (inputChannelData, numInputChannels, outputChannelData,
                                             numOutputChannels, numSamples, context);
    outputLevels.measure (outputChannelData, numOutputChannels, numSamples);
}

void AppAudio::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    player.audioDeviceAboutToStart (device);
}

void AppAudio::audioDeviceStopped()
{
    player.audioDeviceStopped();
}
