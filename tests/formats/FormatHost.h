// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/** Loads the built LV2 and VST3 plug-ins through the framework's own
    hosting, and translates between each format's saved state and the bare
    state block the plug-in keeps. */
namespace formathost
{
    enum class Format
    {
        vst3,
        lv2
    };

    const char* nameOf (Format format) noexcept;

    /** Lets go of the plug-in formats; call once every instance is gone,
        while the framework is still up. */
    void closeFormats();

    /** A new instance, made for the rate and largest block and then, unless
        told otherwise, prepared (which the framework's LV2 host does by making
        the instance again and handing it the state of the first); fails the
        calling test (and returns null) when it cannot be made. */
    std::unique_ptr<juce::AudioPluginInstance> load (Format format, double sampleRate, int maxBlock, bool prepare = true);

    /** The eighteen slots' parameters in slot order, found by the
        identifiers hosts store (VST3: the slot number; LV2: the symbol).
        Empty, failing the calling test, when one is missing. */
    std::vector<juce::AudioProcessorParameter*> slotParameters (Format format, juce::AudioPluginInstance& instance);

    /** The state block inside what the host saved for the instance. For
        VST3 the wrapper's own appendix after the block must be intact, and
        is dropped. Empty when the state cannot be read. */
    std::vector<std::uint8_t> saveBlock (Format format, juce::AudioPluginInstance& instance);

    /** Hands the instance a state block the way its host would restore it. */
    void loadBlock (Format format, juce::AudioPluginInstance& instance, const std::vector<std::uint8_t>& block);
}
