// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A control that edits only under the left mouse button.

    JUCE's sliders and buttons take a press of any button as an edit: a right
    click on a bar slider moves it to the pointer, one on a toggle flips it.
    Here a press that is not the left button alone, and everything until its
    release (drags, the release, a double-click), never reaches the control.
    Hover, the wheel and the keyboard are left to the control as they are. */
template <typename Control>
class LeftButtonOnly : public Control
{
public:
    using Control::Control;

    void mouseDown (const juce::MouseEvent& e) override
    {
        ignoring = e.mods.withOnlyMouseButtons() != juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier);

        if (! ignoring)
            Control::mouseDown (e);
    }

    void mouseDrag (const juce::MouseEvent& e) override
    {
        if (! ignoring)
            Control::mouseDrag (e);
    }

    void mouseUp (const juce::MouseEvent& e) override
    {
        if (! ignoring)
            Control::mouseUp (e);
    }

    void mouseDoubleClick (const juce::MouseEvent& e) override
    {
        if (! ignoring)
            Control::mouseDoubleClick (e);
    }

private:
    // Set from the press that began the current gesture.
    bool ignoring = false;
};
