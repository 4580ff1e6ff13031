// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
// gtest first: the framework brings in X11 headers whose macros it trips on.
#include <gtest/gtest.h>

#include "FormatHost.h"

#include <cstring>

namespace formathost
{
    namespace
    {
        // The formats outlive every instance (the LV2 one owns the plug-in
        // world, and a folder of its own that it removes as it goes).
        std::unique_ptr<juce::VST3PluginFormat> vst3;
        std::unique_ptr<juce::LV2PluginFormat> lv2;

        juce::AudioPluginFormat& formatFor (Format format)
        {
            if (format == Format::vst3)
            {
                if (vst3 == nullptr)
                    vst3 = std::make_unique<juce::VST3PluginFormat>();
                return *vst3;
            }

            if (lv2 == nullptr)
            {
                // The framework's LV2 host looks in the standard folders only;
                // the bundle's parent folder is added here.
                lv2 = std::make_unique<juce::LV2PluginFormat>();
                const auto folder = juce::File (ZEPHYRINE_LV2_BUNDLE).getParentDirectory().getFullPathName();
                lv2->searchPathsForPlugins (juce::FileSearchPath (folder), true, false);
            }
            return *lv2;
        }

        std::vector<std::uint8_t> toBytes (const juce::MemoryBlock& block)
        {
            const auto* p = static_cast<const std::uint8_t*> (block.getData());
            return { p, p + block.getSize() };
        }

        // The block says how long it is: "VC2!", the text length L, the text, a
        // zero and a pad byte.
        size_t blockLength (const std::vector<std::uint8_t>& bytes)
        {
            if (bytes.size() < 8 || std::memcmp (bytes.data(), "VC2!", 4) != 0)
                return 0;
            const auto length = (size_t) bytes[4] | ((size_t) bytes[5] << 8) | ((size_t) bytes[6] << 16) | ((size_t) bytes[7] << 24);
            return length + 10 <= bytes.size() ? length + 10 : 0;
        }

        // The LV2 host's state is a Turtle document; the plug-in's state string
        // is the base64 of the block, stored under this key.
        const juce::String lv2StateKey = juce::String (ZEPHYRINE_LV2_URI) + ":StateString>";

        // Where the quoted base64 text of the state string starts and ends.
        bool findLv2Payload (const juce::String& turtle, int& begin, int& end)
        {
            const int key = turtle.indexOf (lv2StateKey);
            if (key < 0)
                return false;
            begin = turtle.indexOfChar (key, '"');
            if (begin < 0)
                return false;
            while (turtle[begin] == '"')
                ++begin;
            end = turtle.indexOfChar (begin, '"');
            return end > begin;
        }
    }

    void closeFormats()
    {
        vst3.reset();
        lv2.reset();
    }

    const char* nameOf (Format format) noexcept
    {
        return format == Format::vst3 ? "VST3" : "LV2";
    }

    std::unique_ptr<juce::AudioPluginInstance> load (Format format, double sampleRate, int maxBlock, bool prepare)
    {
        auto& host = formatFor (format);
        juce::OwnedArray<juce::PluginDescription> found;
        host.findAllTypesForFile (found, format == Format::vst3 ? juce::File (ZEPHYRINE_VST3_BUNDLE).getFullPathName()
                                                                : juce::String (ZEPHYRINE_LV2_URI));

        if (found.size() != 1)
        {
            ADD_FAILURE() << nameOf (format) << ": " << found.size() << " plug-ins found";
            return {};
        }

        juce::String error;
        auto instance = host.createInstanceFromDescription (*found[0], sampleRate, maxBlock, error);
        if (instance == nullptr)
        {
            ADD_FAILURE() << nameOf (format) << ": " << error;
            return {};
        }

        instance->setPlayConfigDetails (0, 2, sampleRate, maxBlock);
        if (prepare)
            instance->prepareToPlay (sampleRate, maxBlock);
        return instance;
    }

    std::vector<juce::AudioProcessorParameter*> slotParameters (Format format, juce::AudioPluginInstance& instance)
    {
        // Released identifiers: a change here breaks every saved project.
        static const char* const symbols[] {
            "disp", "rand", "oct", "osc_attack", "osc_decay", "osc_sustain", "osc_release", "osc_amount",
            "amp_attack", "amp_decay", "amp_sustain", "amp_release", "volume", "arp", "wave_1", "wave_2",
            "crush", "filter"
        };

        std::vector<juce::AudioProcessorParameter*> result;
        for (int slot = 0; slot < 18; ++slot)
        {
            const auto wanted = format == Format::vst3 ? juce::String (slot)
                                                       : "des:" + juce::String (ZEPHYRINE_LV2_URI) + ":" + symbols[slot];
            for (auto* parameter : instance.getParameters())
                if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
                    if (hosted->getParameterID() == wanted)
                        result.push_back (parameter);

            if (result.size() != (size_t) slot + 1)
            {
                ADD_FAILURE() << nameOf (format) << ": no parameter " << wanted;
                return {};
            }
        }
        return result;
    }

    std::vector<std::uint8_t> saveBlock (Format format, juce::AudioPluginInstance& instance)
    {
        juce::MemoryBlock saved;
        instance.getStateInformation (saved);

        if (format == Format::vst3)
        {
            const auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize());
            auto* component = xml != nullptr ? xml->getChildByName ("IComponent") : nullptr;
            juce::MemoryBlock stream;
            if (component == nullptr || ! stream.fromBase64Encoding (component->getAllSubText()))
                return {};

            auto bytes = toBytes (stream);
            const auto length = blockLength (bytes);
            const std::string tail (bytes.begin() + (std::ptrdiff_t) length, bytes.end());
            if (length == 0 || ! tail.ends_with ("JUCEPrivateData"))
                return {};

            bytes.resize (length);
            return bytes;
        }

        const auto turtle = saved.toString();
        int begin = 0, end = 0;
        juce::MemoryBlock block;
        if (! findLv2Payload (turtle, begin, end) || ! block.fromBase64Encoding (turtle.substring (begin, end)))
            return {};
        return toBytes (block);
    }

    void loadBlock (Format format, juce::AudioPluginInstance& instance, const std::vector<std::uint8_t>& block)
    {
        const juce::MemoryBlock payload (block.data(), block.size());

        if (format == Format::vst3)
        {
            juce::XmlElement state ("VST3PluginState");
            state.createNewChildElement ("IComponent")->addTextElement (payload.toBase64Encoding());
            juce::MemoryBlock saved;
            juce::AudioProcessor::copyXmlToBinary (state, saved);
            instance.setStateInformation (saved.getData(), (int) saved.getSize());
            return;
        }

        // The instance's own saved state, with the plug-in's string replaced.
        juce::MemoryBlock saved;
        instance.getStateInformation (saved);
        auto turtle = saved.toString();
        int begin = 0, end = 0;
        ASSERT_TRUE (findLv2Payload (turtle, begin, end));
        turtle = turtle.replaceSection (begin, end - begin, payload.toBase64Encoding());
        instance.setStateInformation (turtle.toRawUTF8(), (int) turtle.getNumBytesAsUTF8());
    }
}
