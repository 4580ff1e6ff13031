// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "SoundFiles.h"

namespace
{
    juce::String wildcard()
    {
        return juce::String ("*") + soundfiles::extension;
    }
}

juce::File soundfiles::userFolder()
{
    const auto dataHome = juce::SystemStats::getEnvironmentVariable ("XDG_DATA_HOME", {});
    const auto base = juce::File::isAbsolutePath (dataHome)
                          ? juce::File (dataHome)
                          : juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (".local/share");
    return base.getChildFile ("zephyrine/presets");
}

juce::File soundfiles::factoryFolder()
{
    const auto folder = juce::File::getSpecialLocation (juce::File::currentExecutableFile)
                            .getParentDirectory()
                            .getSiblingFile ("share/zephyrine/presets");
    return folder.isDirectory() ? folder : juce::File();
}

juce::File soundfiles::dialogFolder()
{
    if (! userSounds().isEmpty())
        return userFolder();
    if (const auto factory = factoryFolder(); factory != juce::File())
        return factory;
    return userFolder();
}

juce::Array<juce::File> soundfiles::userSounds()
{
    auto files = userFolder().findChildFiles (juce::File::findFiles, false, wildcard());
    files.sort();
    return files;
}
