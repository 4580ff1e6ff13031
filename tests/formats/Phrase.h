// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

/** The phrase every format plays, and its walk through blocks of given
    sizes. Framework-free, so that the VST 2 side (whose interface header
    clashes with the framework's) can share it. */
namespace phrase
{
    constexpr double sampleRate = 44100.0;
    constexpr int maxBlock = 1024;
    constexpr int length = 80000;

    // One step: MIDI at an absolute sample time, or a parameter write (slot
    // value) that lands on the first block starting at or after that time,
    // since the plug-in formats apply writes at block starts.
    struct Step
    {
        int time;
        std::array<std::uint8_t, 3> midi;   // status 0 for a parameter write
        int slot = 0;
        float value = 0.0f;
    };

    inline Step midi (int time, std::uint8_t a, std::uint8_t b, std::uint8_t c) { return { time, { a, b, c } }; }
    inline Step write (int time, int slot, float value) { return { time, { 0, 0, 0 }, slot, value }; }

    // Notes on several channels, a velocity-0 note-on, pitch bends, controller
    // 123 in mid-phrase, and writes of every kind of parameter, Oct among them.
    inline const std::vector<Step> steps {
        midi (0, 0x90, 60, 100),
        midi (700, 0x91, 64, 80),
        midi (700, 0x90, 67, 127),
        midi (5000, 0xe0, 0x10, 0x50),
        write (9000, 0, 0.8f),
        write (9000, 7, 0.1f),
        midi (14000, 0x80, 60, 0),
        midi (16000, 0x90, 64, 0),
        write (17000, 14, 5.0f),
        midi (20000, 0xb0, 123, 0),
        midi (20001, 0x90, 72, 90),
        write (26000, 16, 0.0f),
        write (30000, 2, 1.0f),
        midi (31000, 0x90, 48, 100),
        write (36000, 13, 0.5f),
        write (36000, 17, 0.0f),
        write (36000, 15, 4.0f),
        midi (37000, 0x92, 55, 60),
        midi (45000, 0xe0, 0x00, 0x40),
        write (47000, 12, 0.3f),
        midi (52000, 0x90, 76, 110),
        midi (60000, 0xb5, 123, 0),
        midi (60500, 0x90, 40, 100),
        midi (70000, 0x80, 40, 64),
    };

    inline std::vector<int> randomBlockSizes (unsigned seed)
    {
        std::mt19937 random (seed);
        std::uniform_int_distribution<int> size (1, maxBlock);
        std::vector<int> sizes;
        for (int total = 0; total < length;)
            total += sizes.emplace_back (std::min (size (random), length - total));
        return sizes;
    }

    using Events = std::vector<std::pair<int, std::array<std::uint8_t, 3>>>;

    /** Hands each block's writes, then its MIDI (positions inside the
        block), to the callbacks. */
    template <typename WriteFn, typename BlockFn>
    void walk (const std::vector<int>& sizes, WriteFn&& writeParameter, BlockFn&& renderBlock,
               const std::vector<Step>& phraseSteps = steps)
    {
        size_t next = 0, nextWrite = 0;
        int start = 0;
        for (int size : sizes)
        {
            for (; nextWrite < phraseSteps.size() && phraseSteps[nextWrite].time <= start; ++nextWrite)
                if (phraseSteps[nextWrite].midi[0] == 0)
                    writeParameter (phraseSteps[nextWrite].slot, phraseSteps[nextWrite].value);

            Events events;
            for (; next < phraseSteps.size() && phraseSteps[next].time < start + size; ++next)
                if (phraseSteps[next].midi[0] != 0)
                    events.push_back ({ phraseSteps[next].time - start, phraseSteps[next].midi });

            renderBlock (size, events);
            start += size;
        }
    }

    /** Left and right, one after the other for each block. */
    using Render = std::vector<float>;

    /** The VST 2 library's render of the steps, after loading the state
        block if any. */
    Render renderVst2 (const std::vector<int>& sizes, const std::vector<std::uint8_t>& state,
                       const std::vector<Step>& phraseSteps = steps);

    /** One VST 2 instance playing the steps once for each state block in
        turn, loading each as a chunk before it: one render per block. */
    std::vector<Render> renderVst2InTurn (const std::vector<int>& sizes, const std::vector<std::vector<std::uint8_t>>& states,
                                          const std::vector<Step>& phraseSteps);

    /** What the VST 2 library hands back after taking the block. */
    std::vector<std::uint8_t> vst2RoundTrip (const std::vector<std::uint8_t>& block);
}
