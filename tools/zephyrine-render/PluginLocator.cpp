// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "PluginLocator.h"

#include "RenderError.h"

#include <juce_core/juce_core.h>

#ifndef ZEPHYRINE_DEFAULT_PLUGIN
 #define ZEPHYRINE_DEFAULT_PLUGIN ""
#endif

std::string locatePlugin (const std::string& requested)
{
    if (! requested.empty())
    {
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (requested);
        if (! file.existsAsFile())
            throw RenderError ("plug-in '" + requested + "' does not exist");
        return file.getFullPathName().toStdString();
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
            return candidate.toStdString();

    throw RenderError ("the Zephyrine plug-in library was not found; looked for " + candidates.joinIntoString (", ").toStdString()
                       + ". Build the target zephyrine_vst, or name a plug-in with --plugin PATH");
}
