// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// zephyrine-render: plays MIDI files through an instrument plug-in (VST 2,
// VST3 or LV2) and writes the sound as WAV or FLAC files, driving the plug-in
// the way a host does.

#include "BatchRender.h"
#include "CrashCleanup.h"
#include "PluginLocator.h"
#include "ProgressBar.h"
#include "RenderError.h"
#include "RenderOptions.h"
#include "RenderSummary.h"
#include "SongRenderer.h"
#include "presets/FactoryPresets.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#ifndef ZEPHYRINE_VERSION
#define ZEPHYRINE_VERSION "0"
#endif

namespace
{
    const char* const programName = "zephyrine-render";

    std::string absolute (const std::string& path)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (path.c_str())).getFullPathName().toStdString();
    }

    std::string defaultOutputFor (const std::string& midiFile, const RenderOptions& options)
    {
        const auto extension = options.container == RenderOptions::Container::flac ? "flac" : "wav";
        return juce::File (absolute (midiFile)).withFileExtension (extension).getFullPathName().toStdString();
    }

    /** Refuses outputs that would overwrite an input or one another. Devices
        such as /dev/null may be named more than once. */
    void checkDistinct (const RenderOptions& options, const SongJob& job)
    {
        std::vector<std::pair<std::string, std::string>> files;
        auto add = [&] (const char* what, const std::string& path) {
            if (! path.empty() && path != "-" && ! juce::File (absolute (path)).getFullPathName().startsWith ("/dev/"))
                files.emplace_back (what, juce::File (absolute (path)).getLinkedTarget().getFullPathName().toStdString());
        };
        add ("MIDI file", job.midiFile);
        add ("state file", options.stateFile);
        add ("output file", job.outputFile);
        add ("picture", job.pictureFile);
        add ("saved state", job.saveStateFile);

        for (size_t i = 0; i < files.size(); ++i)
            for (size_t j = i + 1; j < files.size(); ++j)
                if (files[i].second == files[j].second)
                    throw RenderError ("the " + files[i].first + " and the " + files[j].first + " are the same file, '"
                                       + files[i].second + "'");
    }

    void listParameters (Instrument& instrument, const ParameterNames& names)
    {
        std::printf ("%s (%s): %d parameters\n", instrument.getName().c_str(), instrument.getFormatName().c_str(), names.size());
        for (int i = 0; i < names.size(); ++i)
        {
            const auto alias = names.aliasOf (i);
            std::printf ("%4d  %-16s %-14s%s%s\n", i, names.nameOf (i).c_str(), instrument.getParameterDisplay (i).c_str(),
                         alias.empty() ? "" : "also ", alias.c_str());
        }
    }

    int renderOne (const RenderOptions& options, const PluginLocation& location)
    {
        const auto& song = options.midiFiles.front();
        auto outputFile = options.outputFile.value_or (defaultOutputFor (song, options));
        // "-o out/" names a folder for one song as for several.
        if (song != "-" && outputFile.size() > 1 && outputFile.back() == '/')
            outputFile = juce::File (absolute (outputFile)).getChildFile (juce::File (defaultOutputFor (song, options)).getFileName()).getFullPathName().toStdString();
        const SongJob job { song, outputFile, options.pictureFile, options.saveStateFile };
        checkDistinct (options, job);
        outputFormatFor (job.outputFile, options);   // a name of unknown type is a usage mistake

        // With the sound on standard output, by "-" or by another name for it
        // such as /dev/stdout, everything else goes to standard error.
        struct stat named
        {
        }, standardOutput {};
        const bool soundOnStdout = outputFile == "-"
                                   || (stat (absolute (outputFile).c_str(), &named) == 0 && fstat (STDOUT_FILENO, &standardOutput) == 0
                                       && named.st_dev == standardOutput.st_dev && named.st_ino == standardOutput.st_ino);
        FILE* messages = soundOnStdout ? stderr : stdout;

        auto instrument = loadInstrument (location);
        const auto setup = InstrumentSetup::make (*instrument, options);

        ProgressBar progressBar (! options.quiet);
        const auto report = renderSong (*instrument, setup, options, job,
                                        [&] (double fraction, const std::string& detail) { progressBar.update (fraction, detail); });
        progressBar.finish();
        instrument->close();

        if (! options.quiet)
        {
            for (const auto& note : report.notes)
                std::fprintf (stderr, "%s: note: %s\n", programName, note.c_str());
            if (report.levels.clippedSamples > 0)
                std::fprintf (stderr, "%s: warning: %lld samples clipped; lower the level (--gain, --normalize) or use --float\n",
                              programName, static_cast<long long> (report.levels.clippedSamples));
            std::fprintf (messages, "Rendered %.2f s to %s (%s, %d Hz): peak %s, RMS %s, %.1fx real time%s%s\n",
                          report.seconds, report.outputName.c_str(), report.format.describe().c_str(),
                          static_cast<int> (options.sampleRate), decibels (report.levels.peak).c_str(),
                          decibels (report.levels.rms()).c_str(), report.elapsed > 0.0 ? report.seconds / report.elapsed : 0.0,
                          options.pictureFile.empty() ? "" : "; picture ",
                          options.pictureFile.empty() ? "" : absolute (options.pictureFile).c_str());
        }
        return 0;
    }

    int listPresets()
    {
        for (const auto& sound : factorypresets::all())
            std::printf ("%-22s %-7s %s\n", sound.name, sound.category, sound.description);
        return 0;
    }

    int run (const RenderOptions& options)
    {
        if (options.listPresets)
            return listPresets();
        const auto location = locatePlugin (options.pluginPath);
        if (options.listParameters)
        {
            auto instrument = loadInstrument (location);
            const auto setup = InstrumentSetup::make (*instrument, options);
            listParameters (*instrument, setup.names);
            instrument->close();
            return 0;
        }
        if (options.midiFiles.size() > 1)
            return renderBatch (options, location);
        return renderOne (options, location);
    }
}

int main (int argc, char* argv[])
{
    try
    {
        const auto options = parseCommandLine (std::vector<std::string> (argv + 1, argv + argc));
        if (options.showHelp)
        {
            std::cout << usageText();
            return 0;
        }
        if (options.showVersion)
        {
            std::cout << programName << " " << ZEPHYRINE_VERSION << "\n";
            return 0;
        }

        // Fonts, images and plug-in hosting need the framework's GUI side; no display is used.
        const juce::ScopedJuceInitialiser_GUI framework;
        CrashCleanup::install();
        return run (options);
    }
    catch (const UsageError& e)
    {
        std::fprintf (stderr, "%s: %s\nTry '%s --help'.\n", programName, e.what(), programName);
        return 2;
    }
    catch (const std::exception& e)
    {
        std::fprintf (stderr, "%s: error: %s\n", programName, e.what());
        return 1;
    }
}
