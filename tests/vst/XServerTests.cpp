// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The editor on an X server of the test's own, each case in a child process
// that keeps Xlib's default X error handler.
#include "VstXHost.h"

using namespace vsttest;

TEST (VstXServer, NeitherXErrorsNorExitEndOrHangTheHost)
{
    const std::function<void()> cases[] = {
        []   // idle calls before the first open: the window system is up before the editor
        {
            BareHostWindow host;
            auto plugin = load();
            plugin->open();
            idle (*plugin, 3);
            EXPECT_EQ (plugin->dispatch (effEditOpen, 0, 0, host.handle()), 1);
            idle (*plugin, 10);
        },
        []   // sized while the plug-in is the server's only client; the host connects later
        {
            auto plugin = load();
            plugin->open();
            ERect* rect = nullptr;
            EXPECT_NE (plugin->dispatch (effEditGetRect, 0, 0, &rect), 0);
            idle (*plugin, 3);
            BareHostWindow host;
            EXPECT_EQ (plugin->dispatch (effEditOpen, 0, 0, host.handle()), 1);
            idle (*plugin, 10);
        },
        []   // the host quits with exit() inside a call of the plug-in, instances left open
        {
            static bool quitting = false;
            vsthost::HostOptions options;
            options.handler = [] (const vsthost::HostCall& call) -> std::optional<intptr_t> {
                if (quitting && call.opcode == audioMasterWantMidi)   // asked for at resume
                    std::exit (0);
                return std::nullopt;
            };
            auto plugin = vsthost::Plugin::load (pluginPath, options).plugin;
            auto other = vsthost::Plugin::load (pluginPath, options).plugin;
            plugin->open();
            other->open();
            ERect* rect = nullptr;
            plugin->dispatch (effEditGetRect, 0, 0, &rect);
            idle (*plugin, 5);
            quitting = true;
            plugin->dispatch (effMainsChanged, 0, 1);
            std::exit (4);
        },
    };

    // Each on a fresh server, so that no atom is left over from another.
    for (size_t i = 0; i < std::size (cases); ++i)
    {
        OwnXServer server;
        if (server.display.empty())
            GTEST_SKIP() << "no Xvfb";
        EXPECT_EQ (runInChild (server.display, cases[i]), 0) << "case " << i;
    }
}
