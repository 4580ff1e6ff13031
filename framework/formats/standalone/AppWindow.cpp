// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AppWindow.h"

AppWindow::AppWindow (const juce::String& title, AppAudio& audio, juce::PropertySet& settingsToUse)
    : juce::DocumentWindow (title, juce::Colour (0xff2b2d30), juce::DocumentWindow::closeButton),
      settings (settingsToUse),
      content (audio, settingsToUse)
{
    // The framework's own title bar, the same on every desktop.
    setUsingNativeTitleBar (false);
    setResizable (false, false);
    setContentNonOwned (&content, true);

    const auto x = settings.getIntValue ("windowX", -100000);
    const auto y = settings.getIntValue ("windowY", -100000);
    // Only where the title bar can still be grabbed (the screens may have changed).
    const juce::Point<int> titleBar { x + 40, y + 10 };
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForPoint (titleBar);
    const auto onScreen = display != nullptr && display->userArea.contains (titleBar);
    if (x != -100000 && y != -100000 && onScreen)
        setTopLeftPosition (x, y);
    else
        centreWithSize (getWidth(), getHeight());
}

AppWindow::~AppWindow()
{
    settings.setValue ("windowX", getX());
    settings.setValue ("windowY", getY());
    clearContentComponent();
}

void AppWindow::closeButtonPressed()
{
    juce::JUCEApplication::getInstance()->systemRequestedQuit();
}

void AppWindow::activeWindowStatusChanged()
{
    juce::DocumentWindow::activeWindowStatusChanged();
    if (isActiveWindow())
        content.grabKeyboardFocus();
    else
        content.releaseComputerKeys();
}

bool AppWindow::keyPressed (const juce::KeyPress& key)
{
    return content.keyPressed (key) || juce::DocumentWindow::keyPressed (key);
}

bool AppWindow::keyStateChanged (bool isKeyDown)
{
    return content.keyStateChanged (isKeyDown);
}
