// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// The host's side of the VST 2 editor tests on an X server of their own.
#include "VstTestHost.h"

#include "../common/OwnXServer.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace vsttest
{
    using xtest::OwnXServer;
    using xtest::runInChild;

    /** The host's own display and a window for the editor. */
    struct BareHostWindow
    {
        BareHostWindow()
        {
            for (int attempt = 0; attempt < 30 && display == nullptr; ++attempt)
                if ((display = XOpenDisplay (nullptr)) == nullptr)
                    sleepMs (100);
            if (display == nullptr)
                std::exit (3);
            window = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 500, 200, 0, 0, 0);
            XMapWindow (display, window);
            XSync (display, False);
        }

        void* handle() const { return reinterpret_cast<void*> (window); }

        Display* display = nullptr;
        Window window = 0;
    };

    inline void idle (vsthost::Plugin& p, int times)
    {
        for (int i = 0; i < times; ++i)
        {
            p.dispatch (effEditIdle);
            sleepMs (10);
        }
    }
}
