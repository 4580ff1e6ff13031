// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// Many songs in one run, and instruments in other plug-in formats.

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

using namespace rendertest;

TEST (RenderBatch, OneBrokenSongLeavesTheOthersWhole)
{
    TempFolder folder;
    const auto a = writeSingleNote (folder, "a.mid");

    // A system-exclusive event without its closing F7, then two notes: read
    // by its length, the notes play and the event is reported as not sent.
    static const unsigned char sysex[] = { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xe0,
                                           'M', 'T', 'r', 'k', 0, 0, 0, 24,
                                           0x00, 0xf0, 0x03, 0x43, 0x10, 0x4c,
                                           0x00, 0x90, 60, 127, 0x83, 0x60, 0x90, 62, 127, 0x83, 0x60, 0x80, 62, 0,
                                           0x00, 0xff, 0x2f, 0x00 };
    folder.file ("b.mid").replaceWithData (sysex, sizeof (sysex));
    folder.file ("broken.mid").replaceWithText ("MThd, and then nothing that makes sense");
    folder.file ("out").createDirectory();
    folder.file ("out/broken.wav").replaceWithText ("keep me");

    const auto run = runRenderer ({ a, folder.path ("b.mid"), folder.path ("broken.mid"), "-o", folder.path ("out") + "/",
                                    "--plugin", probePlugin(), "--float", "-j", "2", "--tail-max", "0.1" });
    EXPECT_EQ (run.exitCode, 1) << run.output;
    EXPECT_TRUE (contains (run.output, "broken.mid failed: MIDI file")) << run.output;
    EXPECT_TRUE (contains (run.output, "1 system-exclusive event was not sent")) << run.output;
    EXPECT_TRUE (contains (run.output, "2 of 3 songs rendered")) << run.output;
    EXPECT_EQ (folder.file ("out/broken.wav").loadFileAsString(), "keep me");

    const auto single = runRenderer ({ a, "-o", folder.path ("single.wav"), "--plugin", probePlugin(), "--float", "--tail-max", "0.1" });
    ASSERT_EQ (single.exitCode, 0);
    const auto fromBatch = readWav (folder.file ("out/a.wav")), alone = readWav (folder.file ("single.wav"));
    const auto b = readWav (folder.file ("out/b.wav"));
    ASSERT_TRUE (fromBatch && alone && b);
    EXPECT_EQ (fromBatch->left, alone->left);
    EXPECT_EQ (b->left[0], 1.0f);
    EXPECT_EQ (b->left[22050], 1.0f);   // the second note, after the open system-exclusive event

    // Two songs of one name would overwrite each other: refused before any work.
    folder.file ("sub").createDirectory();
    const auto twin = writeSingleNote (folder, "sub/a.mid");
    const auto clash = runRenderer ({ a, twin, "-o", folder.path ("out") + "/", "--plugin", probePlugin() });
    EXPECT_EQ (clash.exitCode, 2);
    EXPECT_TRUE (contains (clash.output, "would both be written to")) << clash.output;
}

TEST (RenderOtherInstrument, ThroughAnLv2Instrument)
{
    const juce::File bundle ("/usr/lib/lv2/Kars.lv2");
    if (! bundle.isDirectory())
        GTEST_SKIP() << "the LV2 instrument Kars (dpf-plugins-lv2) is not installed";

    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto listing = runRenderer ({ "--list-parameters", "--plugin", bundle.getFullPathName().toStdString() }, true);
    EXPECT_EQ (listing.exitCode, 0) << listing.output;
    EXPECT_TRUE (contains (listing.output, "Kars (LV2)")) << listing.output;
    EXPECT_TRUE (contains (listing.output, "Volume")) << listing.output;

    // By bundle and by URI; a parameter set by name changes the sound.
    auto render = [&] (const std::string& plugin, const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args { midi, "-o", folder.path (out), "--plugin", plugin, "--float", "--tail-max", "1" };
        args.insert (args.end(), extra.begin(), extra.end());
        const auto run = runRenderer (args, true);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        return readWav (folder.file (out));
    };
    const auto loud = render (bundle.getFullPathName().toStdString(), "loud.wav", {});
    const auto quiet = render ("http://distrho.sf.net/plugins/Kars", "quiet.wav", { "--set", "Volume=0.1" });
    ASSERT_TRUE (loud && quiet);
    auto peak = [] (const Wav& w) { float p = 0.0f; for (float s : w.left) p = std::max (p, std::abs (s)); return p; };
    EXPECT_GT (peak (*loud), 0.01f);
    EXPECT_GT (peak (*quiet), 0.0f);
    EXPECT_LT (peak (*quiet), peak (*loud) * 0.9f);
}

