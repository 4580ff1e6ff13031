// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** The wrapping of the state block: "VC2!", the text length (32-bit
    little-endian), the element as one line of text, a zero byte and a pad
    byte. Needs nothing of the framework but its core, so that every reader
    of a block (the processor, the renderer, the fuzzers) can share it. */
namespace stateblock
{
    /** Replaces the destination's contents with the block holding the element. */
    void write (const juce::XmlElement& xml, juce::MemoryBlock& destination);

    /** The element inside a block, or nullptr when the bytes are not a block
        or hold text that is refused (too long, cut off, a document type, or
        a processing instruction inside the element). Any bytes are safe:
        the answer comes quickly, whatever they are. */
    std::unique_ptr<juce::XmlElement> read (const void* data, int sizeInBytes);
}
