// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace
{
    const char* const amsynthPath = "/usr/lib/vst/amsynth_vst.so";
    const char* const effectPath = "/usr/lib/vst/MVerb-vst.so";
    const char* const karsPath = "/usr/lib/vst/Kars-vst.so";

    bool exists (const char* path) { return std::filesystem::exists (path); }

    /** Other makers' plug-ins leak what they allocate; that is not ours to report. */
    struct ForeignAllocations
    {
#if defined(__SANITIZE_ADDRESS__)
        ForeignAllocations()
        {
            __lsan_disable();
        }
        ~ForeignAllocations() { __lsan_enable(); }
#endif
    };

    /** Renders numBlocks blocks after a note-on at sample 100 of the first; returns the peak. */
    float renderNote (vsthost::Plugin& plugin, int blockSize, int numBlocks)
    {
        const int outputs = plugin.getNumOutputs();
        std::vector<std::vector<float>> out (static_cast<size_t> (outputs), std::vector<float> (static_cast<size_t> (blockSize)));
        std::vector<float*> outPtrs;
        for (auto& channel : out)
            outPtrs.push_back (channel.data());
        std::vector<float> silence (static_cast<size_t> (blockSize));
        std::vector<float*> inPtrs (static_cast<size_t> (std::max (1, plugin.getNumInputs())), silence.data());

        float peak = 0.0f;
        for (int block = 0; block < numBlocks; ++block)
        {
            if (block == 0)
                plugin.sendMidi ({ vsthost::MidiEvent { 100, { 0x90, 60, 100 } } });
            plugin.processReplacing (inPtrs.data(), outPtrs.data(), blockSize);
            for (const auto& channel : out)
                for (float s : channel)
                {
                    EXPECT_TRUE (std::isfinite (s));
                    peak = std::max (peak, std::abs (s));
                }
        }
        return peak;
    }
}

// Our host side against an instrument written by somebody else.
TEST (VstHost, LoadsAndPlaysAnotherInstrument)
{
    if (! exists (amsynthPath))
        GTEST_SKIP() << "amsynth's VST 2 plug-in is not installed";
    [[maybe_unused]] const ForeignAllocations foreign;

    vsthost::HostOptions options;
    options.requireInstrument = true;

    auto loaded = vsthost::Plugin::load (amsynthPath, options);
    ASSERT_TRUE (loaded) << loaded.message;
    auto& plugin = *loaded.plugin;

    EXPECT_EQ (loaded.error, vsthost::LoadError::none);
    EXPECT_TRUE (plugin.isInstrument());
    EXPECT_GE (plugin.getNumOutputs(), 1);
    EXPECT_GT (plugin.getNumParameters(), 0);
    EXPECT_FALSE (plugin.getParameterName (0).empty());

    plugin.open();
    plugin.setSampleRate (44100.0);
    plugin.setBlockSize (256);
    plugin.setActive (true);
    EXPECT_TRUE (plugin.isActive());

    EXPECT_GT (renderNote (plugin, 256, 40), 0.001f);

    // A parameter written through the interface reads back.
    plugin.setParameter (0, 0.25f);
    EXPECT_NEAR (plugin.getParameter (0), 0.25f, 1e-6f);

    plugin.close();
    EXPECT_FALSE (plugin.isOpen());
    EXPECT_EQ (plugin.getEffect(), nullptr);
    EXPECT_EQ (plugin.getNumParameters(), 0);
    plugin.close();   // twice is harmless
}

TEST (VstHost, ReportsEachKindOfLoadFailure)
{
    [[maybe_unused]] const ForeignAllocations foreign;
    auto missing = vsthost::Plugin::load ("/nonexistent/plugin.so");
    EXPECT_FALSE (missing);
    EXPECT_EQ (missing.error, vsthost::LoadError::cannotOpenLibrary);
    EXPECT_NE (missing.message.find ("/nonexistent/plugin.so"), std::string::npos);

    // A real shared library with no VST 2 entry point.
    const char* const plainLibrary = "/lib/x86_64-linux-gnu/libz.so.1";
    if (exists (plainLibrary))
    {
        auto noEntry = vsthost::Plugin::load (plainLibrary);
        EXPECT_EQ (noEntry.error, vsthost::LoadError::noEntryPoint);
        EXPECT_NE (noEntry.message.find ("entry point"), std::string::npos);
    }

    if (exists (effectPath))
    {
        vsthost::HostOptions options;
        options.requireInstrument = true;
        auto effect = vsthost::Plugin::load (effectPath, options);
        EXPECT_EQ (effect.error, vsthost::LoadError::notAnInstrument);
        EXPECT_NE (effect.message.find ("instrument"), std::string::npos);

        // Without the requirement the same library loads.
        auto plain = vsthost::Plugin::load (effectPath);
        EXPECT_TRUE (plain) << plain.message;
    }
}

TEST (VstHost, HandlerSeesTheCallsMadeWhileLoading)
{
    if (! exists (karsPath))
        GTEST_SKIP() << "the dpf-plugins-vst synth is not installed";
    [[maybe_unused]] const ForeignAllocations foreign;

    // This plug-in asks for the version inside its entry point, before it has
    // an effect pointer, and asks for MIDI when it is switched on.
    std::atomic<bool> sawVersionBeforeEffect { false };
    std::atomic<AEffect*> effectSeen { nullptr };
    vsthost::HostOptions options;
    options.handler = [&] (const vsthost::HostCall& call) -> std::optional<intptr_t> {
        if (call.opcode == audioMasterVersion && call.effect == nullptr)
            sawVersionBeforeEffect = true;
        if (call.effect != nullptr)
            effectSeen = call.effect;
        return std::nullopt;
    };
    auto loaded = vsthost::Plugin::load (karsPath, options);
    ASSERT_TRUE (loaded) << loaded.message;

    EXPECT_TRUE (sawVersionBeforeEffect.load());

    // A mono instrument renders through the same calls.
    auto& plugin = *loaded.plugin;
    plugin.open();
    plugin.setSampleRate (48000.0);
    plugin.setBlockSize (128);
    plugin.setActive (true);
    EXPECT_TRUE (plugin.hasAskedForMidi());
    EXPECT_EQ (effectSeen.load(), plugin.getEffect());
    EXPECT_EQ (plugin.getNumOutputs(), 1);
    EXPECT_GT (renderNote (plugin, 128, 20), 0.001f);
}
