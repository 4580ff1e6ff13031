// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstTestHost.h"

#include <dlfcn.h>

#include <atomic>
#include <thread>

using namespace vsttest;

namespace
{
    bool libraryIsLoaded()
    {
        if (auto* handle = dlopen (pluginPath, RTLD_NOW | RTLD_NOLOAD))
        {
            dlclose (handle);
            return true;
        }
        return false;
    }
}

TEST (VstLifetime, ManyInstancesPlayFromTwoThreadsAndCloseInAnyOrder)
{
    constexpr int numInstances = 32;
    constexpr int blockSize = 128;
    std::vector<std::unique_ptr<vsthost::Plugin>> instances;

    for (int i = 0; i < numInstances; ++i)
    {
        instances.push_back (load());
        ASSERT_NE (instances.back(), nullptr);
        auto& p = *instances.back();
        p.open();
        p.setSampleRate (44100.0);
        p.setBlockSize (blockSize);
        if (i % 3 != 0)   // the others resume lazily on their first block
            p.setActive (true);
    }

    std::atomic<bool> failed { false };
    auto play = [&] (int first) {
        for (int round = 0; round < 60; ++round)
            for (int i = first; i < numInstances; i += 2)
            {
                auto& p = *instances[(size_t) i];
                if (round % 10 == 0)
                    p.sendMidi ({ vsthost::MidiEvent { round % blockSize, { 0x90, (uint8_t) (40 + i), 100 } } });
                Block block (blockSize);
                p.processReplacing (nullptr, block.outputs(), blockSize);
                if (block.left != block.right)
                    failed = true;
            }
    };

    std::thread even (play, 0), odd (play, 1);

    // Meanwhile the host's own thread saves, restores and inspects.
    for (int round = 0; round < 20; ++round)
        for (int i = 0; i < numInstances; i += 5)
        {
            auto& p = *instances[(size_t) i];
            const auto chunk = p.getChunk();
            p.setChunk (chunk);
            p.setParameter (round % 18, 0.5f);
            EXPECT_FALSE (p.getParameterDisplay (round % 18).empty());
            p.dispatch (effEditIdle);
        }

    even.join();
    odd.join();
    EXPECT_FALSE (failed.load());

    // Odd ones first, then the even ones from the back.
    for (int i = 1; i < numInstances; i += 2)
        instances[(size_t) i].reset();
    while (! instances.empty())
    {
        if (instances.back() != nullptr)
            instances.back()->close();
        instances.pop_back();
    }

    EXPECT_FALSE (libraryIsLoaded());
}

TEST (VstLifetime, TheLibraryLoadsAndUnloadsFiftyTimes)
{
    ASSERT_FALSE (libraryIsLoaded());

    for (int cycle = 0; cycle < 50; ++cycle)
    {
        {
            auto plugin = load();
            ASSERT_NE (plugin, nullptr);
            plugin->open();
            plugin->setActive (true);
            plugin->sendMidi ({ vsthost::MidiEvent { 0, { 0x90, 60, 100 } } });
            const auto played = render (*plugin, 2, 256);
            ASSERT_EQ (plugin->getChunk().size(), 205u);
            if (cycle % 10 == 0)
                sleepMs (300);   // let the timer tick at least once
        }

        ASSERT_FALSE (libraryIsLoaded()) << "cycle " << cycle;
    }
}
