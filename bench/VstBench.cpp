// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// Render speed through the VST 2 interface, the way a host sees it: the
// whole process's CPU time from after effOpen to before effClose, output not
// kept. Eight held notes 48 55 60 64 67 71 74 79 at velocity 100, the
// plug-in's default sound (parameter 16, Crush, set to 0 when --crush-off),
// blocks of 512, 60 s of audio per case; the median of several runs.
//   vst_bench PLUGIN.so [--crush-off] [--runs N] [--only CASE]
// CASE is 1 to 5, the row of the table, for profiling one case alone.
#include "VstHost.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace
{
    constexpr int blockSize = 512;
    constexpr double audioSeconds = 60.0;
    const int chord[] = { 48, 55, 60, 64, 67, 71, 74, 79 };

    double processCpuSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_PROCESS_CPUTIME_ID, &t);
        return (double) t.tv_sec + 1.0e-9 * (double) t.tv_nsec;
    }

    double threadCpuSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + 1.0e-9 * (double) t.tv_nsec;
    }

    vsthost::MidiEvent noteOn (int note)
    {
        vsthost::MidiEvent e;
        e.data[0] = 0x90;
        e.data[1] = (uint8_t) note;
        e.data[2] = 100;
        return e;
    }

    struct Options
    {
        std::string path;
        bool crushOff = false;
        int runs = 3;
        int only = 0;
    };

    enum class Case
    {
        oneVoice,
        eightVoices,
        nineOneFading
    };

    std::unique_ptr<vsthost::Plugin> openPlugin (const Options& options)
    {
        auto loaded = vsthost::Plugin::load (options.path);
        if (! loaded)
        {
            std::fprintf (stderr, "vst_bench: %s\n", loaded.message.c_str());
            std::exit (1);
        }
        loaded.plugin->open();
        return std::move (loaded.plugin);
    }

    /** Seconds of audio per second of process CPU. */
    double realTimeFactor (const Options& options, Case which, double rate)
    {
        auto plugin = openPlugin (options);
        std::vector<float> left (blockSize), right (blockSize);
        float* outputs[] = { left.data(), right.data() };

        const double start = processCpuSeconds();
        plugin->setSampleRate (rate);
        plugin->setBlockSize (blockSize);
        if (options.crushOff)
            plugin->setParameter (16, 0.0f);
        plugin->setActive (true);

        std::vector<vsthost::MidiEvent> notes;
        for (int n : chord)
        {
            notes.push_back (noteOn (n));
            if (which == Case::oneVoice)
                break;
        }
        plugin->sendMidi (notes);

        const long blocks = (long) (audioSeconds * rate) / blockSize;
        int next = 0;
        for (long b = 0; b < blocks; ++b)
        {
            // A ninth note every block takes the reserve voice and fades out
            // the oldest, so one voice is always fading.
            if (which == Case::nineOneFading)
            {
                const vsthost::MidiEvent e = noteOn (chord[next]);
                next = (next + 1) % 8;
                plugin->sendMidi (&e, 1);
            }
            plugin->processReplacing (nullptr, outputs, blockSize);
        }
        const double used = processCpuSeconds() - start;
        plugin->close();
        return (double) (blocks * blockSize) / rate / used;
    }

    /** Nanoseconds per process call of 512 samples with no voice sounding. */
    double idleCallNanoseconds (const Options& options)
    {
        auto plugin = openPlugin (options);
        plugin->setSampleRate (44100.0);
        plugin->setBlockSize (blockSize);
        if (options.crushOff)
            plugin->setParameter (16, 0.0f);
        plugin->setActive (true);

        std::vector<float> left (blockSize), right (blockSize);
        float* outputs[] = { left.data(), right.data() };
        AEffect* const effect = plugin->getEffect();
        for (int i = 0; i < 1000; ++i)
            effect->processReplacing (effect, nullptr, outputs, blockSize);

        // This thread's CPU time: the call itself, not the time other
        // programs on a busy machine take the core away.
        constexpr int calls = 200000;
        const double start = threadCpuSeconds();
        for (int i = 0; i < calls; ++i)
            effect->processReplacing (effect, nullptr, outputs, blockSize);
        const double used = threadCpuSeconds() - start;
        plugin->close();
        return used * 1.0e9 / calls;
    }

    template <typename Measure>
    double median (int runs, Measure measure)
    {
        std::vector<double> v;
        for (int i = 0; i < runs; ++i)
            v.push_back (measure());
        std::sort (v.begin(), v.end());
        return v[v.size() / 2];
    }
}

int main (int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp (argv[i], "--crush-off") == 0)
            options.crushOff = true;
        else if (std::strcmp (argv[i], "--runs") == 0 && i + 1 < argc)
            options.runs = std::max (1, std::atoi (argv[++i]));
        else if (std::strcmp (argv[i], "--only") == 0 && i + 1 < argc)
            options.only = std::atoi (argv[++i]);
        else
            options.path = argv[i];
    }
    if (options.path.empty())
    {
        std::fprintf (stderr, "usage: vst_bench PLUGIN.so [--crush-off] [--runs N] [--only CASE]\n");
        return 2;
    }

    struct Row
    {
        const char* name;
        Case which;
        double rate;
    };
    const Row rows[] = {
        { "1 voice, 44.1 kHz", Case::oneVoice, 44100.0 },
        { "8 voices, 44.1 kHz", Case::eightVoices, 44100.0 },
        { "9 voices (1 fading), 44.1 kHz", Case::nineOneFading, 44100.0 },
        { "8 voices, 96 kHz", Case::eightVoices, 96000.0 },
    };
    int number = 0;
    for (const Row& row : rows)
    {
        if (options.only != 0 && options.only != ++number)
            continue;
        const double x = median (options.runs, [&] { return realTimeFactor (options, row.which, row.rate); });
        std::printf ("%-32s %8.0fx real time   %7.1f ns per sample\n", row.name, x, 1.0e9 / (x * row.rate));
        std::fflush (stdout);
    }
    if (options.only != 0 && options.only != 5)
        return 0;
    const double idle = median (options.runs, [&] { return idleCallNanoseconds (options); });
    std::printf ("%-32s %8.0f ns per 512-sample call\n", "idle process call", idle);
    return 0;
}
