// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

/** How the plug-in shares Xlib with the host process it lives in.

    - X errors on the framework's own connection are the plug-in's business:
      they go to a handler that ignores them, never to Xlib's default one,
      which would end the host with exit(). Errors on the host's connections
      go on to whatever handler the host had.
    - The framework looks some window-manager atoms up without creating
      them; without a window manager they do not exist, and it would send
      requests naming atom 0. They are made on the framework's own
      connection, so they live as long as it does.
    - Events that Xlib has already read into its queue leave nothing on the
      connection's descriptor, so waiting on it would leave them waiting. */
namespace PluginX11
{
    /** Counted: the first call installs the handler, after the framework
        is initialised (for LV2 and VST3 its message thread has opened the
        connection by the time the first instance is made). */
    void installErrorHandler();

    /** Counted: the call matching the first puts the previous handler
        back, before the framework shuts down. */
    void removeErrorHandler();

    /** Opens the framework's connection if needed and makes every atom it
        relies on exist on it. False without an X display. Baton held. */
    bool prepareWindowSystem();

    /** Handles the events already in the framework connection's queue;
        false when there were none. Baton held. */
    bool deliverQueuedEvents();
}
