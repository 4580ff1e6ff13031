// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "framework/x11/QueuedEventPump.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class AudioFilterEditor;
class FilterProcessor;

/** The window the format wrappers embed: the processor's own editor at its
    top-left corner, at its fixed size. */
class FilterProcessorEditor : public juce::AudioProcessorEditor
{
public:
    /** Takes ownership of the editor component. */
    FilterProcessorEditor (FilterProcessor& owner, AudioFilterEditor* editorComponent);
    ~FilterProcessorEditor() override;

    void paint (juce::Graphics&) override {}

private:
    std::unique_ptr<AudioFilterEditor> content;
    QueuedEventPump queuedEvents;

    JUCE_DECLARE_NON_COPYABLE (FilterProcessorEditor)
};
