// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

class AudioFilterEditor;

/** What a host adapter attaches to a processor so that edits made in the
    editor reach the host as automation. */
class FilterNativeCallbacks
{
public:
    virtual ~FilterNativeCallbacks() = default;

    /** Stores the value in the processor and tells the host about it. */
    virtual void informHostOfParameterChange (int index, float newValue) = 0;

    /** A drag of the control for this parameter starts or ends, so that a
        host can record it as one gesture. Hosts without gestures ignore it. */
    virtual void beginParameterGesture (int /*index*/) {}
    virtual void endParameterGesture (int /*index*/) {}
};

/** The base of the plug-in's processor, on JUCE 7's modules: the virtual
    operations a host adapter drives, the callback lock, the attached host
    callbacks, the record of the one open editor and the state-block
    wrapping. */
class AudioFilterBase
{
public:
    AudioFilterBase() = default;
    virtual ~AudioFilterBase();

    virtual void prepare (double sampleRate, int expectedSamplesPerBlock) = 0;
    virtual void releaseBuffers() = 0;
    virtual void process (const juce::AudioBuffer<float>& input,
                          juce::AudioBuffer<float>& output,
                          bool accumulate,
                          juce::MidiBuffer& midi) = 0;
    virtual AudioFilterEditor* createEditorComponent() = 0;
    virtual int parameterCount() = 0;
    virtual juce::String parameterName (int index) = 0;
    virtual float parameterValue (int index) = 0;
    virtual juce::String parameterText (int index) = 0;
    virtual void setParameterValue (int index, float value) = 0;
    virtual int programCount() = 0;
    virtual int currentProgram() = 0;
    virtual void selectProgram (int index) = 0;
    virtual juce::String programName (int index) = 0;
    virtual void renameProgram (int index, const juce::String& newName) = 0;
    virtual void saveState (juce::MemoryBlock& destination) = 0;
    virtual void loadState (const void* data, int sizeInBytes) = 0;

    /** For edits made by the user in the editor: goes through the attached
        host callbacks when there are any, straight to setParameterValue
        otherwise. */
    void setParameterAndInformHost (int index, float value);

    /** The editor's drags: passed to the attached host callbacks, if any. */
    void beginParameterGesture (int index);
    void endParameterGesture (int index);

    void setNativeCallbacks (FilterNativeCallbacks* callbacks) noexcept;
    FilterNativeCallbacks* getNativeCallbacks() const noexcept;

    /** Returns the open editor, creating and recording one if there is none. */
    AudioFilterEditor* createEditorIfNeeded();

    /** The open editor, or nullptr. */
    AudioFilterEditor* getActiveEditor() const;

    /** Called by an editor as it goes away; clears the record under callbackLock. */
    void editorBeingDeleted (AudioFilterEditor* editor);

    void setPlayConfigDetails (int numInputs, int numOutputs) noexcept;
    int getNumInputChannels() const noexcept { return numInputChannels; }
    int getNumOutputChannels() const noexcept { return numOutputChannels; }

    /** The largest block a processor is prepared for. A host adapter does
        not believe a larger announced block size and prepares for its
        default instead; a processor clamps what it is asked to prepare for
        to this, and grows its buffers should a larger block really come. */
    static constexpr int largestPreparedBlock = 1 << 16;

    /** Held by the host adapter around every block, and by the editor while
        it refreshes its controls. */
    juce::CriticalSection callbackLock;

protected:
    /** The state block: "VC2!", the text length (32-bit little-endian), the
        element as one line of text, a zero byte and a pad byte. */
    static void xmlToStateBlock (const juce::XmlElement& xml, juce::MemoryBlock& destination);

    /** The element inside a state block, or nullptr when the block is not one. */
    static std::unique_ptr<juce::XmlElement> stateBlockToXml (const void* data, int sizeInBytes);

private:
    // Set by the adapter on one thread, read by the editor on another.
    std::atomic<FilterNativeCallbacks*> nativeCallbacks { nullptr };
    AudioFilterEditor* activeEditor = nullptr;   // guarded by callbackLock
    std::atomic<int> numInputChannels { 0 };
    std::atomic<int> numOutputChannels { 2 };

    JUCE_DECLARE_NON_COPYABLE (AudioFilterBase)
};
