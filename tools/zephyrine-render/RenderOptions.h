// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <optional>
#include <string>
#include <vector>

/** Everything the command line can ask for. */
struct RenderOptions
{
    enum class Container
    {
        wav,
        flac
    };

    std::vector<std::string> midiFiles;      // "-": standard input
    std::optional<std::string> outputFile;   // a file, "-" (standard output) or a folder
    std::string pluginPath;                  // empty: the bundled Zephyrine
    std::string stateFile, saveStateFile, pictureFile;
    std::vector<std::string> assignments;   // "--set" arguments, in order
    std::string presetName;                 // a factory sound, by its exact name

    double sampleRate = 44100.0;
    int blockSize = 512;

    std::optional<Container> container;   // unset: from the output's name
    int bits = 24;                        // 16, 24 or 32
    bool isFloat = false;
    double gainDb = 0.0;
    std::optional<double> normalizeDb;   // the peak to normalise to

    double tailMaxSeconds = 10.0;       // longest tail after the last event
    double tailSilenceSeconds = 0.5;    // a tail ends after this much silence
    double silenceDb = -90.0;           // below this level counts as silence
    double maxLengthSeconds = 3600.0;   // songs longer than this are refused

    int jobs = 0;   // songs rendered side by side; 0: one per core
    bool noClobber = false;
    bool listParameters = false;
    bool listPresets = false;
    bool quiet = false;
    bool showHelp = false;
    bool showVersion = false;
};

/** Parses argv; throws UsageError naming the offending argument. */
RenderOptions parseCommandLine (const std::vector<std::string>& arguments);

/** The text printed by --help, made from the table of options. */
std::string usageText();

/** The bash completion script, made from the same table. */
std::string bashCompletionScript();
