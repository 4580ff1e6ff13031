// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "framework/AudioFilterBase.h"

#include <juce_events/juce_events.h>

#include <memory>

class ParameterBlock;
class VoiceManager;

/** One instance of the synthesizer: turns each host block of MIDI into two
    identical channels of sound, answers the host's and the editor's
    parameter and program calls, and saves and restores its settings. */
class JuceFilter : public AudioFilterBase,
                   public juce::ChangeBroadcaster
{
public:
    JuceFilter();
    ~JuceFilter() override;

    void prepare (double sampleRate, int expectedSamplesPerBlock) override;
    void releaseBuffers() override;
    void process (const juce::AudioBuffer<float>& input,
                  juce::AudioBuffer<float>& output,
                  bool accumulate,
                  juce::MidiBuffer& midi) override;
    AudioFilterEditor* createEditorComponent() override;
    int parameterCount() override;
    juce::String parameterName (int index) override;
    float parameterValue (int index) override;
    juce::String parameterText (int index) override;
    void setParameterValue (int index, float value) override;
    int programCount() override;
    int currentProgram() override;
    void selectProgram (int index) override;
    juce::String programName (int index) override;
    void renameProgram (int index, const juce::String& newName) override;
    void saveState (juce::MemoryBlock& destination) override;
    void loadState (const void* data, int sizeInBytes) override;

    /** Quantiser resolution: steps per unit of amplitude. */
    static constexpr int crushSteps = 32;

    /** Read-only views for inspection (tests, tools). The engine's state is
        the audio thread's: look at it only while no block runs. */
    const ParameterBlock& getParameterBlock() const noexcept { return *parameters; }
    const VoiceManager& getVoiceManager() const noexcept { return *voiceManager; }

private:
    void handleMidiEvent (const juce::uint8* data, int numBytes) noexcept;

    juce::String programNameText;   // the single program's name
    int eventSamplePosition = 0;
    std::unique_ptr<ParameterBlock> parameters;
    std::unique_ptr<juce::AudioBuffer<float>> scratchBuffer;
    std::unique_ptr<VoiceManager> voiceManager;

    JUCE_DECLARE_NON_COPYABLE (JuceFilter)
};
