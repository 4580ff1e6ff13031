// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EditorRig.h"

#include "engine/ParameterBlock.h"

#include <cmath>
#include <limits>

using namespace editortest;

namespace
{
    // The values a slot's default holds, as the processor reports them.
    float defaultOf (int slot) { return ParameterBlock::defaultValue (slot); }

    juce::MouseEvent mouseAt (juce::Component& c, float x, juce::Point<float> downAt, bool dragged)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), { x, 8.0f }, juce::ModifierKeys::leftButtonModifier, juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f, &c, &c, now, downAt, now, 1, dragged };
    }

    // Presses at the left edge and drags in small steps to the right edge.
    void dragAcross (juce::Slider& s)
    {
        const juce::Point<float> down { 1.0f, 8.0f };
        s.mouseDown (mouseAt (s, down.x, down, false));

        for (float x = 2.0f; x <= (float) s.getWidth(); x += 3.0f)
            s.mouseDrag (mouseAt (s, x, down, true));

        s.mouseUp (mouseAt (s, (float) s.getWidth(), down, true));
    }
}

TEST (EditorBehaviour, OpeningShowsTheProcessorAndTellsTheHostNothing)
{
    Rig rig;
    auto& editor = rig.openEditor();

    EXPECT_EQ (editor.getWidth(), 500);
    EXPECT_EQ (editor.getHeight(), 200);

    for (int slot = 0; slot < 14; ++slot)
        EXPECT_EQ (rig.slider (slot).getValue(), (double) defaultOf (slot)) << "slot " << slot;

    EXPECT_EQ (rig.box (0).getText(), "Saw1");
    EXPECT_EQ (rig.box (1).getText(), "Saw1");
    EXPECT_TRUE (rig.toggle (0).getToggleState());
    EXPECT_TRUE (rig.toggle (1).getToggleState());

    // The boxes' notifications of the selections the editor made itself
    // arrive later and tell the host nothing: nobody chose anything.
    deliverPendingMessages();
    EXPECT_TRUE (rig.host.sent.empty());

    editor.processorChanged (&rig.filter);
    deliverPendingMessages();
    EXPECT_TRUE (rig.host.sent.empty());
}

TEST (EditorBehaviour, WaveShapeIdsOutsideTheListLeaveTheBoxAndTheSlotAlone)
{
    Rig rig;
    rig.filter.setParameterValue (14, 0.4f);
    rig.filter.setParameterValue (15, 2.7f);
    rig.openEditor();

    EXPECT_EQ (rig.box (0).getSelectedId(), 0);
    EXPECT_EQ (rig.box (0).getText(), "");
    EXPECT_EQ (rig.box (1).getText(), "Saw1");

    deliverPendingMessages();
    EXPECT_TRUE (rig.host.sent.empty());
    EXPECT_EQ (rig.filter.parameterValue (14), 0.4f);
    EXPECT_EQ (rig.filter.parameterValue (15), 2.7f);

    // At a later refresh an unknown id keeps whatever the box shows.
    rig.filter.setParameterValue (15, 9.0f);
    rig.editor->refreshControls();
    EXPECT_EQ (rig.box (1).getText(), "Saw1");
}

TEST (EditorBehaviour, AStateLoadWinsOverTheWaveShapeEcho)
{
    juce::MemoryBlock state;
    {
        JuceFilter other;
        other.setParameterValue (14, 5.0f);
        other.setParameterValue (15, 3.0f);
        other.saveState (state);
    }

    // Loaded before the boxes' notifications of what the new editor showed arrive.
    Rig rig;
    rig.openEditor();
    rig.filter.loadState (state.getData(), (int) state.getSize());
    deliverPendingMessages();

    EXPECT_EQ (rig.filter.parameterValue (14), 5.0f);
    EXPECT_EQ (rig.filter.parameterValue (15), 3.0f);
    EXPECT_EQ (rig.box (0).getSelectedId(), 5);
    EXPECT_EQ (rig.box (1).getSelectedId(), 3);

    // The host only ever hears what the slots hold.
    for (auto [slot, value] : rig.host.sent)
        EXPECT_EQ (value, rig.filter.parameterValue (slot)) << "slot " << slot;
}

