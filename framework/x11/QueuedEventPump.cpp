// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "QueuedEventPump.h"

#include "PluginX11.h"

namespace
{
    // As often as the VST 2 library's own dispatcher looks.
    constexpr int intervalMs = 10;
}

QueuedEventPump::QueuedEventPump()
{
    startTimer (intervalMs);
}

QueuedEventPump::~QueuedEventPump()
{
    stopTimer();
}

void QueuedEventPump::timerCallback()
{
    PluginX11::deliverQueuedEvents();
}
