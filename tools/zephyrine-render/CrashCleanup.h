// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <string>

/** The plug-in runs inside this process and may crash it, or the user may
    interrupt a long render (Ctrl-C, kill, closing the terminal). Temporary
    files registered here are removed when such a signal arrives, so that no
    partial file is left behind, and the user is told what happened. Safe to
    use from several threads. */
namespace CrashCleanup
{
    /** Installs the signal handlers; call once at start-up. */
    void install();

    /** Removes the file on a fatal signal until it is forgotten again. */
    void watch (const std::string& path);
    void forget (const std::string& path);
}
