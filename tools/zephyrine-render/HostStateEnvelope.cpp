// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "HostStateEnvelope.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
    const char* const vst3Envelope = "VST3PluginState";
    const char* const vst3Component = "IComponent";
    const char* const lv2Property = ":StateString>";

    std::vector<uint8_t> bytesOf (const juce::MemoryBlock& block)
    {
        const auto* data = static_cast<const uint8_t*> (block.getData());
        return { data, data + block.getSize() };
    }

    /** Where the LV2 property's text stands: after the property, between
        the next two quotes (the framework's base64 has no quote in it). */
    std::optional<std::pair<size_t, size_t>> lv2Text (const std::string& description)
    {
        const auto property = description.find (lv2Property);
        if (property == std::string::npos)
            return {};
        const auto open = description.find ('"', property);
        const auto close = open == std::string::npos ? open : description.find ('"', open + 1);
        if (close == std::string::npos)
            return {};
        return std::pair (open + 1, close);
    }
}

namespace hoststate
{
    std::vector<uint8_t> wrap (const std::string& formatName, const std::vector<uint8_t>& block,
                               const std::vector<uint8_t>& current)
    {
        const juce::MemoryBlock data (block.data(), block.size());

        if (formatName == "VST3")
        {
            juce::XmlElement envelope (vst3Envelope);
            envelope.createNewChildElement (vst3Component)->addTextElement (data.toBase64Encoding());
            juce::MemoryBlock hosted;
            juce::AudioProcessor::copyXmlToBinary (envelope, hosted);
            return bytesOf (hosted);
        }

        if (formatName == "LV2")
        {
            auto description = std::string (current.begin(), current.end());
            const auto text = lv2Text (description);
            if (! text)
                return {};
            description.replace (text->first, text->second - text->first, data.toBase64Encoding().toStdString());
            return { description.begin(), description.end() };
        }
        return block;
    }

    std::optional<std::vector<uint8_t>> unwrap (const std::string& formatName, const std::vector<uint8_t>& hosted)
    {
        juce::MemoryBlock block;

        if (formatName == "VST3")
        {
            const auto envelope = juce::AudioProcessor::getXmlFromBinary (hosted.data(), static_cast<int> (hosted.size()));
            const auto* component = envelope != nullptr ? envelope->getChildByName (vst3Component) : nullptr;
            if (component == nullptr || ! block.fromBase64Encoding (component->getAllSubText()))
                return {};
        }
        else if (formatName == "LV2")
        {
            const std::string description (hosted.begin(), hosted.end());
            const auto text = lv2Text (description);
            if (! text || ! block.fromBase64Encoding (juce::String (description.substr (text->first, text->second - text->first))))
                return {};
        }
        else
            return hosted;

        return bytesOf (block);
    }
}