TEST (EditorBehaviour, ControlsShowConstrainedValuesAndNeverCorrectTheProcessor)
{
    Rig rig;
    struct SlotValue
    {
        int slot;
        float value;
    };
    const SlotValue stored[] { { 2, 0.25f }, { 13, 0.75f }, { 0, 1.7f }, { 1, -0.3f }, { 16, -0.7f }, { 17, 0.5f } };

    for (auto [slot, value] : stored)
        rig.filter.setParameterValue (slot, value);

    rig.openEditor();
    EXPECT_EQ (rig.slider (2).getValue(), 0.5);       // Oct 0.25 snaps up to the middle
    EXPECT_EQ (rig.slider (13).getValue(), 1.0);      // Arp 0.75 snaps to the right end
    EXPECT_EQ (rig.slider (0).getValue(), 1.0);       // Disp 1.7 shows full
    EXPECT_EQ (rig.slider (1).getValue(), 0.0);       // Rand -0.3 shows empty
    EXPECT_TRUE (rig.toggle (0).getToggleState());    // -0.7 rounds to -1
    EXPECT_FALSE (rig.toggle (1).getToggleState());   // 0.5 rounds to 0

    struct SwitchCase
    {
        float value;
        bool on;
    };
    for (auto [value, on] : { SwitchCase { 0.51f, true }, { 2.5f, true }, { 0.5f, false }, { -0.5f, false }, { 1.5f, true } })
    {
        rig.filter.setParameterValue (16, value);
        rig.editor->refreshControls();
        EXPECT_EQ (rig.toggle (0).getToggleState(), on) << value;
    }

    rig.filter.setParameterValue (2, 0.2f);
    rig.editor->refreshControls();
    EXPECT_EQ (rig.slider (2).getValue(), 0.0);

    deliverPendingMessages();
    for (auto [slot, value] : stored)
    {
        if (slot != 2 && slot != 16)
        {
            EXPECT_EQ (rig.filter.parameterValue (slot), value) << "slot " << slot;
        }
    }

    EXPECT_EQ (rig.filter.parameterValue (2), 0.2f);

    EXPECT_TRUE (rig.host.sent.empty());
}

TEST (EditorBehaviour, HostileSlotValuesShowSomethingSaneAndSendNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    for (float value : { nan, inf, -inf, 3.0e38f, -3.0e38f, 1.0e-45f })
    {
        Rig rig;
        for (int slot = 0; slot < 18; ++slot)
            rig.filter.setParameterValue (slot, value);

        rig.openEditor();
        deliverPendingMessages();
        EXPECT_TRUE (rig.host.sent.empty()) << value;

        for (int slot = 0; slot < 14; ++slot)
        {
            const double shown = rig.slider (slot).getValue();
            EXPECT_TRUE (shown >= 0.0 && shown <= 1.0) << value << " slot " << slot;
        }

        EXPECT_EQ (rig.box (0).getSelectedId(), 0) << value;
        EXPECT_EQ (rig.toggle (0).getToggleState(), ! std::isnan (value) && std::abs (value) > 0.5f) << value;

        // The picture still renders.
        EXPECT_EQ (rig.editor->createComponentSnapshot (rig.editor->getLocalBounds()).getWidth(), 500);
    }
}

