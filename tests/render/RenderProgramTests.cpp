// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The renderer as a host, through the probe instrument, which plays back
// where every event and parameter write landed.

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace rendertest;

namespace
{
    juce::MidiMessage at (juce::MidiMessage message, double ticks)
    {
        message.setTimeStamp (ticks);
        return message;
    }

    juce::MidiMessage text (const char* content, double ticks)
    {
        return at (juce::MidiMessage::textMetaEvent (1, content), ticks);
    }
}

TEST (RenderProgram, PlacesEventsOnTheirSamplesAcrossTracksAndTempoChanges)
{
    TempFolder folder;

    // 120 bpm, then 60 bpm from beat 2 (1.0 s). Notes on another track than the tempo,
    // parameter writes on a third.
    juce::MidiMessageSequence conductor, notes, sound;
    conductor.addEvent (at (juce::MidiMessage::tempoMetaEvent (500000), 0));
    conductor.addEvent (at (juce::MidiMessage::tempoMetaEvent (1000000), 960));
    notes.addEvent (at (juce::MidiMessage::noteOn (1, 60, static_cast<juce::uint8> (127)), 480));    // 0.5 s
    notes.addEvent (at (juce::MidiMessage::noteOn (2, 62, static_cast<juce::uint8> (127)), 1440));   // 2.0 s
    notes.addEvent (at (juce::MidiMessage::noteOff (1, 60), 1680));                                  // 2.5 s
    sound.addEvent (text ("Probe: Level=0.25", 1200));                                               // 1.5 s
    sound.addEvent (text ("probe: Level#2=0.5 0=0.125", 1560));                                      // 2.25 s, name case ignored
    sound.addEvent (text ("Lyrics without settings", 100));
    const auto midi = writeMidi (folder, "tempo.mid", { conductor, notes, sound });

    for (const char* blockSize : { "100", "512" })
    {
        const auto out = folder.path (std::string ("out") + blockSize + ".wav");
        const auto run = runRenderer ({ midi, "-o", out, "--plugin", probePlugin(), "--float", "-b", blockSize, "--tail-max", "0" });
        ASSERT_EQ (run.exitCode, 0) << run.output;
        const auto wav = readWav (juce::File (out));
        ASSERT_TRUE (wav.has_value());
        EXPECT_EQ (wav->bitsPerSample, 32);

        // The song ends with its last event at 2.5 s; no tail was asked for.
        ASSERT_EQ (wav->left.size(), 110251u) << "block size " << blockSize;
        EXPECT_EQ (wav->left[22049], 0.0f);
        EXPECT_EQ (wav->left[22050], 1.0f);   // note-on at 0.5 s
        EXPECT_EQ (wav->left[22051], 0.0f);
        EXPECT_EQ (wav->left[66149], 0.0f);
        EXPECT_EQ (wav->left[66150], 0.25f);   // write at 1.5 s
        EXPECT_EQ (wav->left[88200], 1.25f);   // note-on at 2.0 s, after the tempo change
        EXPECT_EQ (wav->left[99224], 0.25f);
        EXPECT_EQ (wav->left[99225], 0.125f);
        EXPECT_EQ (wav->right[99224], 0.0f);
        EXPECT_EQ (wav->right[99225], 0.5f);   // the second "Level"
    }
}

TEST (RenderProgram, SetsParametersByNameOrIndexBeforeTheFirstNote)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    auto levelsWith = [&] (std::vector<std::string> sets) -> std::pair<float, float> {
        std::vector<std::string> args { midi, "-o", folder.path ("set.wav"), "--plugin", probePlugin(), "--float", "--tail-max", "0" };
        for (const auto& s : sets)
        {
            args.push_back ("--set");
            args.push_back (s);
        }
        const auto run = runRenderer (args);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        const auto wav = readWav (folder.file ("set.wav"));
        return wav ? std::pair (wav->left[1], wav->right[1]) : std::pair (-1.0f, -1.0f);
    };

    EXPECT_EQ (levelsWith ({ "Level=0.125" }), std::pair (0.125f, 0.0f));   // first of that name
    EXPECT_EQ (levelsWith ({ "Level#2=0.375" }), std::pair (0.0f, 0.375f));
    EXPECT_EQ (levelsWith ({ "0=0.25", "1=0.75" }), std::pair (0.25f, 0.75f));
    EXPECT_EQ (levelsWith ({ "LEVEL=0.5", "Level=0.0625" }), std::pair (0.0625f, 0.0f));   // the last write wins
}

