// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "PluginX11.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_events/native/juce_linux_EventLoopInternal.h>

#include <atomic>
#include <mutex>

namespace
{
    // The framework's connection once known; errors on it are ignored.
    std::atomic<::Display*> ownDisplay { nullptr };

    // What was installed before ours: the host's handler or Xlib's default.
    std::atomic<XErrorHandler> previousHandler { nullptr };

    std::mutex installLock;   // guards the two below
    int installCount = 0;
    bool installed = false;

    // The framework's connection, when its window system is up already.
    ::Display* currentDisplay()
    {
        auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
        return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    }

    int handleXError (::Display* display, XErrorEvent* event)
    {
        if (display != nullptr && display == ownDisplay.load())
            return 0;

        if (auto* previous = previousHandler.load())
            return previous (display, event);

        return 0;
    }

    // The names the framework looks up without creating them.
    constexpr const char* lookedUpAtoms[] = {
        "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE", "WM_STATE",
        "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN", "_NET_WM_STATE_FULLSCREEN",
        "_NET_FRAME_EXTENTS", "_NET_WORKAREA", "_MOTIF_WM_HINTS"
    };

    bool anyMissing (const juce::XWindowSystemUtilities::Atoms& atoms) noexcept
    {
        return atoms.protocols == 0 || atoms.protocolList[0] == 0 || atoms.protocolList[1] == 0
               || atoms.protocolList[2] == 0 || atoms.changeState == 0 || atoms.state == 0
               || atoms.windowType == 0 || atoms.windowState == 0 || atoms.windowStateHidden == 0;
    }
}

void PluginX11::installErrorHandler()
{
    const std::lock_guard<std::mutex> lock (installLock);

    if (installCount++ > 0)
        return;

    auto* x = juce::X11Symbols::getInstance();

    if (! x->loadAllSymbols())
    {
        if (juce::XWindowSystem::getInstanceWithoutCreating() == nullptr)
            juce::X11Symbols::deleteInstance();
        return;
    }

    if (auto* display = currentDisplay())
        ownDisplay = display;

    previousHandler = x->xSetErrorHandler (handleXError);
    installed = true;
}

void PluginX11::removeErrorHandler()
{
    const std::lock_guard<std::mutex> lock (installLock);

    if (installCount == 0 || --installCount > 0)
        return;

    ownDisplay = nullptr;

    if (! installed)
        return;

    installed = false;
    auto* x = juce::X11Symbols::getInstance();
    const auto current = x->xSetErrorHandler (previousHandler.load());

    // Someone installed theirs over ours meanwhile: it stays.
    if (current != handleXError)
        x->xSetErrorHandler (current);

    previousHandler = nullptr;

    // The window system, when there is one, releases the symbols as it goes;
    // otherwise they were loaded for the handler alone.
    if (juce::XWindowSystem::getInstanceWithoutCreating() == nullptr)
        juce::X11Symbols::deleteInstance();
}

bool PluginX11::prepareWindowSystem()
{
    auto* windowSystem = juce::XWindowSystem::getInstance();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;

    if (display == nullptr)
        return false;

    ownDisplay = display;

    // Made once per connection; the lookups it already did are redone.
    static ::Display* prepared = nullptr;

    if (prepared != display)
    {
        auto* x = juce::X11Symbols::getInstance();

        for (auto* name : lookedUpAtoms)
            x->xInternAtom (display, name, False);

        auto& atoms = const_cast<juce::XWindowSystemUtilities::Atoms&> (windowSystem->getAtoms());

        if (anyMissing (atoms))
            atoms = juce::XWindowSystemUtilities::Atoms (display);

        prepared = display;
    }

    return true;
}

bool PluginX11::deliverQueuedEvents()
{
    auto* display = currentDisplay();

    if (display == nullptr)
        return false;

    ownDisplay = display;
    auto* x = juce::X11Symbols::getInstance();

    if (x->xEventsQueued (display, QueuedAlready) <= 0)
        return false;

    // The framework's own handler for its connection drains the queue.
    juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd (x->xConnectionNumber (display));
    return true;
}
