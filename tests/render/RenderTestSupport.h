// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <optional>
#include <string>
#include <vector>

namespace rendertest
{
    struct RunResult
    {
        int exitCode = -1;
        std::string output;   // stdout and stderr together
    };

    /** Runs zephyrine-render with these arguments and waits for it. With
        foreignPlugin set, a sanitizer build does not report the leaks of the
        other maker's plug-in it loads. */
    RunResult runRenderer (const std::vector<std::string>& arguments, bool foreignPlugin = false);

    /** Runs zephyrine-render and gives it this long to finish, then ends it
        (the exit code is then -1). Also tells how long it ran. */
    RunResult runRendererWithin (const std::vector<std::string>& arguments, int milliseconds, double& elapsedSeconds,
                                 bool foreignPlugin = false);

    struct Wav
    {
        double sampleRate = 0.0;
        int bitsPerSample = 0;
        std::vector<float> left, right;
    };

    std::optional<Wav> readWav (const juce::File& file);

    /** A fresh folder, deleted with everything in it at the end of the test. */
    class TempFolder
    {
    public:
        TempFolder();
        ~TempFolder();
        juce::File file (const std::string& name) const { return folder.getChildFile (name); }
        std::string path (const std::string& name) const { return file (name).getFullPathName().toStdString(); }
        /** The names of the files in the folder, hidden ones too. */
        std::vector<std::string> contents() const;

    private:
        juce::File folder;
    };

    /** Writes a type-1 file with 480 ticks per quarter; returns its path. */
    std::string writeMidi (const TempFolder& folder, const std::string& name, const std::vector<juce::MidiMessageSequence>& tracks);

    /** A one-track file: a note (60) from beat 0 to beat 1 at 120 bpm. */
    std::string writeSingleNote (const TempFolder& folder, const std::string& name = "note.mid");

    std::string zephyrinePlugin();   // empty when it is not built

    /** Each build of Zephyrine that is there: the VST 2 library, and the
        VST3 and LV2 bundles when the formats are built; with its format name. */
    std::vector<std::pair<std::string, std::string>> zephyrineBuilds();
    std::string probePlugin (const char* variant = "ProbeSynth");
    std::string amsynthPlugin();   // empty when it is not installed
    std::string demoSong();

    bool contains (const std::string& text, const std::string& part);
}
