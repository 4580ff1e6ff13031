// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// An X server of the test's own: no window manager, reset when its last
// client leaves, and no other test's windows or pointer. Cases run in a child
// process on it, so that an X error reaching Xlib's default handler or an
// exit ends only the child, and a hang shows as a timeout.
#include "VstTestHost.h"

#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// Present under LeakSanitizer: a host that exits leaves its instances behind
// on purpose.
extern "C" void __lsan_disable() __attribute__ ((weak));

namespace vsttest
{
    /** A bare Xvfb on a display number it picks itself. */
    class OwnXServer
    {
    public:
        OwnXServer()
        {
            int fds[2];
            if (::pipe (fds) != 0)
                return;

            pid = ::fork();
            if (pid == 0)
            {
                ::close (fds[0]);
                char fd[16];
                std::snprintf (fd, sizeof (fd), "%d", fds[1]);
                std::freopen ("/dev/null", "w", stderr);
                ::execlp ("Xvfb", "Xvfb", "-displayfd", fd, "-nolisten", "tcp",
                          "-screen", "0", "800x600x24", (char*) nullptr);
                ::_exit (127);
            }

            // The server writes its number again at every reset, and ends
            // when it cannot: the reading end stays open while it runs.
            ::close (fds[1]);
            numberPipe = fds[0];
            pollfd ready { numberPipe, POLLIN, 0 };
            char number[16] = {};
            if (pid > 0 && ::poll (&ready, 1, 5000) == 1 && ::read (numberPipe, number, sizeof (number) - 1) > 0)
            {
                char name[24];
                std::snprintf (name, sizeof (name), ":%d", std::atoi (number));
                display = name;
            }
        }

        ~OwnXServer()
        {
            if (pid > 0)
            {
                ::kill (pid, SIGTERM);
                ::waitpid (pid, nullptr, 0);
            }
            ::close (numberPipe);
        }

        pid_t pid = -1;
        int numberPipe = -1;
        std::string display;
    };

    /** Runs body in a child process on the given display; its exit status,
        or -1 when it had to be killed after timeoutMs. */
    inline int runInChild (const std::string& display, const std::function<void()>& body, int timeoutMs = 10000)
    {
        const auto child = ::fork();
        if (child == 0)
        {
            if (__lsan_disable != nullptr)
                __lsan_disable();
            ::setenv ("DISPLAY", display.c_str(), 1);
            body();
            std::exit (::testing::Test::HasFailure() ? 2 : 0);
        }

        int status = 0;
        for (int waited = 0; waited < timeoutMs; waited += 10)
        {
            if (::waitpid (child, &status, WNOHANG) == child)
                return WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
            sleepMs (10);
        }

        ::kill (child, SIGKILL);
        ::waitpid (child, &status, 0);
        return -1;
    }

    /** The host's side: its own display and a window for the editor. */
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
