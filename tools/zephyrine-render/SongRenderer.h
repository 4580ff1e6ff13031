// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "AudioWriter.h"
#include "Instrument.h"
#include "ParameterNames.h"
#include "RenderOptions.h"

#include <functional>
#include <string>
#include <vector>

/** What is the same for every song of a run: the instrument's names and
    what the command line asks of it. */
struct InstrumentSetup
{
    std::string name;   // as the plug-in reports it
    ParameterNames names;
    std::vector<ParameterSetting> settings;   // from --set, in order
    std::vector<uint8_t> state;               // from --state; empty: none

    /** Reads the names from the instrument and checks --set and --state
        against them: UsageError for a bad --set, RenderError otherwise. */
    static InstrumentSetup make (Instrument& instrument, const RenderOptions& options);
};

/** One song to render and where its results go. */
struct SongJob
{
    std::string midiFile;                     // "-": standard input
    std::string outputFile;                   // "-": standard output
    std::string pictureFile, saveStateFile;   // empty: none
};

struct SongReport
{
    std::string outputName;   // a path, or "standard output"
    AudioFormat format;
    WrittenLevels levels;
    double seconds = 0.0;
    double elapsed = 0.0;   // wall-clock seconds
    bool cutAtTailLimit = false;
    std::vector<std::string> notes;   // things the user should hear about
};

/** The format an output name asks for, with the command line's choices. */
AudioFormat outputFormatFor (const std::string& outputFile, const RenderOptions& options);

/** Renders one song through the instrument and commits all its outputs, or
    none: throws RenderError and leaves every existing file as it was.
    progress: fraction of the song done, and a short text. The instrument is
    left stopped and can render the next song. */
SongReport renderSong (Instrument& instrument, const InstrumentSetup& setup, const RenderOptions& options,
                       const SongJob& job, const std::function<void (double, const std::string&)>& progress);
