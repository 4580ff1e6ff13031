// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "StateFile.h"

#include "RenderError.h"
#include "plugin/StateSettings.h"

#include <juce_core/juce_core.h>

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

void checkStateBlock (const std::vector<uint8_t>& block, const std::string& path)
{
    const auto name = "state file '" + path + "'";
    if (block.size() < 4 || std::memcmp (block.data(), "VC2!", 4) != 0)
        throw RenderError (name + " is not a Zephyrine state block (it does not start with \"VC2!\")");
    if (block.size() <= zephyrineHeaderSize)
        throw RenderError (name + " is too short to hold any settings");

    // readStateFile keeps blocks far below 2 GiB.
    if (statesettings::read (block.data(), static_cast<int> (block.size())) == nullptr)
        throw RenderError (name + " is damaged: its settings cannot be read");
}
