// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ControlWatcher.h"

#include "editor/EditorLayout.h"

namespace
{
    bool sameBox (juce::Rectangle<int> bounds, const editorlayout::Box& box) noexcept
    {
        return bounds == juce::Rectangle<int> (box.x, box.y, box.w, box.h);
    }
}

ControlWatcher::ControlWatcher (juce::Component& editorToWatch)
    : editor (editorToWatch)
{
    editor.addMouseListener (this, true);
}

ControlWatcher::~ControlWatcher()
{
    editor.removeMouseListener (this);
}

int ControlWatcher::slotAt (juce::Rectangle<int> controlBounds) noexcept
{
    for (size_t i = 0; i < editorlayout::sliderBounds.size(); ++i)
        if (sameBox (controlBounds, editorlayout::sliderBounds[i]))
            return (int) i;
    for (size_t i = 0; i < editorlayout::waveShapeBounds.size(); ++i)
        if (sameBox (controlBounds, editorlayout::waveShapeBounds[i]))
            return 14 + (int) i;
    for (size_t i = 0; i < editorlayout::toggleBounds.size(); ++i)
        if (sameBox (controlBounds, editorlayout::toggleBounds[i]))
            return 16 + (int) i;
    return -1;
}

int ControlWatcher::slotOf (const juce::MouseEvent& event) const
{
    // Climb from whatever part was hit (a combo box's label, say) to the
    // control that sits directly in the 500 x 200 editor component.
    for (auto* c = event.eventComponent; c != nullptr && c != &editor; c = c->getParentComponent())
    {
        auto* parent = c->getParentComponent();
        if (parent != nullptr && parent->getWidth() == editorlayout::width
            && parent->getHeight() == editorlayout::height)
            if (const auto slot = slotAt (c->getBounds()); slot >= 0)
                return slot;
    }
    return -1;
}

void ControlWatcher::setSlots (int newHovering, int newDragging)
{
    if (newHovering == hovering && newDragging == dragging)
        return;
    hovering = newHovering;
    dragging = newDragging;
    if (onWatchedSlotChanged)
        onWatchedSlotChanged();
}

void ControlWatcher::mouseEnter (const juce::MouseEvent& event)
{
    setSlots (slotOf (event), dragging);
}

void ControlWatcher::mouseExit (const juce::MouseEvent& event)
{
    // Leaving a part of a control for another part of it is not leaving it.
    const auto slot = slotOf (event);
    const auto stillInside = slot >= 0 && slot == hovering
                             && event.eventComponent != nullptr
                             && event.eventComponent->getScreenBounds().contains (event.getScreenPosition());
    if (! stillInside)
        setSlots (-1, dragging);
}

void ControlWatcher::mouseDown (const juce::MouseEvent& event)
{
    const auto slot = slotOf (event);
    if (slot < 0)
        return;
    if (event.mods.isPopupMenu())
    {
        if (onControlMenu)
            onControlMenu (slot);
        return;
    }
    setSlots (slot, slot);
}

void ControlWatcher::mouseUp (const juce::MouseEvent& event)
{
    // The pointer may have left the control during the drag.
    const auto over = event.eventComponent != nullptr
                      && event.eventComponent->getScreenBounds().contains (event.getScreenPosition());
    setSlots (over ? hovering : -1, -1);
}
