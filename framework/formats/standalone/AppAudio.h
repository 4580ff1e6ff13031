// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "ControllerMap.h"
#include "OutputLevels.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_utils/juce_audio_utils.h>

#include <memory>

class AudioFilterBase;

/** The app's sound: one processor, played by the framework's player on the
    chosen audio device, with MIDI from every enabled MIDI input, from the
    keyboard state (on-screen and computer keys) and from the JACK port.
    Every controller message on the way in is also shown to the MIDI learn
    table. The output is measured for the meter after each block.

    The device setup and the sound are kept in the settings under
    "audioSetup" and "filterState". */
class AppAudio : private juce::AudioIODeviceCallback,
                 private juce::MidiInputCallback
{
public:
    explicit AppAudio (juce::PropertySet& settingsToUse);
    ~AppAudio() override;

    juce::AudioProcessor& getProcessor() noexcept { return *processor; }

    /** The processor's own base, the one the editor edits. */
    AudioFilterBase& getFilter() const noexcept;

    juce::AudioDeviceManager& getDeviceManager() noexcept { return deviceManager; }
    juce::MidiKeyboardState& getKeyboardState() noexcept { return keyboardState; }
    OutputLevels& getOutputLevels() noexcept { return outputLevels; }
    ControllerMap& getControllerMap() noexcept { return controllerMap; }

    /** Where MIDI from outside the framework's own inputs goes (the JACK port).
        Safe on any one MIDI thread. */
    void handleExternalMidi (const juce::MidiMessage& message) noexcept;

    /** True when an audio device is open with at least one output. */
    bool isOutputOpen();

    /** Opens the framework's audio and MIDI device settings in a window of their own. */
    void showAudioSettings();

    void saveSound();
    void saveDeviceSetup();

private:
    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData,
                                           int numInputChannels,
                                           float* const* outputChannelData,
                                           int numOutputChannels,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

    juce::PropertySet& settings;
    std::unique_ptr<juce::AudioProcessor> processor;
    juce::AudioDeviceManager deviceManager;
    juce::AudioProcessorPlayer player;
    juce::MidiKeyboardState keyboardState;
    OutputLevels outputLevels;
    ControllerMap controllerMap;

    JUCE_DECLARE_NON_COPYABLE (AppAudio)
};