TEST (RenderProgram, SavedStateLoadsIntoASecondRender)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto state = folder.path ("probe.state");

    auto first = runRenderer ({ midi, "-o", folder.path ("a.wav"), "--plugin", probePlugin(), "--set", "0=0.3",
                                "--set", "1=0.6", "--save-state", state });
    ASSERT_EQ (first.exitCode, 0) << first.output;
    EXPECT_EQ (folder.file ("probe.state").getSize(), 8);

    auto second = runRenderer ({ midi, "-o", folder.path ("b.wav"), "--plugin", probePlugin(), "--state", state });
    ASSERT_EQ (second.exitCode, 0) << second.output;

    const auto a = readWav (folder.file ("a.wav")), b = readWav (folder.file ("b.wav"));
    ASSERT_TRUE (a && b);
    EXPECT_EQ (a->left, b->left);
    EXPECT_EQ (a->right, b->right);
    EXPECT_NEAR (b->right[10], 0.6f, 1.0e-6f);
    EXPECT_EQ (b->bitsPerSample, 24);

    // --set goes on top of a loaded state.
    auto third = runRenderer ({ midi, "-o", folder.path ("c.wav"), "--plugin", probePlugin(), "--state", state, "--set", "1=0.1" });
    ASSERT_EQ (third.exitCode, 0) << third.output;
    const auto c = readWav (folder.file ("c.wav"));
    ASSERT_TRUE (c);
    EXPECT_NEAR (c->left[10], 0.3f, 1.0e-6f);
    EXPECT_NEAR (c->right[10], 0.1f, 1.0e-6f);
}

TEST (RenderProgram, TailEndsAfterSilenceOrAtItsLimit)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);   // ends at 0.5 s, sample 22050
    auto lengthWith = [&] (std::vector<std::string> extra) {
        std::vector<std::string> args { midi, "-o", folder.path ("tail.wav"), "--plugin", probePlugin(), "-b", "64" };
        args.insert (args.end(), extra.begin(), extra.end());
        const auto run = runRenderer (args);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        const auto wav = readWav (folder.file ("tail.wav"));
        return wav ? static_cast<long> (wav->left.size()) : -1L;
    };

    // Silent from the end on: the tail stops after the silence window, at the next block.
    const long silent = lengthWith ({ "--tail-silence", "0.25" });
    EXPECT_GE (silent, 22051 + 11025);
    EXPECT_LT (silent, 22051 + 11025 + 64);

    // Never silent: the tail runs to its limit.
    EXPECT_EQ (lengthWith ({ "--set", "1=0.5", "--tail-max", "1" }), 22051 + 44100);
    EXPECT_EQ (lengthWith ({ "--set", "1=0.5", "--tail-max", "0" }), 22051);
}

TEST (RenderProgram, DrivesThePluginInAHostsOrder)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto log = folder.path ("calls.log");
    setenv ("PROBE_LOG", log.c_str(), 1);

    auto calls = [&] (std::vector<std::string> extra) {
        std::vector<std::string> args { midi, "-o", folder.path ("o.wav"), "--plugin", probePlugin() };
        args.insert (args.end(), extra.begin(), extra.end());
        const auto run = runRenderer (args);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        return juce::File (log).loadFileAsString().trim().toStdString();
    };

    EXPECT_EQ (calls ({ "-r", "48000", "-b", "256", "--set", "Level=0.5" }),
               "version=2400 open rate=48000 block=256 set0=0.5 mains=1 events process mains=0 close");
    EXPECT_EQ (calls ({ "--set", "1=0.25", "--save-state", folder.path ("p.state") }),
               "version=2400 open rate=44100 block=512 set1=0.25 mains=1 events process mains=0 getchunk close");
    EXPECT_EQ (calls ({ "--state", folder.path ("p.state"), "--set", "0=0.125" }),
               "version=2400 open rate=44100 block=512 setchunk set0=0.125 mains=1 events process mains=0 close");
    unsetenv ("PROBE_LOG");
}

TEST (RenderProgram, ReportsWhatItDid)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);

    const auto help = runRenderer ({ "--help" });
    EXPECT_EQ (help.exitCode, 0);
    EXPECT_TRUE (contains (help.output, "Usage: zephyrine-render"));
    EXPECT_TRUE (contains (help.output, "--set NAME=VALUE"));

    // Not a terminal: no progress bar, only the summary line.
    const auto run = runRenderer ({ midi, "-o", folder.path ("s.wav"), "--plugin", probePlugin(), "--set", "1=0.5",
                                    "--tail-max", "0.5", "--png", folder.path ("s.png") });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (contains (run.output, "Rendered 1.00 s to "));
    EXPECT_TRUE (contains (run.output, "peak -2.1 dBFS"));   // the note-on's impulse of 100/127
    EXPECT_TRUE (contains (run.output, "real time"));
    EXPECT_FALSE (contains (run.output, "\r"));

    // A PNG of the promised size.
    juce::MemoryBlock png;
    ASSERT_TRUE (folder.file ("s.png").loadFileAsData (png));
    ASSERT_GT (png.getSize(), 24u);
    const auto* bytes = static_cast<const unsigned char*> (png.getData());
    EXPECT_EQ (std::string (reinterpret_cast<const char*> (bytes + 1), 3), "PNG");
    EXPECT_EQ (juce::ByteOrder::bigEndianInt (bytes + 16), 1280u);
    EXPECT_EQ (juce::ByteOrder::bigEndianInt (bytes + 20), 760u);

    const auto listing = runRenderer ({ "--list-parameters", "--plugin", probePlugin() });
    EXPECT_EQ (listing.exitCode, 0);
    EXPECT_TRUE (contains (listing.output, "also Level#2"));
}
