// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The renderer with the real instrument, and with another maker's.

#include "RenderTestSupport.h"

#include "DemoSong.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace rendertest;

namespace
{
    float peakOf (const std::vector<float>& samples)
    {
        float peak = 0.0f;
        for (float s : samples)
            peak = std::max (peak, std::abs (s));
        return peak;
    }

    std::optional<Wav> renderZephyrine (const TempFolder& folder, const std::string& midi, const std::string& name,
                                        std::vector<std::string> extra)
    {
        std::vector<std::string> args { midi, "-o", folder.path (name), "--float", "--plugin", zephyrinePlugin() };
        args.insert (args.end(), extra.begin(), extra.end());
        const auto run = runRenderer (args);
        EXPECT_EQ (run.exitCode, 0) << run.output;
        return readWav (folder.file (name));
    }
}

#define REQUIRE_ZEPHYRINE()        \
    if (zephyrinePlugin().empty()) \
    GTEST_SKIP() << "the Zephyrine plug-in library is not built"

TEST (RenderZephyrine, DemoSongRendersInFull)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;
    const auto run = runRenderer ({ demoSong(), "-o", folder.path ("demo.wav"), "--png", folder.path ("demo.png") });
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (contains (run.output, "real time"));
    EXPECT_FALSE (contains (run.output, "clips"));

    const auto wav = readWav (folder.file ("demo.wav"));
    ASSERT_TRUE (wav);
    EXPECT_EQ (wav->bitsPerSample, 24);
    EXPECT_EQ (wav->sampleRate, 44100.0);

    // The whole song and a short tail: the last chord's release, then the silence that ends it.
    const double seconds = static_cast<double> (wav->left.size()) / 44100.0;
    EXPECT_GE (seconds, demoSongLengthSeconds());
    EXPECT_LE (seconds, demoSongLengthSeconds() + 3.0);

    EXPECT_GT (peakOf (wav->left), 0.1f);
    EXPECT_LE (peakOf (wav->left), 1.0f);
    EXPECT_EQ (wav->left, wav->right);   // the instrument is mono on two channels

    // Every bar of the song sounds.
    for (double bar = 0.0; bar < 16.0; bar += 1.0)
    {
        const auto from = wav->left.begin() + static_cast<long> (bar * 2.0 * 44100.0);
        EXPECT_GT (std::abs (*std::max_element (from, from + 22050, [] (float a, float b) { return std::abs (a) < std::abs (b); })),
                   0.01f)
            << "bar " << bar + 1;
    }
    EXPECT_TRUE (folder.file ("demo.png").existsAsFile());
}

TEST (RenderZephyrine, SetsParametersByTheirNames)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;
    const auto midi = writeSingleNote (folder);

    // Without the quantiser the level follows Vol: twice the volume, twice the peak.
    const auto byName = renderZephyrine (folder, midi, "a.wav", { "--set", "Crush=0", "--set", "Vol=0.2" });
    const auto byIndex = renderZephyrine (folder, midi, "b.wav", { "--set", "16=0", "--set", "12=0.1" });
    ASSERT_TRUE (byName && byIndex);
    EXPECT_NEAR (peakOf (byName->left) / peakOf (byIndex->left), 2.0f, 0.01f);

    // The second "S" is the amplitude envelope's sustain, reachable three ways.
    const auto sustainA = renderZephyrine (folder, midi, "c.wav", { "--set", "S#2=0.8" });
    const auto sustainB = renderZephyrine (folder, midi, "d.wav", { "--set", "Amp.S=0.8" });
    const auto sustainC = renderZephyrine (folder, midi, "e.wav", { "--set", "10=0.8" });
    const auto plain = renderZephyrine (folder, midi, "f.wav", {});
    ASSERT_TRUE (sustainA && sustainB && sustainC && plain);
    EXPECT_EQ (sustainA->left, sustainB->left);
    EXPECT_EQ (sustainA->left, sustainC->left);
    EXPECT_NE (sustainA->left, plain->left);

    // Wave names stand for the shape numbers.
    const auto square = renderZephyrine (folder, midi, "g.wav", { "--set", "Wave1=Sqr" });
    const auto five = renderZephyrine (folder, midi, "h.wav", { "--set", "14=5" });
    ASSERT_TRUE (square && five);
    EXPECT_EQ (square->left, five->left);
    EXPECT_NE (square->left, plain->left);
}

