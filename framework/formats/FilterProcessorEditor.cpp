// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "FilterProcessorEditor.h"

#include "FilterProcessor.h"
#include "framework/AudioFilterEditor.h"
#include "framework/x11/PluginX11.h"

FilterProcessorEditor::FilterProcessorEditor (FilterProcessor& owner, AudioFilterEditor* editorComponent)
    : juce::AudioProcessorEditor (owner),
      content (editorComponent)
{
    // Before the first window: the atoms it names exist even without a
    // window manager.
    PluginX11::prepareWindowSystem();

    // The content paints its whole area.
    setOpaque (true);
    content->setOpaque (true);
    addAndMakeVisible (*content);
    content->setTopLeftPosition (0, 0);

    setResizable (false, false);
    setSize (content->getWidth(), content->getHeight());
}

FilterProcessorEditor::~FilterProcessorEditor()
{
    // The content clears the processor's record of it as it goes.
    content.reset();
}
