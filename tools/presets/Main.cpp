// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// zephyrine-presets: the factory sounds as files and as measurements.
//   zephyrine-presets list               name, category, file stem, description
//   zephyrine-presets write <folder>     .vc2, .fxp and .vstpreset files
//   zephyrine-presets measure            loudness, peak and distance of each
//   zephyrine-presets gallery-song <file.mid>
//   zephyrine-presets sweep-song <file.mid> <control> <value>... [--chord]
//   zephyrine-presets shrink <picture> <smaller.png|.jpg> <width>
// Writing checks first that every sound goes through the state block and
// comes back bit for bit; any failure exits with 1.

#include "ChordRender.h"
#include "GuideSongs.h"
#include "Loudness.h"
#include "PresetFormats.h"
#include "SoundDistance.h"
#include "plugin/JuceFilter.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
    // Limits of the factory library; the guide quotes them.
    constexpr double loudnessWindowDb = 3.0;    // each sound within this of the median
    constexpr double clipDbfs = -0.1;           // a peak at or above this counts as clipped
    constexpr double silentLufs = -50.0;        // quieter than this counts as silent
    constexpr double duplicateDistance = 3.0;   // nearer than this counts as a near-duplicate

    bool roundTrips (const factorypresets::Sound& sound, const juce::MemoryBlock& block)
    {
        JuceFilter filter;
        filter.loadState (block.getData(), (int) block.getSize());
        for (int i = 0; i < factorypresets::slotCount; ++i)
        {
            const float held = filter.parameterValue (i), wanted = sound.values[(size_t) i];
            if (std::memcmp (&held, &wanted, sizeof (float)) != 0)
            {
                std::fprintf (stderr, "zephyrine-presets: '%s': slot %d reads back %.9g, not %.9g\n", sound.name, i,
                              (double) held, (double) wanted);
                return false;
            }
        }
        juce::MemoryBlock again;
        filter.saveState (again);
        return again == block;
    }

    bool writeFile (const juce::File& file, const juce::MemoryBlock& bytes)
    {
        if (! file.getParentDirectory().createDirectory() || ! file.replaceWithData (bytes.getData(), bytes.getSize()))
        {
            std::fprintf (stderr, "zephyrine-presets: cannot write %s\n", file.getFullPathName().toRawUTF8());
            return false;
        }
        return true;
    }

    int list()
    {
        for (const auto& sound : factorypresets::all())
            std::printf ("%s\t%s\t%s\t%s\n", sound.name, sound.category, factorypresets::fileStem (sound.name).c_str(),
                         sound.description);
        return 0;
    }

    int write (const juce::File& folder)
    {
        bool ok = true;
        for (const auto& sound : factorypresets::all())
        {
            const auto bytes = factorypresets::stateBlock (sound);
            const juce::MemoryBlock block (bytes.data(), bytes.size());
            if (! roundTrips (sound, block))
            {
                std::fprintf (stderr, "zephyrine-presets: '%s' does not survive the state block\n", sound.name);
                ok = false;
                continue;
            }
            const auto stem = juce::String (factorypresets::fileStem (sound.name));
            ok = writeFile (folder.getChildFile ("vc2").getChildFile (stem + ".vc2"), block) && ok;
            ok = writeFile (folder.getChildFile ("fxp").getChildFile (stem + ".fxp"), presetformats::fxp (block, sound.name)) && ok;
            ok = writeFile (folder.getChildFile ("vst3").getChildFile (juce::String (sound.name) + ".vstpreset"),
                            presetformats::vstPreset (block, sound.name))
                 && ok;
        }
        return ok ? 0 : 1;
    }

    struct Measurement
    {
        const factorypresets::Sound* sound;
        double lufs, peakDbfs;
        sounddistance::Fingerprint fingerprint;
        double nearest = 1e9;
        const char* nearestName = "";
    };

    int measure()
    {
        std::vector<Measurement> results;
        for (const auto& sound : factorypresets::all())
        {
            const auto samples = chordrender::render (sound);
            float peak = 0.0f;
            for (const float s : samples)
                peak = std::max (peak, std::abs (s));
            const double lufs = loudness::integratedOfDualMono (samples);
            results.push_back ({ &sound, lufs, 20.0 * std::log10 (std::max (peak, 1e-10f)),
                                 sounddistance::fingerprint (samples, std::isfinite (lufs) ? lufs : -70.0) });
        }
        for (auto& a : results)
            for (const auto& b : results)
                if (&a != &b)
                    if (const double d = sounddistance::between (a.fingerprint, b.fingerprint); d < a.nearest)
                    {
                        a.nearest = d;
                        a.nearestName = b.sound->name;
                    }

        // The first sound is the engine's own default, whose level is fixed:
        // it is measured, but the others are matched among themselves.
        const auto matched = [&] (const Measurement& r) { return r.sound != &factorypresets::all().front(); };
        std::vector<double> levels;
        for (const auto& r : results)
            if (matched (r))
                levels.push_back (r.lufs);
        std::sort (levels.begin(), levels.end());
        const double median = levels[levels.size() / 2];

        std::printf ("C-major chord (C4 E4 G4) held %.0f s, %.0f s rendered at %.0f Hz\n", chordrender::heldSeconds,
                     chordrender::totalSeconds, chordrender::sampleRate);
        std::printf ("%-22s %-7s %8s %7s %8s  %-22s %6s\n", "sound", "kind", "LUFS", "vs med", "peak dB", "nearest sound",
                     "dist");
        int failures = 0;
        for (const auto& r : results)
        {
            std::string verdict;
            if (! (r.lufs > silentLufs))
                verdict += " SILENT";
            if (std::abs (r.lufs - median) > loudnessWindowDb && matched (r))
                verdict += " LEVEL";
            if (r.peakDbfs >= clipDbfs)
                verdict += " CLIPS";
            if (r.nearest < duplicateDistance)
                verdict += " NEAR-DUPLICATE";
            failures += verdict.empty() ? 0 : 1;
            std::printf ("%-22s %-7s %8.1f %+7.1f %8.1f  %-22s %6.1f%s%s\n", r.sound->name, r.sound->category, r.lufs,
                         r.lufs - median, r.peakDbfs, r.nearestName, r.nearest, verdict.c_str(),
                         matched (r) ? "" : " (the engine's default, not matched)");
        }
        std::printf ("median %.1f LUFS, matched sounds from %.1f to %+.1f dB of it; limits: within %.0f dB of the median, peaks below %.1f dBFS, "
                     "louder than %.0f LUFS, nearest sound at least %.0f dB away\n",
                     median, levels.front() - median, levels.back() - median, loudnessWindowDb, clipDbfs, silentLufs,
                     duplicateDistance);
        std::printf ("%d of %zu sounds fail\n", failures, results.size());
        return failures == 0 ? 0 : 1;
    }
}

