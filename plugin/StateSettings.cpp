// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "StateSettings.h"

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
}
