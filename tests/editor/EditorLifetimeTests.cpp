// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EditorRig.h"

#include <atomic>
#include <thread>

using namespace editortest;

// The host opens and closes the window over and over while its audio thread
// keeps processing under callbackLock, as the adapter does. Run under the
// sanitizers this catches races, use-after-free and leaks in the editor's
// life: refresh under the lock, pending echoes and change messages outliving
// the editor, the look-and-feel going before its controls.
TEST (EditorLifetime, OpenAndCloseTwoHundredTimesWhileBlocksAreProcessed)
{
    Rig rig;
    constexpr int blockSize = 64;
    rig.filter.prepare (44100.0, blockSize);

    juce::MemoryBlock state;
    rig.filter.saveState (state);

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> input (0, blockSize);
        juce::AudioBuffer<float> output (2, blockSize);
        juce::MidiBuffer midi;
        int note = 40;

        while (running.load())
        {
            midi.clear();
            midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 3);
            midi.addEvent (juce::MidiMessage::noteOff (1, note - 7), 20);
            note = note < 80 ? note + 1 : 40;

            {
                const juce::ScopedLock sl (rig.filter.callbackLock);
                rig.filter.process (input, output, false, midi);
            }

            blocks.fetch_add (1);
            std::this_thread::yield();
        }
    });

    for (int i = 0; i < 200; ++i)
    {
        auto& editor = rig.openEditor();

        switch (i % 4)
        {
            case 0:   // closed before the wave-shape echo arrives
                break;
            case 1:   // a user edit and the echo
                rig.slider (i % 14).setValue ((i % 10) / 10.0, juce::sendNotificationSync);
                deliverPendingMessages();
                break;
            case 2:   // a state load whose change message is still pending at close
                rig.filter.setParameterValue (15, 1.0f + (float) (i % 5));
                rig.filter.loadState (state.getData(), (int) state.getSize());
                break;
            default:   // painted, then refreshed by a delivered load
                editor.createComponentSnapshot (editor.getLocalBounds());
                rig.filter.loadState (state.getData(), (int) state.getSize());
                deliverPendingMessages();
                break;
        }

        EXPECT_EQ (rig.filter.getActiveEditor(), &editor);
        rig.closeEditor();
        EXPECT_EQ (rig.filter.getActiveEditor(), nullptr);
    }

    deliverPendingMessages();
    running.store (false);
    audio.join();

    EXPECT_GT (blocks.load(), 0);
}
