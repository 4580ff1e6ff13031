// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "SlotParameter.h"

#include "engine/FloatRules.h"
#include "engine/ParameterBlock.h"
#include "framework/AudioFilterBase.h"
#include "plugin/ParameterText.h"

#include <cmath>

using hostparameters::Kind;

namespace
{
    constexpr int stepCount (Kind kind) noexcept
    {
        switch (kind)
        {
            case Kind::threeSteps: return 3;
            case Kind::waveShape: return 5;
            case Kind::toggle: return 2;
            case Kind::continuous: break;
        }
        return 0;
    }

    const char* const* stepNames (Kind kind, int slot) noexcept
    {
        if (kind == Kind::waveShape)
            return hostparameters::waveShapeNames;
        if (kind == Kind::threeSteps)
            return slot == ParameterBlock::oct ? hostparameters::octaveNames : hostparameters::arpNames;
        return nullptr;
    }
}

SlotParameter::SlotParameter (AudioFilterBase& processorToView, int slotIndex)
    : juce::AudioProcessorParameterWithID (juce::ParameterID (hostparameters::table[(size_t) slotIndex].id, 1),
                                           hostparameters::table[(size_t) slotIndex].name),
      filter (processorToView),
      slot (slotIndex),
      kind (hostparameters::table[(size_t) slotIndex].kind)
{
}

float SlotParameter::slotValueFor (Kind k, float hostValue) noexcept
{
    return hostparameters::slotValueFor (k, hostValue);
}

float SlotParameter::hostValueFor (Kind k, float slotValue) noexcept
{
    return hostparameters::hostValueFor (k, slotValue);
}

float SlotParameter::getValue() const
{
    return hostValueFor (kind, filter.parameterValue (slot));
}

void SlotParameter::setValue (float newValue)
{
    filter.setParameterValue (slot, slotValueFor (kind, newValue));
}

float SlotParameter::getDefaultValue() const
{
    return hostValueFor (kind, ParameterBlock::defaultValue (slot));
}

int SlotParameter::getNumSteps() const
{
    const int steps = stepCount (kind);
    return steps > 0 ? steps : AudioProcessorParameter::getNumSteps();
}

bool SlotParameter::isDiscrete() const { return kind != Kind::continuous; }
bool SlotParameter::isBoolean() const { return kind == Kind::toggle; }

juce::String SlotParameter::getText (float normalisedValue, int maximumLength) const
{
    juce::String text;

    if (kind == Kind::toggle)
        text = slotValueFor (kind, normalisedValue) != 0.0f ? "On" : "Off";
    else if (const auto* names = stepNames (kind, slot))
        text = names[hostparameters::nearestStep (normalisedValue, stepCount (kind))];
    else
        text = parametertext::describe (slot, slotValueFor (kind, normalisedValue));

    return maximumLength > 0 ? text.substring (0, maximumLength) : text;
}

float SlotParameter::getValueForText (const juce::String& text) const
{
    const auto trimmed = text.trim();

    if (kind == Kind::toggle)
        return trimmed.equalsIgnoreCase ("On") || trimmed.getFloatValue() >= 0.5f ? 1.0f : 0.0f;

    if (const auto* names = stepNames (kind, slot))
    {
        const int steps = stepCount (kind);
        for (int i = 0; i < steps; ++i)
            if (trimmed.equalsIgnoreCase (names[i]))
                return (float) i / (float) (steps - 1);
        return getValue();
    }

    const auto slotValue = parametertext::parse (slot, trimmed.toStdString());
    return slotValue ? hostValueFor (kind, *slotValue) : getValue();
}

juce::StringArray SlotParameter::getAllValueStrings() const
{
    juce::StringArray result;

    if (kind == Kind::toggle)
        result.addArray ({ "Off", "On" });
    else if (const auto* names = stepNames (kind, slot))
        for (int i = 0; i < stepCount (kind); ++i)
            result.add (names[i]);

    return result;
}