TEST (EditorBehaviour, UserEditsGoToTheHostAtOnceWithTheirSlots)
{
    Rig rig;
    rig.openEditor();
    deliverPendingMessages();
    rig.host.sent.clear();

    for (int slot = 0; slot < 14; ++slot)
    {
        if (slot == 2 || slot == 13)
            continue;

        const double value = 0.03125 + slot * 0.0625;
        rig.slider (slot).setValue (value, juce::sendNotificationSync);
        ASSERT_EQ (rig.host.sent.size(), 1u) << "slot " << slot;
        EXPECT_EQ (rig.host.sent.back(), std::make_pair (slot, (float) value));
        EXPECT_EQ (rig.filter.parameterValue (slot), (float) value);
        rig.host.sent.clear();
    }

    // Oct and Arp dragged from end to end report only their three steps.
    for (int slot : { 2, 13 })
    {
        rig.slider (slot).setValue (0.0, juce::dontSendNotification);
        dragAcross (rig.slider (slot));
        ASSERT_FALSE (rig.host.sent.empty()) << "slot " << slot;

        for (auto [index, value] : rig.host.sent)
        {
            EXPECT_EQ (index, slot);
            EXPECT_TRUE (value == 0.0f || value == 0.5f || value == 1.0f) << value;
        }

        EXPECT_EQ (rig.host.sent.back().second, 1.0f);
        rig.host.sent.clear();
    }

    // Each click flips a toggle and sends its new state.
    for (int i = 0; i < 2; ++i)
    {
        rig.toggle (i).triggerClick();
        deliverPendingMessages();
        rig.toggle (i).triggerClick();
        deliverPendingMessages();
        EXPECT_EQ (rig.host.sent, (Sent { { 16 + i, 0.0f }, { 16 + i, 1.0f } }));
        rig.host.sent.clear();
    }

    // Choosing "Sqr" in P2, as the list does, arrives asynchronously.
    rig.box (1).setSelectedId (5, juce::sendNotificationAsync);
    deliverPendingMessages();
    EXPECT_EQ (rig.host.sent, (Sent { { 15, 5.0f } }));
    EXPECT_EQ (rig.filter.parameterValue (15), 5.0f);
}

TEST (EditorBehaviour, OnlyAStateLoadMovesTheControls)
{
    Rig rig;
    auto& editor = rig.openEditor();
    deliverPendingMessages();
    rig.host.sent.clear();

    struct Counter : juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++calls; }
        int calls = 0;
    } counter;
    rig.filter.addChangeListener (&counter);

    // Host automation is not shown.
    rig.filter.setParameterValue (0, 0.9f);
    rig.filter.setParameterValue (16, 0.0f);
    rig.filter.setParameterValue (14, 4.0f);
    deliverPendingMessages();
    EXPECT_EQ (rig.slider (0).getValue(), (double) defaultOf (0));
    EXPECT_TRUE (rig.toggle (0).getToggleState());
    EXPECT_EQ (rig.box (0).getText(), "Saw1");

    // A state from another instance, loaded twice before the messages run.
    juce::MemoryBlock state;
    {
        JuceFilter other;
        for (int slot = 0; slot < 14; ++slot)
            other.setParameterValue (slot, 0.5f);
        other.setParameterValue (14, 2.0f);   // unchanged from what P1 shows
        other.setParameterValue (15, 3.0f);
        other.setParameterValue (17, 0.0f);
        other.saveState (state);
    }

    rig.filter.loadState (state.getData(), (int) state.getSize());
    rig.filter.loadState (state.getData(), (int) state.getSize());
    EXPECT_EQ (rig.slider (0).getValue(), (double) defaultOf (0));   // not before the message

    deliverPendingMessages();
    EXPECT_EQ (counter.calls, 1);

    for (int slot = 0; slot < 14; ++slot)
        EXPECT_EQ (rig.slider (slot).getValue(), 0.5) << "slot " << slot;

    EXPECT_EQ (rig.box (0).getText(), "Saw1");
    EXPECT_EQ (rig.box (1).getText(), "Saw2");
    EXPECT_TRUE (rig.toggle (0).getToggleState());
    EXPECT_FALSE (rig.toggle (1).getToggleState());

    // A load is the host's own doing: nothing goes back to it.
    EXPECT_TRUE (rig.host.sent.empty());

    // Another processor's broadcast, or none at all, changes nothing.
    JuceFilter stranger;
    stranger.setParameterValue (0, 0.1f);
    rig.filter.setParameterValue (0, 0.2f);
    editor.processorChanged (static_cast<juce::ChangeBroadcaster*> (&stranger));
    editor.processorChanged (&stranger);
    editor.processorChanged (nullptr);
    EXPECT_EQ (rig.slider (0).getValue(), 0.5);

    rig.filter.removeChangeListener (&counter);
}
