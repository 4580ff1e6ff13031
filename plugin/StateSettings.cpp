// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "StateSettings.h"

#include "StateNumber.h"
#include "framework/StateBlock.h"

namespace statesettings
{
    std::unique_ptr<juce::XmlElement> read (const void* data, int sizeInBytes)
    {
        auto xml = stateblock::read (data, sizeInBytes);
        if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase (tagName))
            return {};
        return xml;
    }

    float slotValue (const juce::XmlElement& settings, int index)
    {
        // Attribute names are the slot numbers. Digits have no letter case,
        // so the exact lookup is also the one that ignores case, and it stays
        // linear however many attributes a hostile element carries.
        const auto name = juce::String (index);
        if (! settings.hasAttribute (name))
            return 0.0f;
        return statenumber::narrow (statenumber::read (settings.getStringAttribute (name).toRawUTF8()));
    }
}
