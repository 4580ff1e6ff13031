// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include <gtest/gtest.h>

#include "Phrase.h"
#include "VstHost.h"

namespace phrase
{
    namespace
    {
        std::unique_ptr<vsthost::Plugin> open()
        {
            auto loaded = vsthost::Plugin::load (ZEPHYRINE_VST_PATH);
            if (! loaded)
            {
                ADD_FAILURE() << loaded.message;
                return {};
            }
            loaded.plugin->open();
            loaded.plugin->setSampleRate (sampleRate);
            loaded.plugin->setBlockSize (maxBlock);
            return std::move (loaded.plugin);
        }
    }

    namespace
    {
        Render play (vsthost::Plugin& plugin, const std::vector<int>& sizes, const std::vector<Step>& phraseSteps)
        {
            Render out;
            std::vector<float> left (maxBlock), right (maxBlock);
            float* outputs[2] = { left.data(), right.data() };
            walk (
                sizes,
                [&] (int slot, float value) { plugin.setParameter (slot, value); },
                [&] (int size, const Events& events) {
                    std::vector<vsthost::MidiEvent> midiEvents;
                    for (const auto& [position, bytes] : events)
                        midiEvents.push_back ({ position, { bytes[0], bytes[1], bytes[2] } });
                    if (! midiEvents.empty())
                        plugin.sendMidi (midiEvents);
                    plugin.processReplacing (nullptr, outputs, size);
                    out.insert (out.end(), left.begin(), left.begin() + size);
                    out.insert (out.end(), right.begin(), right.begin() + size);
                },
                phraseSteps);
            return out;
        }
    }

    Render renderVst2 (const std::vector<int>& sizes, const std::vector<std::uint8_t>& state, const std::vector<Step>& phraseSteps)
    {
        auto plugin = open();
        if (plugin == nullptr)
            return {};
        if (! state.empty())
            plugin->setChunk (state);
        plugin->setActive (true);
        return play (*plugin, sizes, phraseSteps);
    }

    std::vector<Render> renderVst2InTurn (const std::vector<int>& sizes, const std::vector<std::vector<std::uint8_t>>& states,
                                          const std::vector<Step>& phraseSteps)
    {
        auto plugin = open();
        if (plugin == nullptr)
            return {};
        plugin->setActive (true);
        std::vector<Render> renders;
        for (const auto& state : states)
        {
            plugin->setChunk (state);
            renders.push_back (play (*plugin, sizes, phraseSteps));
        }
        return renders;
    }

    std::vector<std::uint8_t> vst2RoundTrip (const std::vector<std::uint8_t>& block)
    {
        auto plugin = open();
        if (plugin == nullptr)
            return {};
        plugin->setChunk (block);
        return plugin->getChunk();
    }
}
