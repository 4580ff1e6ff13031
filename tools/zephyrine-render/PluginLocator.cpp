// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "PluginLocator.h"

#include "HostedInstrument.h"
#include "RenderError.h"
#include "VstInstrument.h"

#include <juce_core/juce_core.h>

#ifndef ZEPHYRINE_DEFAULT_PLUGIN
#define ZEPHYRINE_DEFAULT_PLUGIN ""
#endif

namespace
{
    bool looksLikeUri (const std::string& text)
    {
        const auto colon = text.find (':');
        return colon != std::string::npos && colon > 1 && text[0] != '/' && text[0] != '.'
               && text.find_first_of ("/\\") > colon;
    }
}

PluginLocation locatePlugin (const std::string& requested)
{
    if (! requested.empty())
    {
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (requested.c_str()));
        if (! file.exists() && looksLikeUri (requested))
            return { PluginLocation::Kind::lv2, requested, {} };
        if (! file.exists())
            throw RenderError ("plug-in '" + requested + "' does not exist");

        const auto path = file.getFullPathName().toStdString();
        if (file.hasFileExtension ("vst3"))
            return { PluginLocation::Kind::vst3, path, {} };
        if (file.isDirectory())
        {
            if (! file.getChildFile ("manifest.ttl").existsAsFile())
                throw RenderError ("plug-in '" + requested + "' is a folder but neither a VST3 nor an LV2 bundle");
            return { PluginLocation::Kind::lv2, {}, path };
        }
        return { PluginLocation::Kind::vst2, path, {} };
    }

    // The build tree first, then the layouts of a moved build folder and of an installation.
    const auto programFolder = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getParentDirectory();
    juce::StringArray candidates;
    if (juce::String (ZEPHYRINE_DEFAULT_PLUGIN).isNotEmpty())
        candidates.add (ZEPHYRINE_DEFAULT_PLUGIN);
    candidates.add (programFolder.getChildFile ("../vst/Zephyrine.so").getFullPathName());
    candidates.add (programFolder.getChildFile ("../lib/vst/Zephyrine.so").getFullPathName());
    candidates.add ("/usr/local/lib/vst/Zephyrine.so");
    candidates.add ("/usr/lib/vst/Zephyrine.so");
    candidates.removeDuplicates (false);

    for (const auto& candidate : candidates)
        if (juce::File (candidate).existsAsFile())
            return { PluginLocation::Kind::vst2, candidate.toStdString(), {} };

    throw RenderError ("the Zephyrine plug-in library was not found; looked for " + candidates.joinIntoString (", ").toStdString()
                       + ". Build the target zephyrine_vst, or name a plug-in with --plugin PATH");
}

std::unique_ptr<Instrument> loadInstrument (const PluginLocation& location)
{
    switch (location.kind)
    {
        case PluginLocation::Kind::vst2: return loadVstInstrument (location.identifier, "zephyrine-render");
        case PluginLocation::Kind::vst3: return loadHostedInstrument (false, location.identifier, {});
        case PluginLocation::Kind::lv2: return loadHostedInstrument (true, location.identifier, location.bundle);
    }
    return nullptr;
}
