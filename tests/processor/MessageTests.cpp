// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
// Before any framework header: the X11 headers that the GUI module pulls in
// define macros (None, Bool) that clash with the test library's names.
#include <gtest/gtest.h>

#include "ProcessorRig.h"
#include "framework/AudioFilterEditor.h"

namespace juce
{
    // The framework's own message pump (its modal loops are compiled out).
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    struct GuiEnvironment : public ::testing::Environment
    {
        void SetUp() override { gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
        void TearDown() override { gui.reset(); }
        std::unique_ptr<juce::ScopedJuceInitialiser_GUI> gui;
    };

    [[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment (new GuiEnvironment);

    void pumpMessages()
    {
        const auto end = juce::Time::getMillisecondCounter() + 50;
        while (juce::Time::getMillisecondCounter() < end)
            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
    }

    struct CountingListener : public juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster* source) override
        {
            ++count;
            lastSource = source;
        }
        int count = 0;
        juce::ChangeBroadcaster* lastSource = nullptr;
    };
}

TEST (ChangeBroadcast, OnlyStateLoadsBroadcastAndTheyFold)
{
    JuceFilter filter;
    CountingListener listener;
    filter.addChangeListener (&listener);

    juce::MemoryBlock state;
    filter.saveState (state);
    const juce::uint8 tooShort[8] = { 0x56, 0x43, 0x32, 0x21, 1, 0, 0, 0 };

    filter.setParameterValue (3, 0.5f);
    filter.setParameterAndInformHost (4, 0.5f);
    filter.renameProgram (0, "Pad");
    pumpMessages();
    EXPECT_EQ (listener.count, 0);

    // Several loads before the message thread runs arrive as one.
    filter.loadState (state.getData(), (int) state.getSize());
    filter.loadState (tooShort, 8);
    filter.loadState (tooShort, 3);
    pumpMessages();
    EXPECT_EQ (listener.count, 1);
    EXPECT_EQ (listener.lastSource, &filter);

    // A rejected block alone still makes an open editor refresh.
    filter.loadState (tooShort, 8);
    pumpMessages();
    EXPECT_EQ (listener.count, 2);

    filter.removeChangeListener (&listener);
}

TEST (EditorRecord, OneOpenEditorAtATime)
{
    JuceFilter filter;
    EXPECT_EQ (filter.getActiveEditor(), nullptr);

    auto* first = filter.createEditorIfNeeded();
    ASSERT_NE (first, nullptr);
    EXPECT_EQ (filter.createEditorIfNeeded(), first);
    EXPECT_EQ (filter.getActiveEditor(), first);
    EXPECT_EQ (first->getOwner(), &filter);

    filter.editorBeingDeleted (nullptr);   // a stranger leaves the record alone
    EXPECT_EQ (filter.getActiveEditor(), first);

    delete first;
    EXPECT_EQ (filter.getActiveEditor(), nullptr);

    std::unique_ptr<AudioFilterEditor> second (filter.createEditorIfNeeded());
    EXPECT_NE (second, nullptr);
    EXPECT_EQ (filter.getActiveEditor(), second.get());
    second.reset();
    EXPECT_EQ (filter.getActiveEditor(), nullptr);
}