TEST (RenderZephyrine, StateSavedByOneRenderReproducesItInAnother)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto state = folder.path ("patch.vc2");

    const auto first = renderZephyrine (folder, midi, "a.wav", { "--set", "Wave1=Tri", "--set", "Amp.A=0.05", "--set", "Crush=0", "--save-state", state });
    const auto second = renderZephyrine (folder, midi, "b.wav", { "--state", state });
    const auto plain = renderZephyrine (folder, midi, "c.wav", {});
    ASSERT_TRUE (first && second && plain);
    EXPECT_EQ (first->left, second->left);
    EXPECT_NE (first->left, plain->left);
    EXPECT_TRUE (folder.file ("patch.vc2").loadFileAsString().startsWith ("VC2!"));

    // Blocks the plug-in would quietly ignore are refused with a reason.
    folder.file ("bad.vc2").replaceWithText ("not a state block");
    static const char damaged[] = "VC2!\x08\0\0\0<t_SET\0\0";
    folder.file ("damaged.vc2").replaceWithData (damaged, sizeof (damaged) - 1);
    // An element left open, followed by zeros: it passes the header checks, and the plug-in refuses it.
    static const char unclosed[] = "VC2!\x0b\0\0\0<t_SETTINGS\0\0\0\0\0\0\0\0";
    folder.file ("unclosed.vc2").replaceWithData (unclosed, sizeof (unclosed) - 1);
    for (const auto& [file, message] : { std::pair ("bad.vc2", "not a Zephyrine state block"), std::pair ("damaged.vc2", "is damaged"),
                                         std::pair ("unclosed.vc2", "is damaged") })
    {
        const auto run = runRenderer ({ midi, "-o", folder.path ("x.wav"), "--plugin", zephyrinePlugin(), "--state", folder.path (file) });
        EXPECT_EQ (run.exitCode, 1) << run.output;
        EXPECT_TRUE (contains (run.output, message)) << run.output;
        EXPECT_FALSE (folder.file ("x.wav").exists());
    }
}

TEST (RenderZephyrine, PresetsAreTheFactorySoundFiles)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;
    const auto midi = writeSingleNote (folder);

    // A factory sound by name (any letter case) plays as its installed file,
    // and --set still applies on top of it.
    const auto named = renderZephyrine (folder, midi, "a.wav", { "--preset", "glass pad" });
    const auto file = renderZephyrine (folder, midi, "b.wav", { "--state", ZEPHYRINE_PRESET_FILES "/vc2/Glass_Pad.vc2" });
    const auto changed = renderZephyrine (folder, midi, "c.wav", { "--preset", "Glass Pad", "--set", "Oct=0" });
    ASSERT_TRUE (named && file && changed);
    EXPECT_EQ (named->left, file->left);
    EXPECT_NE (named->left, changed->left);

    const auto list = runRenderer ({ "--list-presets" });
    EXPECT_EQ (list.exitCode, 0);
    for (const char* name : { "Default", "Glass Pad", "Slow Swell" })
        EXPECT_TRUE (contains (list.output, name)) << list.output;
}

TEST (RenderZephyrine, EveryBuildTakesTheSameStateFiles)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto patch = folder.path ("patch.vc2");
    ASSERT_TRUE (renderZephyrine (folder, midi, "patch.wav", { "--set", "Wave1=Tri", "--set", "Amp.A=0.05", "--save-state", patch }));
    juce::MemoryBlock saved;
    ASSERT_TRUE (folder.file ("patch.vc2").loadFileAsData (saved));

    std::optional<Wav> first;
    for (const auto& [format, plugin] : zephyrineBuilds())
    {
        const auto out = folder.path (format + ".wav"), resaved = folder.path (format + ".vc2");
        const auto run = runRenderer ({ midi, "-o", out, "--float", "--plugin", plugin, "--state", patch, "--save-state", resaved }, true);
        ASSERT_EQ (run.exitCode, 0) << format << ": " << run.output;
        const auto wav = readWav (juce::File (out));
        ASSERT_TRUE (wav) << format;
        if (! first)
            first = wav;
        EXPECT_TRUE (wav->left == first->left) << format;

        // Each build saves the plug-in's own block, not its host's envelope.
        juce::MemoryBlock again;
        ASSERT_TRUE (juce::File (resaved).loadFileAsData (again));
        EXPECT_TRUE (again == saved) << format;
    }
}

