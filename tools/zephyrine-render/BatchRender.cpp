// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "BatchRender.h"

#include "ProgressBar.h"
#include "RenderError.h"
#include "RenderSummary.h"
#include "SongRenderer.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

namespace
{
    struct Outcome
    {
        bool done = false;
        std::string error;   // empty: rendered
        SongReport report;
    };

    std::string outputFor (const std::string& midiFile, const RenderOptions& options)
    {
        const auto song = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (midiFile.c_str()));
        const auto extension = options.container == RenderOptions::Container::flac ? ".flac" : ".wav";
        const auto name = song.getFileNameWithoutExtension() + extension;
        if (! options.outputFile)
            return song.getSiblingFile (name).getFullPathName().toStdString();
        return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (options.outputFile->c_str())).getChildFile (name).getFullPathName().toStdString();
    }

    std::string shortName (const std::string& path)
    {
        return juce::File (juce::String::fromUTF8 (path.c_str())).getFileName().toStdString();
    }

    std::string fit (std::string text, size_t width)
    {
        if (text.size() > width)
            text = text.substr (0, width - 3) + "...";
        return text + std::string (width - text.size(), ' ');
    }

    /** Puts the instrument back as it was loaded before the next song. */
    struct Snapshot
    {
        std::vector<float> parameters;
        std::vector<uint8_t> state;

        void take (Instrument& instrument)
        {
            for (int i = 0; i < instrument.getNumParameters(); ++i)
                parameters.push_back (instrument.getParameter (i));
            if (instrument.keepsState())
                state = instrument.getState();
        }

        void restore (Instrument& instrument) const
        {
            if (! state.empty())
                instrument.setState (state);
            for (size_t i = 0; i < parameters.size(); ++i)
                instrument.setParameter (static_cast<int> (i), parameters[i]);
        }
    };
}

int renderBatch (const RenderOptions& options, const PluginLocation& plugin)
{
    if (options.outputFile)
    {
        const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (options.outputFile->c_str()));
        // "out/" asks for a folder: made when its parent is there.
        if (! folder.exists() && options.outputFile->back() == '/' && folder.getParentDirectory().isDirectory())
            folder.createDirectory();
        if (! folder.isDirectory())
            throw UsageError ("with several songs, -o names a folder, and '" + *options.outputFile + "' is none");
    }

    std::vector<SongJob> jobs;
    std::map<std::string, std::string> taken;
    for (const auto& song : options.midiFiles)
    {
        SongJob job { song, outputFor (song, options), {}, {} };
        if (const auto [at, fresh] = taken.emplace (job.outputFile, song); ! fresh)
            throw UsageError ("'" + at->second + "' and '" + song + "' would both be written to '" + job.outputFile + "'");
        jobs.push_back (job);
    }

    const unsigned cores = std::max (1u, std::thread::hardware_concurrency());
    const auto workers = std::min<size_t> (jobs.size(), options.jobs > 0 ? static_cast<size_t> (options.jobs) : cores);

    // Instances are made here, on the main thread, as plug-in formats require;
    // each then plays on its own worker thread.
    std::vector<std::unique_ptr<Instrument>> instruments;
    std::vector<Snapshot> snapshots (workers);
    for (size_t w = 0; w < workers; ++w)
        instruments.push_back (loadInstrument (plugin));
    const auto setup = InstrumentSetup::make (*instruments.front(), options);
    for (size_t w = 0; w < workers; ++w)
        snapshots[w].take (*instruments[w]);

    std::vector<Outcome> outcomes (jobs.size());
    std::atomic<size_t> nextJob { 0 };
    std::mutex printing;
    size_t finished = 0;
    ProgressBar bar (! options.quiet);
    const auto started = std::chrono::steady_clock::now();

    auto work = [&] (size_t worker) {
        auto& instrument = *instruments[worker];
        bool first = true;
        for (size_t index = nextJob++; index < jobs.size(); index = nextJob++)
        {
            auto& outcome = outcomes[index];
            try
            {
                if (! first)
                    snapshots[worker].restore (instrument);
                first = false;
                outcome.report = renderSong (instrument, setup, options, jobs[index], {});
            }
            catch (const std::exception& e)
            {
                outcome.error = e.what();
                instrument.stop();
            }
            outcome.done = true;

            const std::lock_guard<std::mutex> guard (printing);
            ++finished;
            if (options.quiet)
            {
                if (! outcome.error.empty())
                    std::fprintf (stderr, "zephyrine-render: error: %s: %s\n", jobs[index].midiFile.c_str(), outcome.error.c_str());
                continue;
            }
            bar.finish();
            const auto song = jobs[index].midiFile;
            if (outcome.error.empty())
            {
                std::printf ("[%zu/%zu] %s -> %s: %.2f s, peak %s\n", finished, jobs.size(), song.c_str(),
                             outcome.report.outputName.c_str(), outcome.report.seconds, decibels (outcome.report.levels.peak).c_str());
                for (const auto& note : outcome.report.notes)
                    std::printf ("        note: %s\n", note.c_str());
            }
            else
                std::printf ("[%zu/%zu] %s failed: %s\n", finished, jobs.size(), song.c_str(), outcome.error.c_str());
            std::fflush (stdout);
            bar.update (static_cast<double> (finished) / static_cast<double> (jobs.size()),
                        std::to_string (finished) + "/" + std::to_string (jobs.size()) + " songs");
        }
    };

    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back (work, w);
    work (0);
    for (auto& t : threads)
        t.join();
    bar.finish();
    for (auto& instrument : instruments)
        instrument->close();

    const double elapsed = std::chrono::duration<double> (std::chrono::steady_clock::now() - started).count();
    size_t succeeded = 0;
    double audioSeconds = 0.0;
    for (const auto& o : outcomes)
        if (o.error.empty())
        {
            ++succeeded;
            audioSeconds += o.report.seconds;
        }

    if (! options.quiet)
    {
        std::printf ("\n%s %s %9s  %-10s  %s\n", fit ("Song", 24).c_str(), fit ("Output", 24).c_str(), "Length", "Peak dBFS", "Result");
        for (size_t i = 0; i < jobs.size(); ++i)
        {
            const auto& o = outcomes[i];
            if (o.error.empty())
                std::printf ("%s %s %7.2f s  %-10s  ok\n", fit (shortName (jobs[i].midiFile), 24).c_str(),
                             fit (shortName (o.report.outputName), 24).c_str(), o.report.seconds,
                             decibels (o.report.levels.peak).substr (0, decibels (o.report.levels.peak).size() - 5).c_str());
            else
                std::printf ("%s %s %9s  %-10s  failed\n", fit (shortName (jobs[i].midiFile), 24).c_str(),
                             fit ("-", 24).c_str(), "-", "-");
        }
        std::printf ("%zu of %zu songs rendered (%.1f s of sound) in %.1f s with %zu worker%s, %.1fx real time\n",
                     succeeded, jobs.size(), audioSeconds, elapsed, workers, workers == 1 ? "" : "s",
                     elapsed > 0.0 ? audioSeconds / elapsed : 0.0);
    }
    return succeeded == jobs.size() ? 0 : 1;
}
