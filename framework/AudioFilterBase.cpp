// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AudioFilterBase.h"

#include "AudioFilterEditor.h"
#include "StateBlock.h"

AudioFilterBase::~AudioFilterBase()
{
    // The adapter deletes the editor first; one left over would call back
    // into a processor that is gone.
    jassert (activeEditor == nullptr);
}

void AudioFilterBase::setParameterAndInformHost (int index, float value)
{
    // The adapter's callback stores the value itself before telling the host,
    // so the processor has it before the host hears of it.
    if (auto* callbacks = nativeCallbacks.load())
        callbacks->informHostOfParameterChange (index, value);
    else
        setParameterValue (index, value);
}

void AudioFilterBase::beginParameterGesture (int index)
{
    if (auto* callbacks = nativeCallbacks.load())
        callbacks->beginParameterGesture (index);
}

void AudioFilterBase::endParameterGesture (int index)
{
    if (auto* callbacks = nativeCallbacks.load())
        callbacks->endParameterGesture (index);
}

void AudioFilterBase::setNativeCallbacks (FilterNativeCallbacks* callbacks) noexcept
{
    nativeCallbacks.store (callbacks);
}

FilterNativeCallbacks* AudioFilterBase::getNativeCallbacks() const noexcept
{
    return nativeCallbacks.load();
}

AudioFilterEditor* AudioFilterBase::createEditorIfNeeded()
{
    {
        const juce::ScopedLock sl (callbackLock);
        if (activeEditor != nullptr)
            return activeEditor;
    }

    // Built outside the lock: a window's construction is slow, and the audio
    // thread needs the lock for every block.
    std::unique_ptr<AudioFilterEditor> created (createEditorComponent());
    if (created == nullptr)
        return nullptr;

    {
        const juce::ScopedLock sl (callbackLock);
        if (activeEditor == nullptr)
        {
            activeEditor = created.release();
            return activeEditor;
        }
    }

    // Another thread recorded one meanwhile; ours goes (its destructor calls
    // editorBeingDeleted, which leaves the other record alone).
    created.reset();
    const juce::ScopedLock sl (callbackLock);
    return activeEditor;
}

AudioFilterEditor* AudioFilterBase::getActiveEditor() const
{
    const juce::ScopedLock sl (callbackLock);
    return activeEditor;
}

void AudioFilterBase::editorBeingDeleted (AudioFilterEditor* editor)
{
    const juce::ScopedLock sl (callbackLock);
    if (activeEditor == editor)
        activeEditor = nullptr;
}

void AudioFilterBase::setPlayConfigDetails (int numInputs, int numOutputs) noexcept
{
    numInputChannels.store (juce::jmax (0, numInputs));
    numOutputChannels.store (juce::jmax (0, numOutputs));
}

void AudioFilterBase::xmlToStateBlock (const juce::XmlElement& xml, juce::MemoryBlock& destination)
{
    stateblock::write (xml, destination);
}

std::unique_ptr<juce::XmlElement> AudioFilterBase::stateBlockToXml (const void* data, int sizeInBytes)
{
    return stateblock::read (data, sizeInBytes);
}
