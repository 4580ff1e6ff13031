// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <memory>

/** The app's own settings: audio and MIDI devices, the last sound, the MIDI
    learn table, the window's place. A file that cannot be read as settings
    (damaged, cut short, or some other program's) is never overwritten: it is
    renamed beside itself and the app starts from defaults, with a message
    saying where the old file went. */
class AppSettingsFile
{
public:
    /** Opens (or prepares to create) the file that the options name. */
    explicit AppSettingsFile (const juce::PropertiesFile::Options& options);

    juce::PropertiesFile& getProperties() noexcept { return *properties; }

    /** What the user should be told about the file, or empty when all went well. */
    const juce::String& getProblem() const noexcept { return problem; }

    /** Where an unreadable file was put, or a non-existent file. */
    const juce::File& getSetAsideFile() const noexcept { return setAside; }

private:
    std::unique_ptr<juce::PropertiesFile> properties;
    juce::String problem;
    juce::File setAside;

    JUCE_DECLARE_NON_COPYABLE (AppSettingsFile)
};
