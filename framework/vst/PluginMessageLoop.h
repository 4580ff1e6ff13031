// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_events/juce_events.h>

/** The framework's message handling as the plug-in shares it inside a host
    process.

    The framework is initialised when the first instance is made and shut
    down after the last one is gone. Its message thread is whichever thread
    holds the baton (a process-wide recursive lock): every host call that
    touches the framework's GUI or timers takes it, and while it is held the
    calling thread is the framework's message thread.

    Who dispatches the framework's messages (timers, change messages,
    repaints, X events):
    - the host's GUI thread, from effEditIdle, while any editor is open and
      the host keeps calling effEditIdle; editor callbacks then reach the
      host on its GUI thread, as it expects;
    - otherwise a background thread of the plug-in's own: always when no
      editor is open, and when a host with an open editor has not called
      effEditIdle for a while (hosts that never do). */
class PluginMessageLoop
{
public:
    /** Keeps the framework initialised while it exists. Never destroy one
        while holding the baton. */
    class Reference
    {
    public:
        Reference();
        ~Reference();

    private:
        Reference (const Reference&) = delete;
        Reference& operator= (const Reference&) = delete;
    };

    /** Makes the calling thread the framework's message thread for the
        scope, excluding every other thread from the framework's GUI and
        message dispatch meanwhile. Re-entrant. Needs a live Reference. */
    class ScopedBaton
    {
    public:
        ScopedBaton();
        ~ScopedBaton();

    private:
        ScopedBaton (const ScopedBaton&) = delete;
        ScopedBaton& operator= (const ScopedBaton&) = delete;
    };

    /** For effEditIdle, with the baton held: runs the due timers and every
        pending message and X event, then every window's pending repaints. */
    static void dispatchForHost();

    /** Counts editors placed in a host window: while one is, the host's
        effEditIdle drives the messages. */
    static void editorAttached();
    static void editorDetached();

    /** How long the host may go without effEditIdle, with an editor open,
        before the background thread dispatches again. */
    static constexpr juce::uint32 hostStallMs = 250;

    /** True while the host's effEditIdle is the one dispatching. */
    static bool isHostDriving() noexcept;

    /** Number of live References (for tests). */
    static int getNumReferences() noexcept;
};
