// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "RenderTestSupport.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdlib>

namespace rendertest
{
    namespace
    {
        /** Starts the renderer. With foreignPlugin set, a sanitizer build
            does not report the leaks of the plug-in (and its host) it loads. */
        bool startRenderer (juce::ChildProcess& process, const std::vector<std::string>& arguments, bool foreignPlugin)
        {
            // The child inherits the environment: switch leak reports off for it alone.
            const juce::String asanOptions = juce::SystemStats::getEnvironmentVariable ("ASAN_OPTIONS", {});
            if (foreignPlugin)
                setenv ("ASAN_OPTIONS", (asanOptions + ":detect_leaks=0").toRawUTF8(), 1);

            juce::StringArray command;
            command.add (RENDER_PROGRAM);
            for (const auto& argument : arguments)
                command.add (juce::String::fromUTF8 (argument.c_str()));

            const bool started = process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
            if (foreignPlugin)
                setenv ("ASAN_OPTIONS", asanOptions.toRawUTF8(), 1);
            return started;
        }
    }

    RunResult runRenderer (const std::vector<std::string>& arguments, bool foreignPlugin)
    {
        RunResult result;
        juce::ChildProcess process;
        if (! startRenderer (process, arguments, foreignPlugin))
            return result;

        result.output = process.readAllProcessOutput().toStdString();
        process.waitForProcessToFinish (60000);
        result.exitCode = static_cast<int> (process.getExitCode());
        return result;
    }

    RunResult runRendererWithin (const std::vector<std::string>& arguments, int milliseconds, double& elapsedSeconds,
                                 bool foreignPlugin)
    {
        RunResult result;
        juce::ChildProcess process;
        const auto start = juce::Time::getMillisecondCounterHiRes();
        if (! startRenderer (process, arguments, foreignPlugin))
            return result;

        // What a refusal prints fits in the pipe, so waiting first cannot block the child.
        const bool finished = process.waitForProcessToFinish (milliseconds);
        elapsedSeconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
        if (! finished)
            process.kill();
        result.output = process.readAllProcessOutput().toStdString();
        result.exitCode = finished ? static_cast<int> (process.getExitCode()) : -1;
        return result;
    }

    std::optional<Wav> readWav (const juce::File& file)
    {
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (file.createInputStream().release(), true));
        if (reader == nullptr || reader->numChannels != 2)
            return std::nullopt;

        juce::AudioBuffer<float> buffer (2, static_cast<int> (reader->lengthInSamples));
        reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);

        Wav wav;
        wav.sampleRate = reader->sampleRate;
        wav.bitsPerSample = static_cast<int> (reader->bitsPerSample);
        wav.left.assign (buffer.getReadPointer (0), buffer.getReadPointer (0) + buffer.getNumSamples());
        wav.right.assign (buffer.getReadPointer (1), buffer.getReadPointer (1) + buffer.getNumSamples());
        return wav;
    }

    TempFolder::TempFolder()
        // Unique across the test processes that ctest runs side by side.
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getChildFile ("render-test-" + juce::Uuid().toString()))
    {
        folder.createDirectory();
    }

    TempFolder::~TempFolder()
    {
        folder.setReadOnly (false, true);
        folder.deleteRecursively();
    }

    std::vector<std::string> TempFolder::contents() const
    {
        std::vector<std::string> names;
        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*",
                                                                juce::File::findFilesAndDirectories))
            names.push_back (entry.getFile().getFileName().toStdString());
        std::sort (names.begin(), names.end());
        return names;
    }

    std::string writeMidi (const TempFolder& folder, const std::string& name, const std::vector<juce::MidiMessageSequence>& tracks)
    {
        juce::MidiFile midi;
        midi.setTicksPerQuarterNote (480);
        for (const auto& track : tracks)
            midi.addTrack (track);

        const auto file = folder.file (name);
        file.deleteFile();
        juce::FileOutputStream out (file);
        midi.writeTo (out, 1);
        return file.getFullPathName().toStdString();
    }

    std::string writeSingleNote (const TempFolder& folder, const std::string& name)
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::noteOn (1, 60, static_cast<juce::uint8> (100)), 0.0);
        track.addEvent (juce::MidiMessage::noteOff (1, 60), 480.0);
        return writeMidi (folder, name, { track });
    }

    std::string zephyrinePlugin()
    {
        const juce::File plugin (ZEPHYRINE_PLUGIN);
        return plugin.existsAsFile() ? plugin.getFullPathName().toStdString() : std::string();
    }

    std::vector<std::pair<std::string, std::string>> zephyrineBuilds()
    {
        std::vector<std::pair<std::string, std::string>> builds;
        if (! zephyrinePlugin().empty())
            builds.emplace_back ("VST 2", zephyrinePlugin());
#if defined(ZEPHYRINE_VST3_BUNDLE) && defined(ZEPHYRINE_LV2_BUNDLE)
        for (const auto& [format, bundle] : { std::pair ("VST3", ZEPHYRINE_VST3_BUNDLE), std::pair ("LV2", ZEPHYRINE_LV2_BUNDLE) })
            if (juce::File (bundle).isDirectory())
                builds.emplace_back (format, juce::File (bundle).getFullPathName().toStdString());
#endif
        return builds;
    }

    std::string probePlugin (const char* variant)
    {
        return juce::File (PROBE_FOLDER).getChildFile (juce::String (variant) + ".so").getFullPathName().toStdString();
    }

    std::string amsynthPlugin()
    {
        const juce::File plugin ("/usr/lib/vst/amsynth_vst.so");
        return plugin.existsAsFile() ? plugin.getFullPathName().toStdString() : std::string();
    }

    std::string demoSong()
    {
        return DEMO_SONG;
    }

    bool contains (const std::string& text, const std::string& part)
    {
        return text.find (part) != std::string::npos;
    }
}
