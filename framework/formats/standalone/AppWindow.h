// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "AppWindowContent.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The app's one window: a fixed-size frame around the content, with its
    own title bar and close button, at the place it had last time. Closing
    it quits the app. */
class AppWindow : public juce::DocumentWindow
{
public:
    AppWindow (const juce::String& title, AppAudio& audio, juce::PropertySet& settings);
    ~AppWindow() override;

    AppWindowContent& getContent() noexcept { return content; }

    void closeButtonPressed() override;
    void activeWindowStatusChanged() override;

    // Keys that reach the window itself (when nothing inside has the focus)
    // still play.
    bool keyPressed (const juce::KeyPress& key) override;
    bool keyStateChanged (bool isKeyDown) override;

private:
    juce::PropertySet& settings;
    AppWindowContent content;

    JUCE_DECLARE_NON_COPYABLE (AppWindow)
};
