// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "SongRenderer.h"

#include "BlockRenderer.h"
#include "HostStateEnvelope.h"
#include "MidiSchedule.h"
#include "OutputFile.h"
#include "RenderError.h"
#include "RenderSummary.h"
#include "SampleSpool.h"
#include "StateFile.h"
#include "WaveformPicture.h"
#include "plugin/HostParameters.h"
#include "plugin/StateSettings.h"
#include "presets/FactoryPresets.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <optional>

namespace
{
    std::string lowerExtension (const std::string& path)
    {
        const auto slash = path.rfind ('/');
        const auto dot = path.rfind ('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
            return {};
        std::string extension = path.substr (dot + 1);
        for (auto& c : extension)
            c = static_cast<char> (std::tolower (static_cast<unsigned char> (c)));
        return extension;
    }

    std::string fileName (const std::string& path)
    {
        if (path == "-")
            return "standard input";
        const auto slash = path.rfind ('/');
        return slash == std::string::npos ? path : path.substr (slash + 1);
    }

    /** Whether two Zephyrine blocks give every slot the same value. */
    bool sameSettings (const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
    {
        const auto first = statesettings::read (a.data(), static_cast<int> (a.size()));
        const auto second = statesettings::read (b.data(), static_cast<int> (b.size()));
        if (first == nullptr || second == nullptr)
            return false;
        for (int i = 0; i < hostparameters::count; ++i)
            if (std::bit_cast<uint32_t> (statesettings::slotValue (*first, i))
                != std::bit_cast<uint32_t> (statesettings::slotValue (*second, i)))
                return false;
        return true;
    }

    void loadState (Instrument& instrument, const InstrumentSetup& setup, const RenderOptions& options)
    {
        const auto refused = RenderError ("state file '" + options.stateFile + "' is damaged: the plug-in did not take it");
        if (! setup.names.isZephyrine())
        {
            if (! instrument.setState (setup.state))
                throw refused;
            return;
        }

        // Zephyrine's block goes into the envelope its format's host uses,
        // and what the plug-in hands out afterwards must hold its settings:
        // a plug-in that ignored the block still has its own.
        const auto format = instrument.getFormatName();
        const auto hosted = hoststate::wrap (format, setup.state, instrument.getState());
        if (hosted.empty() || ! instrument.setState (hosted))
            throw refused;
        const auto taken = hoststate::unwrap (format, instrument.getState());
        if (! taken || ! sameSettings (setup.state, *taken))
            throw refused;
    }

    /** The state to save: for Zephyrine its own block, whatever the format. */
    std::vector<uint8_t> stateToSave (Instrument& instrument, const InstrumentSetup& setup)
    {
        auto state = instrument.getState();
        if (! setup.names.isZephyrine())
            return state;

        if (auto own = hoststate::unwrap (instrument.getFormatName(), state))
            state = std::move (*own);
        // The framework's VST3 plug-ins append data of their own (program,
        // bypass) to the block: the state file holds the block alone.
        if (state.size() > 8 && std::equal (state.begin(), state.begin() + 4, "VC2!"))
        {
            const size_t length = 10 + (static_cast<size_t> (state[4]) | (static_cast<size_t> (state[5]) << 8) | (static_cast<size_t> (state[6]) << 16) | (static_cast<size_t> (state[7]) << 24));
            if (length < state.size())
                state.resize (length);
        }
        return state;
    }

    /** Where the rendered blocks go: straight into the file, or first to a
        spool when the whole sound is needed again. */
    struct Destination
    {
        std::optional<SampleSpool> spool;
        std::optional<AudioWriter> writer;
    };
}

InstrumentSetup InstrumentSetup::make (Instrument& instrument, const RenderOptions& options)
{
    std::vector<std::string> names;
    for (int i = 0; i < instrument.getNumParameters(); ++i)
        names.push_back (instrument.getParameterName (i));
    const auto pluginName = instrument.getName();
    const auto dialect = ParameterNames::dialectOf (pluginName, instrument.getFormatName(), names);

    InstrumentSetup setup { pluginName, ParameterNames (names, dialect), {}, {} };
    for (const auto& assignment : options.assignments)
    {
        try
        {
            setup.settings.push_back (setup.names.parse (assignment));
        }
        catch (const RenderError& e)
        {
            throw UsageError ("--set " + assignment + ": " + e.what());
        }
    }

    if (! options.stateFile.empty())
        setup.state = readStateFile (options.stateFile);
    if (const auto* sound = factorypresets::find (options.presetName); sound != nullptr)
    {
        if (! setup.names.isZephyrine())
            throw RenderError ("--preset names a Zephyrine sound; plug-in '" + pluginName + "' cannot play it");
        const auto block = factorypresets::stateBlock (*sound);
        setup.state.assign (block.begin(), block.end());
    }
    if ((! setup.state.empty() || ! options.saveStateFile.empty()) && ! instrument.keepsState())
        throw RenderError ("plug-in '" + pluginName + "' keeps no state block (effFlagsProgramChunks is clear), so --state and "
                                                      "--save-state cannot be used with it");
    if (! setup.state.empty() && setup.names.isZephyrine())
        checkStateBlock (setup.state, options.stateFile);
    return setup;
}

AudioFormat outputFormatFor (const std::string& outputFile, const RenderOptions& options)
{
    AudioFormat format;
    format.bits = options.bits;
    format.isFloat = options.isFloat;
    if (options.container)
        format.container = *options.container == RenderOptions::Container::flac ? AudioFormat::Container::flac
                                                                                : AudioFormat::Container::wav;
    else
    {
        const auto extension = lowerExtension (outputFile);
        if (extension == "flac")
            format.container = AudioFormat::Container::flac;
        else if (! extension.empty() && extension != "wav" && extension != "wave" && outputFile.rfind ("/dev/", 0) != 0)
            throw UsageError ("cannot tell the file type from the name '" + outputFile
                              + "': use .wav or .flac, or give --format");
    }
    if (format.container == AudioFormat::Container::flac && (format.isFloat || format.bits == 32))
        throw UsageError ("FLAC holds 16 or 24 bits; use --bits 16 or 24, or a WAV file for 32 bits");
    return format;
}

SongReport renderSong (Instrument& instrument, const InstrumentSetup& setup, const RenderOptions& options,
                       const SongJob& job, const std::function<void (double, const std::string&)>& progress)
{
    SongReport report;
    report.format = outputFormatFor (job.outputFile, options);

    // Everything that can fail is tried before the render, so that a bad
    // argument costs no time and leaves nothing behind.
    OutputFile audioFile (job.outputFile, "output file", options.noClobber);
    std::optional<OutputFile> pictureFile, savedStateFile;
    if (! job.pictureFile.empty())
        pictureFile.emplace (job.pictureFile, "picture", options.noClobber);
    if (! job.saveStateFile.empty())
        savedStateFile.emplace (job.saveStateFile, "state file", options.noClobber);
    report.outputName = audioFile.getName();

    auto schedule = MidiSchedule::load (job.midiFile, options.sampleRate, options.maxLengthSeconds);
    report.notes = schedule.getWarnings();
    const int forOtherPlugins = schedule.addParameterEvents (setup.name, setup.names);
    if (forOtherPlugins > 0)
        report.notes.push_back (std::to_string (forOtherPlugins) + " parameter event" + (forOtherPlugins == 1 ? " in the song is" : "s in the song are")
                                + " meant for another plug-in and left out");

    // The host's sequence: rate and block size, state and settings, start.
    instrument.prepare (options.sampleRate, options.blockSize);
    if (! setup.state.empty())
        loadState (instrument, setup, options);
    for (const auto& setting : setup.settings)
        instrument.setParameter (setting.index, setting.value);
    instrument.start();

    float gain = static_cast<float> (std::pow (10.0, options.gainDb / 20.0));
    Destination destination;
    if (options.normalizeDb || pictureFile)
        destination.spool.emplace();
    else
        destination.writer.emplace (audioFile, report.format, options.sampleRate, gain);

    BlockRenderer renderer (instrument, schedule, { options.tailMaxSeconds, options.tailSilenceSeconds, options.silenceDb },
                            options.blockSize, options.sampleRate);
    const auto started = std::chrono::steady_clock::now();
    const auto result = renderer.render (
        [&] (const float* left, const float* right, int frames) {
            if (destination.spool)
                destination.spool->append (left, right, frames);
            else
                destination.writer->write (left, right, frames);
        },
        [&] (int64_t done, int64_t total, bool inTail) {
            if (! progress)
                return;
            char detail[48];
            std::snprintf (detail, sizeof (detail), "%.1f s%s", static_cast<double> (done) / options.sampleRate, inTail ? " (tail)" : "");
            progress (total > 0 ? static_cast<double> (done) / static_cast<double> (total) : 1.0, detail);
        });

    instrument.stop();
    std::vector<uint8_t> finalState;
    if (savedStateFile)
    {
        finalState = stateToSave (instrument, setup);
        if (finalState.empty())
            throw RenderError ("plug-in '" + setup.name + "' handed out an empty state block");
    }

    if (result.nonFiniteSamples > 0)
    {
        char at[32];
        std::snprintf (at, sizeof (at), "%.3f s", static_cast<double> (result.firstNonFinite) / options.sampleRate);
        throw RenderError ("plug-in '" + setup.name + "' produced " + std::to_string (result.nonFiniteSamples)
                           + " samples that are not numbers (NaN or infinity), the first at " + at + "; no output was written");
    }

    if (destination.spool)
    {
        const auto& spool = *destination.spool;
        if (options.normalizeDb && spool.peak() > 0.0f)
            gain = static_cast<float> (std::pow (10.0, *options.normalizeDb / 20.0) / spool.peak());
        AudioWriter writer (audioFile, report.format, options.sampleRate, gain);
        constexpr int piece = 65536;
        std::vector<float> left (piece), right (piece);
        for (int64_t at = 0; at < spool.size(); at += piece)
        {
            const int count = static_cast<int> (std::min<int64_t> (piece, spool.size() - at));
            spool.read (at, count, left.data(), right.data());
            writer.write (left.data(), right.data(), count);
        }
        writer.finish();
        report.levels = writer.levels();
    }
    else
    {
        destination.writer->finish();
        report.levels = destination.writer->levels();
    }
    audioFile.finish();

    report.seconds = static_cast<double> (result.frames) / options.sampleRate;
    report.elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - started).count();
    report.cutAtTailLimit = result.cutAtTailLimit;
    if (result.cutAtTailLimit)
        report.notes.push_back ("the sound was still playing when the tail's limit of " + std::to_string (static_cast<int> (options.tailMaxSeconds))
                                + " s was reached; its last " + std::to_string (static_cast<int> (BlockRenderer::fadeSeconds * 1000))
                                + " ms were faded out (see --tail-max)");

    if (pictureFile)
    {
        const PictureText text { fileName (job.midiFile) + " \xe2\x80\x94 " + (setup.name.empty() ? "plug-in" : setup.name),
                                 juce::String (report.seconds, 2).toStdString() + " s at "
                                     + std::to_string (static_cast<int> (options.sampleRate)) + " Hz,  peak "
                                     + decibels (report.levels.peak) + ",  RMS " + decibels (report.levels.rms()) };
        writeWaveformPicture (*pictureFile, { *destination.spool, gain, ! report.format.isFloat }, options.sampleRate, text);
        pictureFile->finish();
    }
    if (savedStateFile)
    {
        savedStateFile->stream().write (finalState.data(), finalState.size());
        savedStateFile->finish();
    }

    // Every output is complete: only now is any of them put in place.
    audioFile.commit();
    if (pictureFile)
        pictureFile->commit();
    if (savedStateFile)
        savedStateFile->commit();
    return report;
}
