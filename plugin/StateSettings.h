// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** The one decision on whether a state block is taken: the processor loads
    what this gives and nothing else, and the renderer asks the same
    question before it hands a block to the plug-in, in any format. */
namespace statesettings
{
    inline constexpr const char* tagName = "t_SETTINGS";

    /** The settings element of a block the processor takes, or nullptr for
        one it refuses. Any bytes are safe. */
    std::unique_ptr<juce::XmlElement> read (const void* data, int sizeInBytes);

    /** The value a settings element gives slot index: its attribute read as
        a number, 0 when it is missing or not a number. */
    float slotValue (const juce::XmlElement& settings, int index);
}