namespace
{
    bool writeSong (const juce::File& file, const juce::MidiFile& song)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        return out.openedOk() && song.writeTo (out);
    }
}

int main (int argc, char* argv[])
{
    const juce::ScopedJuceInitialiser_GUI framework;
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "list" && argc == 2)
        return list();
    if (command == "write" && argc == 3)
        return write (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));
    if (command == "measure" && argc == 2)
        return measure();
    const auto here = juce::File::getCurrentWorkingDirectory();
    if (command == "gallery-song" && argc == 3)
        return writeSong (here.getChildFile (argv[2]), guidesongs::gallery()) ? 0 : 1;
    if (command == "sweep-song" && argc >= 5)
    {
        std::vector<std::string> values (argv + 4, argv + argc);
        const bool chord = values.back() == "--chord";
        if (chord)
            values.pop_back();
        return writeSong (here.getChildFile (argv[2]), guidesongs::sweep (argv[3], values, chord)) ? 0 : 1;
    }
    if (command == "shrink" && argc == 5)
        return guidesongs::shrinkPicture (here.getChildFile (argv[2]), here.getChildFile (argv[3]), std::atoi (argv[4])) ? 0 : 1;
    std::fprintf (stderr, "usage: zephyrine-presets list | write <folder> | measure | gallery-song <file.mid>\n"
                          "       | sweep-song <file.mid> <control> <value>... [--chord] | shrink <picture> <out> <width>\n");
    return 2;
}