TEST (RenderZephyrine, EveryBuildRefusesWhatThePluginRefusesPromptly)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;
    const auto midi = writeSingleNote (folder);

    folder.file ("bad.vc2").replaceWithText ("not a state block");
    // Text after a processing instruction inside the element: the framework's
    // XML parser never returns from it.
    static const char instruction[] = "VC2!\x1f\0\0\0<t_SETTINGS><?a?>b</t_SETTINGS>\0\0";
    static_assert (sizeof (instruction) - 1 == 41);
    folder.file ("instruction.vc2").replaceWithData (instruction, sizeof (instruction) - 1);
    // Well formed, but not the plug-in's element: every build ignores it.
    static const char foreign[] = "VC2!\x0b\0\0\0<settings/>\0\0";
    folder.file ("foreign.vc2").replaceWithData (foreign, sizeof (foreign) - 1);

    for (const auto& [format, plugin] : zephyrineBuilds())
    {
        auto run = [&, plugin = plugin, hosted = format != "VST 2"] (const char* file, double& seconds) {
            return runRendererWithin ({ midi, "-o", folder.path ("x.wav"), "--plugin", plugin, "--state", folder.path (file) },
                                      30000, seconds, hosted);
        };
        // The time the program takes to start and load the plug-in.
        double baseline = 0.0;
        const auto bad = run ("bad.vc2", baseline);
        EXPECT_EQ (bad.exitCode, 1) << format << ": " << bad.output;

        for (const char* file : { "instruction.vc2", "foreign.vc2" })
        {
            double seconds = 0.0;
            const auto refused = run (file, seconds);
            EXPECT_EQ (refused.exitCode, 1) << format << ", " << file << ": " << refused.output;
            EXPECT_TRUE (contains (refused.output, "is damaged")) << format << ", " << file << ": " << refused.output;
            EXPECT_LT (seconds, baseline + 1.0) << format << ", " << file;
            EXPECT_FALSE (folder.file ("x.wav").exists());
        }
    }
}

TEST (RenderZephyrine, ParameterChangesInTheSongTakeEffect)
{
    REQUIRE_ZEPHYRINE();
    TempFolder folder;

    // The same note twice; the song switches the quantiser off in between.
    juce::MidiMessageSequence track;
    for (double start : { 0.0, 960.0 })
    {
        track.addEvent (juce::MidiMessage::noteOn (1, 69, static_cast<juce::uint8> (100)), start);
        track.addEvent (juce::MidiMessage::noteOff (1, 69), start + 240.0);
    }
    auto change = juce::MidiMessage::textMetaEvent (1, "Zephyrine: Crush=0");
    change.setTimeStamp (900.0);
    track.addEvent (change);
    const auto midi = writeMidi (folder, "change.mid", { track });

    const auto changed = renderZephyrine (folder, midi, "change.wav", { "--tail-max", "0" });
    const auto clean = renderZephyrine (folder, midi, "clean.wav", { "--tail-max", "0", "--set", "Crush=0" });
    ASSERT_TRUE (changed && clean);
    ASSERT_EQ (changed->left.size(), clean->left.size());

    // The quantiser acts on the output only: before the change the two differ,
    // after it they are the same to the bit.
    const auto split = changed->left.begin() + 40000;
    EXPECT_FALSE (std::equal (changed->left.begin(), split, clean->left.begin()));
    EXPECT_TRUE (std::equal (split, changed->left.end(), clean->left.begin() + 40000));
    EXPECT_GT (peakOf (std::vector<float> (split, changed->left.end())), 0.01f);
}

TEST (RenderOtherInstrument, DemoSongThroughAmsynth)
{
    if (amsynthPlugin().empty())
        GTEST_SKIP() << "amsynth's VST 2 plug-in is not installed";
    TempFolder folder;
    const auto run = runRenderer ({ demoSong(), "-o", folder.path ("amsynth.wav"), "--plugin", amsynthPlugin(), "--tail-max", "2" }, true);
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (contains (run.output, "meant for another plug-in and left out"));

    const auto wav = readWav (folder.file ("amsynth.wav"));
    ASSERT_TRUE (wav);
    EXPECT_GE (static_cast<double> (wav->left.size()) / 44100.0, demoSongLengthSeconds());
    EXPECT_GT (peakOf (wav->left), 0.01f);
}
