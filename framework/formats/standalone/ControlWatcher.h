// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** Watches the mouse over the editor from outside it, without changing the
    editor: which control (by slot) is under the mouse or being dragged, and
    right-clicks on a control. The controls are told apart by the places the
    editor's fixed layout gives them. */
class ControlWatcher : private juce::MouseListener
{
public:
    /** Watches every control inside the given editor (its own children or theirs). */
    explicit ControlWatcher (juce::Component& editorToWatch);
    ~ControlWatcher() override;

    /** The slot under the mouse or being dragged, or -1. */
    int getWatchedSlot() const noexcept { return dragging >= 0 ? dragging : hovering; }

    /** The slot of the control at this place in the editor component (the
        500 x 200 one), or -1. */
    static int slotAt (juce::Rectangle<int> controlBounds) noexcept;

    /** Called on a right-click (or Ctrl-click) on a control, with its slot. */
    std::function<void (int slot)> onControlMenu;

    /** Called whenever the watched slot changes. */
    std::function<void()> onWatchedSlotChanged;

private:
    void mouseEnter (const juce::MouseEvent& event) override;
    void mouseExit (const juce::MouseEvent& event) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void mouseUp (const juce::MouseEvent& event) override;

    /** The slot of the control that the event's component is or lies in, or -1. */
    int slotOf (const juce::MouseEvent& event) const;
    void setSlots (int newHovering, int newDragging);

    juce::Component& editor;
    int hovering = -1;
    int dragging = -1;

    JUCE_DECLARE_NON_COPYABLE (ControlWatcher)
};