#if defined(ZEPHYRINE_VST3_BUNDLE) && defined(ZEPHYRINE_LV2_BUNDLE)
TEST (RenderOtherInstrument, OurVst3AndLv2BuildsSoundLikeTheVst2Library)
{
    // A chord too big for the voices, a bend and an all-notes-off, through
    // each of our formats: the renderer's hosting of VST3 and LV2 must hand
    // the instrument the same events at the same samples.
    TempFolder folder;
    juce::MidiMessageSequence phrase;
    for (int i = 0; i < 10; ++i)
    {
        phrase.addEvent (juce::MidiMessage::noteOn (1, 48 + 3 * i, (juce::uint8) (60 + 5 * i)), 37.0 * i);
        phrase.addEvent (juce::MidiMessage::noteOff (1, 48 + 3 * i), 600.0 + 53.0 * i);
    }
    phrase.addEvent (juce::MidiMessage::pitchWheel (1, 12000), 250.0);
    phrase.addEvent (juce::MidiMessage::noteOn (2, 70, (juce::uint8) 100), 1500.0);
    phrase.addEvent (juce::MidiMessage::controllerEvent (2, 123, 0), 1800.0);
    const auto midi = writeMidi (folder, "phrase.mid", { phrase });

    auto render = [&] (const std::string& plugin, const std::string& out) {
        const auto run = runRenderer ({ midi, "-o", folder.path (out), "--plugin", plugin, "--float", "-b", "300",
                                        "--set", "Crush=0" },
                                      true);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        return readWav (folder.file (out));
    };
    const auto vst2 = render (ZEPHYRINE_PLUGIN, "vst2.wav");
    const auto vst3 = render (ZEPHYRINE_VST3_BUNDLE, "vst3.wav");
    const auto lv2 = render (ZEPHYRINE_LV2_BUNDLE, "lv2.wav");
    ASSERT_TRUE (vst2 && vst3 && lv2);
    ASSERT_GT (vst2->left.size(), 44100u);
    EXPECT_TRUE (vst2->left == vst3->left && vst2->right == vst3->right);
    EXPECT_TRUE (vst2->left == lv2->left && vst2->right == lv2->right);
}

TEST (RenderOtherInstrument, DemoSongSoundsTheSameThroughEveryBuild)
{
    // The song's text events and --set use Zephyrine's own names and values
    // (Wave1=Sqr, Amp.R, Arp=0.5); each format must understand them alike.
    TempFolder folder;
    std::vector<std::vector<float>> renders;
    for (auto [format, plugin] : zephyrineBuilds())
    {
        if (format == "LV2")
        {
            // A bundle among other files, none of which the LV2 host should look at.
            const auto beside = folder.file ("plugins");
            ASSERT_TRUE (beside.getChildFile ("empty folder").createDirectory());
            ASSERT_TRUE (beside.getChildFile ("notes.txt").replaceWithText ("not a bundle"));
            ASSERT_TRUE (juce::File (plugin).createSymbolicLink (beside.getChildFile ("Zephyrine.lv2"), false));
            plugin = beside.getChildFile ("Zephyrine.lv2").getFullPathName().toStdString();
        }
        const auto out = folder.path (format + ".wav");
        const auto run = runRenderer ({ demoSong(), "-o", out, "--plugin", plugin, "--float", "--set", "Wave2=Saw1",
                                        "--set", "Amp.R=0.3", "--tail-max", "2" },
                                      true);
        ASSERT_EQ (run.exitCode, 0) << format << ": " << run.output;
        EXPECT_FALSE (contains (run.output, "lilv")) << format << ": " << run.output;
        const auto wav = readWav (juce::File (out));
        ASSERT_TRUE (wav) << format;
        renders.push_back (wav->left);
    }
    ASSERT_EQ (renders.size(), 3u);
    ASSERT_GT (renders[0].size(), 44100u * 20);
    EXPECT_TRUE (renders[0] == renders[1]) << "VST3";
    EXPECT_TRUE (renders[0] == renders[2]) << "LV2";
}
#endif
