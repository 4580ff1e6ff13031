// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "JuceFilter.h"

#include "ParameterInfo.h"
#include "StateSettings.h"
#include "engine/ParameterBlock.h"
#include "engine/VoiceManager.h"

#include <array>

void JuceFilter::saveState (juce::MemoryBlock& destination)
{
    juce::XmlElement xml (statesettings::tagName);

    for (int i = 0; i < ParameterBlock::slotCount; ++i)
        xml.setAttribute (juce::String (i), parameterinfo::valueText (parameters->get (i)));

    xmlToStateBlock (xml, destination);
}

void JuceFilter::loadState (const void* data, int sizeInBytes)
{
    // Parsing happens outside the lock; only the stores and the voices'
    // updates need it.
    const auto xml = statesettings::read (data, sizeInBytes);

    if (xml != nullptr)
    {
        std::array<float, ParameterBlock::slotCount> values {};
        for (int i = 0; i < ParameterBlock::slotCount; ++i)
            values[(size_t) i] = statesettings::slotValue (*xml, i);

        const juce::ScopedLock sl (callbackLock);
        voiceManager->stopAll();
        for (int i = 0; i < ParameterBlock::slotCount; ++i)
        {
            parameters->set (i, values[(size_t) i]);
            voiceManager->parameterChanged (i);
        }
    }

    // Accepted or not, an open editor refreshes from the slots.
    sendChangeMessage();
}
