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

    // The nearest step of a 0..1 host value; NaN counts as the lowest.
    int nearestStep (float hostValue, int steps) noexcept
    {
        const float v = floatrules::clampOr (hostValue, 0.0f, 1.0f, 0.0f);
        return (int) std::lround (v * (float) (steps - 1));
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
    switch (k)
    {
        case Kind::threeSteps: return (float) nearestStep (hostValue, 3) * 0.5f;
        case Kind::waveShape: return (float) (1 + nearestStep (hostValue, 5));
        case Kind::toggle: return (float) nearestStep (hostValue, 2);
        case Kind::continuous: break;
    }
    return floatrules::clampOr (hostValue, 0.0f, 1.0f, 0.0f);
}

float SlotParameter::hostValueFor (Kind k, float slotValue) noexcept
{
    switch (k)
    {
        case Kind::threeSteps:
            // The engine plays the step trunc(2 x value); beyond the ends it
            // is shown as the nearer end.
            return (float) juce::jlimit (0, 2, floatrules::truncateToInt (slotValue * 2.0f)) * 0.5f;

        case Kind::waveShape:
            // An id outside 1..5 changes no shape; it is shown as the nearer end.
            return (float) (juce::jlimit (1, 5, floatrules::truncateToInt (slotValue)) - 1) * 0.25f;

        case Kind::toggle:
            return floatrules::isSwitchOn (slotValue) ? 1.0f : 0.0f;

        case Kind::continuous:
            break;
    }
    return floatrules::clampOr (slotValue, 0.0f, 1.0f, 0.0f);
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
        text = names[nearestStep (normalisedValue, stepCount (kind))];
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
