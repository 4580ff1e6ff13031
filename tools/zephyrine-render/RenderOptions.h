// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <optional>
#include <string>
#include <vector>

/** Everything the command line can ask for. */
struct RenderOptions
{
    enum class SampleFormat { pcm24, float32 };

    std::string midiFile;
    std::string outputFile;                 // empty: the MIDI file's name with .wav
    std::string pluginPath;                 // empty: the bundled Zephyrine
    std::string stateFile, saveStateFile, pictureFile;
    std::vector<std::string> assignments;   // "--set" arguments, in order

    double sampleRate = 44100.0;
    int blockSize = 512;
    SampleFormat format = SampleFormat::pcm24;

    double tailMaxSeconds = 10.0;           // longest tail after the last event
    double tailSilenceSeconds = 0.5;        // a tail ends after this much silence
    double silenceDb = -90.0;               // below this level counts as silence
    double maxLengthSeconds = 3600.0;       // songs longer than this are refused

    bool listParameters = false;
    bool quiet = false;
    bool showHelp = false;
};

/** Parses argv; throws UsageError naming the offending argument. */
RenderOptions parseCommandLine (const std::vector<std::string>& arguments);

/** The text printed by --help. */
std::string usageText();
