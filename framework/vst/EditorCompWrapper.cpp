// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "EditorCompWrapper.h"

EditorCompWrapper::EditorCompWrapper (AudioFilterEditor* editorToHold)
    : editor (editorToHold)
{
    setOpaque (true);
    editor->setTopLeftPosition (0, 0);
    setSize (editor->getWidth(), editor->getHeight());
    addAndMakeVisible (editor.get());
}

EditorCompWrapper::~EditorCompWrapper()
{
    // The editor goes first, while the window that shows it still exists.
    editor.reset();
    removeFromDesktop();
}

bool EditorCompWrapper::attachToHost (void* hostWindow)
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;

    if (display == nullptr || hostWindow == nullptr)
        return false;

    const auto parent = (::Window) (juce::pointer_sized_uint) hostWindow;

    setOpaque (true);
    setVisible (false);

    // No style flags: no title bar, no border, not a top-level window of its own.
    addToDesktop (0, hostWindow);

    if (auto* own = getWindowHandle())
    {
        // The window is created inside the host's already; re-parenting once
        // more puts it at the top-left corner, and the flush makes the X server
        // know it before the host moves or resizes its window.
        auto* x = juce::X11Symbols::getInstance();
        x->xReparentWindow (display, (::Window) (juce::pointer_sized_uint) own, parent, 0, 0);
        x->xFlush (display);
    }

    setVisible (true);
    repaint();
    attached = true;
    return true;
}

void EditorCompWrapper::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

void EditorCompWrapper::resized()
{
    // The window keeps the size the host was told. A host that resizes it
    // (its toolkit's packing, say) would otherwise have the window follow,
    // with a strip of this component's black beneath the editor; the window
    // goes back to the editor's size instead.
    if (editor != nullptr && (getWidth() != editor->getWidth() || getHeight() != editor->getHeight()))
        setSize (editor->getWidth(), editor->getHeight());
}

void EditorCompWrapper::childBoundsChanged (juce::Component* child)
{
    // Follows the editor should it ever change size.
    if (child == editor.get())
        setSize (editor->getWidth(), editor->getHeight());
}
