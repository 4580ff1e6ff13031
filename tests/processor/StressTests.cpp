// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProcessorRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <random>
#include <thread>

// One thread processes blocks as the host adapter does, holding
// callbackLock, while others write parameters, save, load and read. Run
// under ThreadSanitizer this proves the sharing free of data races.
TEST (Concurrency, BlocksParametersAndStatesTogether)
{
    ProcessorRig rig (44100.0, 256);
    JuceFilter& filter = *rig.filter;
    std::atomic<bool> running { true };
    std::atomic<long> blocks { 0 };

    juce::MemoryBlock valid;
    filter.saveState (valid);

    std::thread audio ([&] {
        std::mt19937 random (1);
        juce::AudioBuffer<float> output (2, 256);
        juce::AudioBuffer<float> input (0, 0);
        juce::MidiBuffer midi;
        const int sizes[] = { 256, 64, 1, 100, 0 };
        while (running.load())
        {
            const int size = sizes[random() % std::size (sizes)];
            output.setSize (2, size, false, false, true);
            midi.clear();
            const juce::uint8 on[] = { 0x90, (juce::uint8) (30 + random() % 60), 100 };
            const juce::uint8 off[] = { 0x80, (juce::uint8) (30 + random() % 60), 0 };
            const juce::uint8 bend[] = { 0xe0, 0, (juce::uint8) (random() % 128) };
            const juce::uint8 cut[] = { 0xb0, 123, 0 };
            midi.addEvent (on, 3, 0);
            midi.addEvent (off, 3, 0);
            midi.addEvent (bend, 3, 0);
            if (random() % 50 == 0)
                midi.addEvent (cut, 3, 0);

            const juce::ScopedLock sl (filter.callbackLock);
            filter.process (input, output, false, midi);
            for (int i = 0; i < size; ++i)
                if (! std::isfinite (output.getSample (0, i)))
                    std::abort();
            blocks.fetch_add (1);
        }
    });

    std::thread writer ([&] {
        std::mt19937 random (2);
        const int hot[] = { 2, 14, 15, 16, 17, 12, 13, 1 };
        for (int n = 0; n < 20000; ++n)
        {
            const int index = random() % 3 == 0 ? (int) (random() % 20) - 1 : hot[random() % std::size (hot)];
            const float value = random() % 4 == 0 ? std::bit_cast<float> ((std::uint32_t) random())
                                                  : (float) (random() % 7) * 0.5f;
            if (n % 2 == 0)
                filter.setParameterValue (index, value);
            else
                filter.setParameterAndInformHost (index, value);
            (void) filter.parameterText (index);
        }
    });

    std::thread loader ([&] {
        std::mt19937 random (3);
        for (int n = 0; n < 3000; ++n)
        {
            juce::MemoryBlock b (valid);
            if (n % 3 == 1)
                static_cast<char*> (b.getData())[8 + random() % 195] = (char) random();
            else if (n % 3 == 2)
                b.setSize (random() % b.getSize());
            filter.loadState (b.getData(), (int) b.getSize());

            juce::MemoryBlock saved;
            filter.saveState (saved);
            if (n % 7 == 0)
            {
                // The editor's refresh: every slot under the lock.
                const juce::ScopedLock sl (filter.callbackLock);
                for (int i = 0; i < 18; ++i)
                    (void) filter.parameterValue (i);
            }
            if (n % 100 == 0)
            {
                filter.renameProgram (0, "P" + juce::String (n));
                (void) filter.programName (0);
            }
        }
    });

    writer.join();
    loader.join();
    running.store (false);
    audio.join();
    EXPECT_GT (blocks.load(), 0);
}
