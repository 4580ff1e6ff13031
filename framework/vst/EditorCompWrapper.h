// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "framework/AudioFilterEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The component that holds an open editor inside the host's window: opaque,
    of the editor's size, with the editor at its top-left corner. It owns the
    editor and deletes it with itself. */
class EditorCompWrapper : public juce::Component
{
public:
    explicit EditorCompWrapper (AudioFilterEditor* editorToHold);
    ~EditorCompWrapper() override;

    AudioFilterEditor* getEditor() const noexcept { return editor.get(); }

    /** Puts this component on the desktop as an undecorated native window
        inside the host's X11 window and shows it. False when there is no X
        display to put it on. */
    bool attachToHost (void* hostWindow);

    bool isAttachedToHost() const noexcept { return attached; }

    void paint (juce::Graphics&) override;
    void resized() override;
    void childBoundsChanged (juce::Component*) override;

private:
    std::unique_ptr<AudioFilterEditor> editor;
    bool attached = false;

    JUCE_DECLARE_NON_COPYABLE (EditorCompWrapper)
};
