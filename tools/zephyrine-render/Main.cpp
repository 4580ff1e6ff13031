// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// zephyrine-render: plays a MIDI file through a VST 2 instrument and writes a
// WAV file, driving the plug-in through its interface the way a host does.

#include "BlockRenderer.h"
#include "CrashCleanup.h"
#include "MidiSchedule.h"
#include "OutputFile.h"
#include "ParameterNames.h"
#include "PluginLocator.h"
#include "ProgressBar.h"
#include "RenderError.h"
#include "RenderOptions.h"
#include "RenderSummary.h"
#include "StateFile.h"
#include "WavOutput.h"
#include "WaveformPicture.h"

#include "VstHost.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

namespace
{
    const char* const programName = "zephyrine-render";
    constexpr int maxChannels = 64;
    constexpr int maxParameters = 100000;

    std::string defaultOutputFor (const std::string& midiFile)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (midiFile).withFileExtension ("wav").getFullPathName().toStdString();
    }

    std::string absolute (const std::string& path)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (path).getFullPathName().toStdString();
    }

    /** Refuses outputs that would overwrite an input or one another. */
    void checkDistinct (const RenderOptions& options, const std::string& outputFile)
    {
        std::vector<std::pair<std::string, std::string>> files;
        if (! options.midiFile.empty())     files.emplace_back ("MIDI file", absolute (options.midiFile));
        if (! options.stateFile.empty())    files.emplace_back ("state file", absolute (options.stateFile));
        if (! outputFile.empty())           files.emplace_back ("output file", absolute (outputFile));
        if (! options.pictureFile.empty())  files.emplace_back ("picture", absolute (options.pictureFile));
        if (! options.saveStateFile.empty()) files.emplace_back ("saved state", absolute (options.saveStateFile));

        for (size_t i = 0; i < files.size(); ++i)
            for (size_t j = i + 1; j < files.size(); ++j)
                if (files[i].second == files[j].second)
                    throw RenderError ("the " + files[i].first + " and the " + files[j].first + " are the same file, '"
                                       + files[i].second + "'");
    }

    std::unique_ptr<vsthost::Plugin> loadPlugin (const std::string& path)
    {
        vsthost::HostOptions host;
        host.hostVersion = 2400;
        host.processLevel = kVstProcessLevelOffline;
        host.requireInstrument = true;
        host.productName = programName;

        auto loaded = vsthost::Plugin::load (path, host);
        if (! loaded)
            throw RenderError ("plug-in " + loaded.message);
        if (loaded.plugin->getNumOutputs() < 1)
            throw RenderError ("plug-in '" + path + "' has no audio outputs");
        if (loaded.plugin->getNumOutputs() > maxChannels || loaded.plugin->getNumInputs() > maxChannels
            || loaded.plugin->getNumInputs() < 0)
            throw RenderError ("plug-in '" + path + "' declares an implausible number of channels");
        if (loaded.plugin->getNumParameters() < 0 || loaded.plugin->getNumParameters() > maxParameters)
            throw RenderError ("plug-in '" + path + "' declares an implausible number of parameters");
        return std::move (loaded.plugin);
    }

    void listParameters (vsthost::Plugin& plugin, const ParameterNames& names)
    {
        std::printf ("%s: %d parameters\n", plugin.getEffectName().c_str(), names.size());
        for (int i = 0; i < names.size(); ++i)
        {
            const auto alias = names.aliasOf (i);
            std::printf ("%4d  %-16s %-14s%s%s\n", i, names.nameOf (i).c_str(), plugin.getParameterDisplay (i).c_str(),
                         alias.empty() ? "" : "also ", alias.c_str());
        }
    }

    std::vector<std::string> parameterNamesOf (vsthost::Plugin& plugin)
    {
        std::vector<std::string> result;
        for (int i = 0; i < plugin.getNumParameters(); ++i)
            result.push_back (plugin.getParameterName (i));
        return result;
    }

    bool isZephyrine (vsthost::Plugin& plugin)
    {
        return plugin.getEffectName() == "Zephyrine" && plugin.getNumParameters() == 18;
    }

    int run (const RenderOptions& options)
    {
        if (options.listParameters)
        {
            auto plugin = loadPlugin (locatePlugin (options.pluginPath));
            listParameters (*plugin, ParameterNames (parameterNamesOf (*plugin), isZephyrine (*plugin)));
            return 0;
        }

        const auto outputPath = options.outputFile.empty() ? defaultOutputFor (options.midiFile) : options.outputFile;
        checkDistinct (options, outputPath);

        // Everything that can fail is tried before the render, so that a bad
        // argument costs no time and leaves nothing behind.
        OutputFile wavFile (outputPath, "output file");
        std::optional<OutputFile> pictureFile, savedStateFile;
        if (! options.pictureFile.empty())       pictureFile.emplace (options.pictureFile, "picture");
        if (! options.saveStateFile.empty())     savedStateFile.emplace (options.saveStateFile, "state file");

        std::vector<uint8_t> state;
        if (! options.stateFile.empty())
            state = readStateFile (options.stateFile);

        auto schedule = MidiSchedule::load (options.midiFile, options.sampleRate, options.maxLengthSeconds);

        auto plugin = loadPlugin (locatePlugin (options.pluginPath));
        const auto pluginName = plugin->getEffectName();
        const ParameterNames names (parameterNamesOf (*plugin), isZephyrine (*plugin));

        std::vector<ParameterSetting> settings;
        for (const auto& assignment : options.assignments)
        {
            try { settings.push_back (names.parse (assignment)); }
            catch (const RenderError& e) { throw RenderError ("--set " + assignment + ": " + e.what()); }
        }

        const int forOtherPlugins = schedule.addParameterEvents (pluginName, names);
        if (forOtherPlugins > 0 && ! options.quiet)
            std::fprintf (stderr, "%s: note: %d parameter event%s in the song %s meant for another plug-in and left out\n",
                          programName, forOtherPlugins, forOtherPlugins == 1 ? "" : "s", forOtherPlugins == 1 ? "is" : "are");

        if ((! state.empty() || savedStateFile) && ! plugin->hasProgramChunks())
            throw RenderError ("plug-in '" + pluginName + "' keeps no state block (effFlagsProgramChunks is clear), so --state and "
                               "--save-state cannot be used with it");
        if (! state.empty())
            checkStateBlock (state, options.stateFile, pluginName);

        // The host's sequence: open, rate, block size, state and settings, mains on.
        plugin->open();
        plugin->setSampleRate (options.sampleRate);
        plugin->setBlockSize (options.blockSize);
        if (! state.empty())
            plugin->setChunk (state);
        for (const auto& setting : settings)
            plugin->setParameter (setting.index, setting.value);
        plugin->setActive (true);

        ProgressBar progressBar (! options.quiet);
        BlockRenderer renderer (*plugin, schedule, { options.tailMaxSeconds, options.tailSilenceSeconds, options.silenceDb });
        const auto started = std::chrono::steady_clock::now();
        const auto audio = renderer.render ([&] (int64_t done, int64_t total, bool inTail)
                                            { progressBar.update (done, total, options.sampleRate, inTail); });
        const double elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - started).count();
        progressBar.finish();

        plugin->setActive (false);
        std::vector<uint8_t> finalState;
        if (savedStateFile)
        {
            finalState = plugin->getChunk();
            if (finalState.empty())
                throw RenderError ("plug-in '" + pluginName + "' handed out an empty state block");
        }
        plugin->close();

        if (audio.nonFiniteSamples > 0)
            throw RenderError ("plug-in '" + pluginName + "' produced " + std::to_string (audio.nonFiniteSamples)
                               + " samples that are not numbers (NaN or infinity), the first at "
                               + juce::String (static_cast<double> (audio.firstNonFinite) / options.sampleRate, 3).toStdString()
                               + " s; no output was written");

        const auto stats = measure (audio, options.sampleRate);
        const bool isFloat = options.format == RenderOptions::SampleFormat::float32;
        writeWav (wavFile, audio, options.sampleRate, options.format);

        if (pictureFile)
        {
            const auto songName = juce::File (absolute (options.midiFile)).getFileName().toStdString();
            const PictureText text { songName + " \xe2\x80\x94 " + (pluginName.empty() ? "VST 2 plug-in" : pluginName),
                                     juce::String (stats.seconds, 2).toStdString() + " s at "
                                         + std::to_string (static_cast<int> (options.sampleRate)) + " Hz,  peak "
                                         + decibels (stats.peak) + ",  RMS " + decibels (stats.rms) };
            writeWaveformPicture (*pictureFile, audio, options.sampleRate, text);
        }
        if (savedStateFile)
        {
            savedStateFile->stream().write (finalState.data(), finalState.size());
        }

        wavFile.commit();
        if (pictureFile)     pictureFile->commit();
        if (savedStateFile)  savedStateFile->commit();

        if (! isFloat && stats.peak > 1.0f && ! options.quiet)
            std::fprintf (stderr, "%s: warning: the output clips (peak %s); lower the volume or use --float\n",
                          programName, decibels (stats.peak).c_str());

        if (! options.quiet)
        {
            std::printf ("Rendered %.2f s to %s (%s, %d Hz): peak %s, RMS %s, %.1fx real time%s%s\n",
                         stats.seconds, wavFile.getTarget().getFullPathName().toRawUTF8(),
                         isFloat ? "32-bit float" : "24-bit", static_cast<int> (options.sampleRate),
                         decibels (stats.peak).c_str(), decibels (stats.rms).c_str(),
                         elapsed > 0.0 ? stats.seconds / elapsed : 0.0,
                         pictureFile ? "; picture " : "",
                         pictureFile ? pictureFile->getTarget().getFullPathName().toRawUTF8() : "");
        }
        return 0;
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

        // Fonts and images need the framework's GUI side; no display is used.
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
