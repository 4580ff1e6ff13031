// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_events/juce_events.h>

/** For an editor that the LV2 and VST3 wrappers show: handles the X events
    already read into Xlib's queue. Those wrappers have the framework's
    connection handled only when its descriptor is readable (the host's run
    loop, the LV2 idle call, the framework's own message thread), and events
    that another call read in leave nothing on it: a list's window could stay
    up after a quick click, or the editor unpainted beneath it, until the next
    mouse movement. A timer runs wherever the framework's messages are
    dispatched, so it reaches them in every one of those cases. */
class QueuedEventPump : private juce::Timer
{
public:
    /** On the message thread, once the framework's window system is up. */
    QueuedEventPump();
    ~QueuedEventPump() override;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE (QueuedEventPump)
};
