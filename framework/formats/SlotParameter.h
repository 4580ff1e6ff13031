// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "plugin/HostParameters.h"

#include <juce_audio_processors/juce_audio_processors.h>

class AudioFilterBase;

/** One parameter slot as the format wrappers see it. It holds no value: it
    reads the slot through the processor and writes through its
    setParameterValue, like every other writer.

    The host works in 0..1. A slot may hold any float (a state block is not
    range-checked), so the host is shown the nearest value it can show, the
    one the engine plays where the kind has steps; the slot itself keeps what
    it holds until something writes it. The wrappers drop a host write equal
    to the value the host was shown, so such a value survives hosts that echo
    parameters back. */
class SlotParameter : public juce::AudioProcessorParameterWithID
{
public:
    SlotParameter (AudioFilterBase& processorToView, int slotIndex);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    int getNumSteps() const override;
    bool isDiscrete() const override;
    bool isBoolean() const override;
    juce::String getText (float normalisedValue, int maximumLength) const override;
    float getValueForText (const juce::String& text) const override;
    juce::StringArray getAllValueStrings() const override;
    juce::String getLabel() const override { return {}; }

    int getSlot() const noexcept { return slot; }

    /** The slot value a host value stands for. */
    static float slotValueFor (hostparameters::Kind kind, float hostValue) noexcept;

    /** The host value (0..1) that shows a slot value. */
    static float hostValueFor (hostparameters::Kind kind, float slotValue) noexcept;

private:
    AudioFilterBase& filter;
    const int slot;
    const hostparameters::Kind kind;

    JUCE_DECLARE_NON_COPYABLE (SlotParameter)
};
