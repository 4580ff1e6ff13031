// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "CrashCleanup.h"

#include <unistd.h>

#include <csignal>
#include <cstring>
#include <mutex>

namespace
{
    // Fixed storage: a signal handler may not allocate.
    constexpr int maxFiles = 64;
    constexpr size_t maxPath = 4096;
    char paths[maxFiles][maxPath] = {};
    volatile std::sig_atomic_t inUse[maxFiles] = {};
    std::mutex slots;   // batch workers watch and forget side by side

    void say (const char* text)
    {
        const auto ignored = write (STDERR_FILENO, text, std::strlen (text));
        (void) ignored;
    }

    extern "C" void onFatalSignal (int signalNumber)
    {
        for (int i = 0; i < maxFiles; ++i)
            if (inUse[i] != 0)
                unlink (paths[i]);

        if (signalNumber == SIGINT || signalNumber == SIGTERM || signalNumber == SIGHUP)
        {
            say ("\nzephyrine-render: interrupted; no output was written\n");
            // Die of the same signal, as a shell expects of an interrupted program.
            std::signal (signalNumber, SIG_DFL);
            std::raise (signalNumber);
            return;
        }

        say ("\nzephyrine-render: error: the render crashed (in the plug-in?); no output was written\n");
        _exit (128 + signalNumber);
    }
}

namespace CrashCleanup
{
    void install()
    {
        for (int signalNumber : { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGINT, SIGTERM, SIGHUP })
            std::signal (signalNumber, onFatalSignal);
        // A reader that goes away shows as a failed write ("Broken pipe"), handled like any other.
        std::signal (SIGPIPE, SIG_IGN);
    }

    void watch (const std::string& path)
    {
        if (path.size() >= maxPath)
            return;
        const std::lock_guard<std::mutex> guard (slots);
        for (int i = 0; i < maxFiles; ++i)
            if (inUse[i] == 0)
            {
                std::memcpy (paths[i], path.c_str(), path.size() + 1);
                inUse[i] = 1;
                return;
            }
    }

    void forget (const std::string& path)
    {
        const std::lock_guard<std::mutex> guard (slots);
        for (int i = 0; i < maxFiles; ++i)
            if (inUse[i] != 0 && path == paths[i])
                inUse[i] = 0;
    }
}
