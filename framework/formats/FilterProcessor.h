// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "BypassFade.h"
#include "SlotParameter.h"
#include "framework/AudioFilterBase.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <memory>

/** The processor as JUCE's LV2, VST3 and standalone wrappers drive it: a
    thin shell that owns one AudioFilterBase and forwards every call to it.
    Sound, parameters and state all stay in that processor; the parameters
    here are views of its slots and the state is its state block. The
    programs are the factory sounds: choosing one loads its state block, as
    a restored session would. */
class FilterProcessor : public juce::AudioProcessor,
                        private FilterNativeCallbacks
{
public:
    explicit FilterProcessor (std::unique_ptr<AudioFilterBase> processorToWrap);
    ~FilterProcessor() override;

    const juce::String getName() const override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    double getTailLengthSeconds() const override { return 0.0; }

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;

    /** Bypassed by the host: the synthesizer goes on hearing every MIDI
        event and rendering, so that a note released meanwhile does not
        sound on when it is enabled again; only its output fades away. */
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlockBypassed;

    bool hasEditor() const override { return true; }
    juce::AudioProcessorEditor* createEditor() override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destination) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    AudioFilterBase& getFilter() const noexcept { return *filter; }

private:
    void render (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, bool bypassed);

    // Tells the host's listeners every slot's value, for the LV2 wrapper,
    // which keeps its own copy of each and sends hosts the ones it hears of.
    void announceValues();

    // The editor's edits: the processor stores the value, then the host is
    // told, inside a gesture unless a drag has one open already.
    void informHostOfParameterChange (int index, float newValue) override;
    void beginParameterGesture (int index) override;
    void endParameterGesture (int index) override;

    /** The program a state block was saved with, from its pad byte (0 for
        one that names none), or -1 for bytes that are not a whole block. */
    static int programOfBlock (const void* data, int sizeInBytes);

    std::unique_ptr<AudioFilterBase> filter;
    std::array<SlotParameter*, hostparameters::count> slotParameters {};   // owned by the base
    std::array<bool, hostparameters::count> gestureOpen {};                // message thread only
    std::atomic<int> currentProgramIndex { 0 };                            // the factory "Default" at first
    BypassFade bypassFade;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilterProcessor)
};
