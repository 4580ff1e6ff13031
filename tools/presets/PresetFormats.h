// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

/** The preset files other hosts import, each wrapping one state block as it
    stands: nothing of the sound is translated. */
namespace presetformats
{
    /** A VST 2 program file in chunk form ("CcnK" / "FPCh"): the plug-in's
        identifier and version, the program name (cut to 27 characters) and
        the state block as the opaque chunk. Big-endian throughout. */
    juce::MemoryBlock fxp (const juce::MemoryBlock& stateBlock, const juce::String& programName);

    /** A VST3 preset file: the "VST3" header with the component's class
        identifier, the state block as the component state, and the chunk
        list, plus an "Info" chunk naming the sound. Little-endian. */
    juce::MemoryBlock vstPreset (const juce::MemoryBlock& stateBlock, const juce::String& presetName);

    /** The VST3 component's class identifier as 32 hexadecimal digits: the
        framework derives it from the maker's and the plug-in's codes. */
    juce::String vst3ComponentClassId();
}
