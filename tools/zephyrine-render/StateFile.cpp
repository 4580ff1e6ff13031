// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "StateFile.h"

#include "RenderError.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstring>

namespace
{
    constexpr juce::int64 largestState = 16 * 1024 * 1024;
    constexpr size_t zephyrineHeaderSize = 8;   // "VC2!" and a 32-bit length
}

std::vector<uint8_t> readStateFile (const std::string& path)
{
    const auto name = "state file '" + path + "'";
    const juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (path));
    if (file.isDirectory())
        throw RenderError (name + " is a folder");
    if (! file.existsAsFile())
        throw RenderError (name + " does not exist");
    if (file.getSize() > largestState)
        throw RenderError (name + " is too large to be a state block");

    juce::FileInputStream stream (file);
    if (! stream.openedOk())
        throw RenderError (name + " cannot be read: " + stream.getStatus().getErrorMessage().toStdString());

    juce::MemoryBlock data;
    stream.readIntoMemoryBlock (data);
    if (data.getSize() == 0)
        throw RenderError (name + " is empty");

    const auto* bytes = static_cast<const uint8_t*> (data.getData());
    return std::vector<uint8_t> (bytes, bytes + data.getSize());
}

void checkStateBlock (const std::vector<uint8_t>& block, const std::string& path, const std::string& pluginName)
{
    if (pluginName != "Zephyrine")
        return;

    // The plug-in quietly ignores a block it cannot read; say so rather than
    // render with the wrong sound. Lenient where the plug-in is: a length
    // field beyond the data is cut to the data.
    const auto name = "state file '" + path + "'";
    if (block.size() < 4 || std::memcmp (block.data(), "VC2!", 4) != 0)
        throw RenderError (name + " is not a Zephyrine state block (it does not start with \"VC2!\")");
    if (block.size() <= zephyrineHeaderSize)
        throw RenderError (name + " is too short to hold any settings");

    const uint32_t textLength = static_cast<uint32_t> (block[4]) | (static_cast<uint32_t> (block[5]) << 8)
                                | (static_cast<uint32_t> (block[6]) << 16) | (static_cast<uint32_t> (block[7]) << 24);
    const auto available = std::min<size_t> (textLength, block.size() - zephyrineHeaderSize);
    const auto* text = reinterpret_cast<const char*> (block.data() + zephyrineHeaderSize);
    const auto xml = juce::parseXML (juce::String::fromUTF8 (text, static_cast<int> (strnlen (text, available))));
    if (textLength == 0 || xml == nullptr || ! xml->getTagName().equalsIgnoreCase ("t_SETTINGS"))
        throw RenderError (name + " is damaged: its settings cannot be read");
}
