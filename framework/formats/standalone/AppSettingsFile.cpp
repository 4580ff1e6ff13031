// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AppSettingsFile.h"

namespace
{
    /** The path with the home folder written as "~", as a user knows it. */
    juce::String shortPath (const juce::File& file)
    {
        const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
        return file.isAChildOf (home) ? "~/" + file.getRelativePathFrom (home) : file.getFullPathName();
    }
}

AppSettingsFile::AppSettingsFile (const juce::PropertiesFile::Options& options)
{
    // The app writes its settings as XML only. The framework would take
    // anything else it can half read (or nothing) and write over the file at
    // the first save; so whatever is not our XML is moved out of the way
    // first, under a name that is new.
    const auto file = options.getDefaultFile();
    const auto readable = ! file.exists() || juce::parseXMLIfTagMatches (file, "PROPERTIES") != nullptr;
    if (readable)
    {
        properties = std::make_unique<juce::PropertiesFile> (options);
        if (properties->isValidFile())
            return;
        properties.reset();
    }

    const auto stamp = juce::Time::getCurrentTime().formatted ("%Y%m%d-%H%M%S");
    setAside = file.getSiblingFile (file.getFileName() + ".unreadable-" + stamp).getNonexistentSibling();

    if (file.moveFileTo (setAside))
    {
        problem = "Zephyrine could not read its settings file\n" + shortPath (file)
                  + "\nso it starts with its default settings.\n\nThe old file is kept, unchanged, as\n"
                  + shortPath (setAside);
        properties = std::make_unique<juce::PropertiesFile> (options);
        return;
    }

    // It could not even be moved (a read-only folder, say): keep it and keep
    // the settings in memory only, so that nothing is written over it.
    setAside = juce::File();
    problem = "Zephyrine could not read its settings file\n" + shortPath (file)
              + "\nnor move it aside. It starts with its default settings and will not save them this time, "
                "so that the file stays as it is.";
    auto inMemory = options;
    inMemory.millisecondsBeforeSaving = -1;
    properties = std::make_unique<juce::PropertiesFile> (juce::File(), inMemory);
}
