// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The editor inside a host's window, with an X11 window of the test's own
// standing in for the host's.
#include "VstTestHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <set>

using namespace vsttest;

namespace
{
    // X errors on any connection of the process, the framework's included:
    // a host without an error handler of its own would be ended by the first.
    int xErrors = 0;

    int countXError (Display*, XErrorEvent*)
    {
        ++xErrors;
        return 0;
    }

    /** A top-level window standing in for the host's, on a display of the test's own. */
    class HostWindow
    {
    public:
        /** At x, y on the screen: tests that run side by side and read pixels
            back keep their windows apart. */
        explicit HostWindow (int x = 0, int y = 0)
        {
            // The X server resets when its last client leaves, as the previous
            // test's did: give it a moment to come back.
            for (int attempt = 0; attempt < 30 && display == nullptr && std::getenv ("DISPLAY") != nullptr; ++attempt)
                if ((display = XOpenDisplay (nullptr)) == nullptr)
                    sleepMs (100);
            if (display == nullptr)
                return;
            XSetErrorHandler (countXError);
            window = XCreateSimpleWindow (display, DefaultRootWindow (display), x, y, 640, 320, 0, 0, 0x203040);
            XMapWindow (display, window);
            XSync (display, False);
        }

        ~HostWindow()
        {
            if (display == nullptr)
                return;
            XDestroyWindow (display, window);
            XCloseDisplay (display);
        }

        std::vector<Window> children() const
        {
            XSync (display, False);
            Window root = 0, parent = 0, *list = nullptr;
            unsigned int count = 0;
            std::vector<Window> result;
            if (XQueryTree (display, window, &root, &parent, &list, &count) != 0)
                result.assign (list, list + count);
            if (list != nullptr)
                XFree (list);
            return result;
        }

        /** How many different colours the window shows. */
        size_t coloursShown (Window w, unsigned long* sample = nullptr) const
        {
            XSync (display, False);
            XWindowAttributes a {};
            XGetWindowAttributes (display, w, &a);
            if (a.map_state != IsViewable)
                return 0;
            XImage* image = XGetImage (display, w, 0, 0, (unsigned) a.width, (unsigned) a.height, AllPlanes, ZPixmap);
            if (image == nullptr)
                return 0;
            std::set<unsigned long> colours;
            for (int y = 0; y < a.height; y += 2)
                for (int x = 0; x < a.width; x += 2)
                    colours.insert (XGetPixel (image, x, y) & 0xffffff);
            if (sample != nullptr)
                *sample = XGetPixel (image, 5, 5) & 0xffffff;
            XDestroyImage (image);
            return colours.size();
        }

        void sendButton (Window target, bool press, int x, int y) const
        {
            XEvent e {};
            e.xbutton.type = press ? ButtonPress : ButtonRelease;
            e.xbutton.display = display;
            e.xbutton.window = target;
            e.xbutton.root = DefaultRootWindow (display);
            e.xbutton.time = CurrentTime;
            e.xbutton.x = x;
            e.xbutton.y = y;
            e.xbutton.x_root = x;
            e.xbutton.y_root = y;
            e.xbutton.state = press ? 0 : Button1Mask;
            e.xbutton.button = Button1;
            e.xbutton.same_screen = True;
            XSendEvent (display, target, True, press ? ButtonPressMask : ButtonReleaseMask, &e);
            XFlush (display);
        }

        void* handle() const { return reinterpret_cast<void*> (window); }

        Display* display = nullptr;
        Window window = 0;
    };

    void idleFor (vsthost::Plugin& p, int ms)
    {
        for (int t = 0; t < ms; t += 20)
        {
            p.dispatch (effEditIdle);
            sleepMs (20);
        }
    }
}

TEST (VstEditor, LivesInTheHostsWindowWhileOpen)
{
    HostWindow host;
    if (host.display == nullptr)
        GTEST_SKIP() << "no X display";

    auto plugin = load();
    auto& p = *plugin;
    p.open();

    // Asking for the size makes an editor, 500 x 200.
    ERect* rect = nullptr;
    const auto answer = p.dispatch (effEditGetRect, 0, 0, &rect);
    ASSERT_NE (rect, nullptr);
    EXPECT_EQ (answer, (intptr_t) rect);
    EXPECT_EQ (rect->top, 0);
    EXPECT_EQ (rect->left, 0);
    EXPECT_EQ (rect->bottom, 200);
    EXPECT_EQ (rect->right, 500);
    EXPECT_TRUE (host.children().empty());

    // Opening replaces it with one embedded child of 500 x 200 at the corner.
    ASSERT_EQ (p.dispatch (effEditOpen, 0, 0, host.handle()), 1);
    idleFor (p, 300);
    auto children = host.children();
    ASSERT_EQ (children.size(), 1u);
    XWindowAttributes a {};
    XGetWindowAttributes (host.display, children[0], &a);
    EXPECT_EQ (a.x, 0);
    EXPECT_EQ (a.y, 0);
    EXPECT_EQ (a.width, 500);
    EXPECT_EQ (a.height, 200);
    EXPECT_EQ (a.map_state, IsViewable);

    // effEditIdle lets it paint: more than the background, in the editor's colours.
    unsigned long corner = 0;
    EXPECT_GT (host.coloursShown (children[0], &corner), 2u);
    EXPECT_EQ (corner, 0xf0eeddu);

    // A host that resizes the editor's window gets it back at the size it
    // was told, not a strip of background under the editor; the size told
    // stays the same.
    XResizeWindow (host.display, children[0], 500, 206);
    XSync (host.display, False);
    idleFor (p, 200);
    XGetWindowAttributes (host.display, children[0], &a);
    EXPECT_EQ (a.width, 500);
    EXPECT_EQ (a.height, 200);
    ASSERT_NE (p.dispatch (effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ (rect->bottom, 200);
    EXPECT_EQ (rect->right, 500);

    // A second open leaves one editor, and closing takes it out.
    ASSERT_EQ (p.dispatch (effEditOpen, 0, 0, host.handle()), 1);
    idleFor (p, 100);
    EXPECT_EQ (host.children().size(), 1u);
    EXPECT_EQ (p.dispatch (effEditClose), 0);
    idleFor (p, 60);
    EXPECT_TRUE (host.children().empty());

    // Reopened after closing, and gone with the instance.
    ASSERT_EQ (p.dispatch (effEditOpen, 0, 0, host.handle()), 1);
    idleFor (p, 60);
    EXPECT_EQ (host.children().size(), 1u);
    p.close();
    EXPECT_TRUE (host.children().empty());
    EXPECT_EQ (xErrors, 0);
}

TEST (VstEditor, WorksInAHostThatNeverCallsEditIdle)
{
    HostWindow host;
    if (host.display == nullptr)
        GTEST_SKIP() << "no X display";

    HostRecorder recorder;
    auto plugin = load (&recorder);
    auto& p = *plugin;
    p.open();
    ASSERT_EQ (p.dispatch (effEditOpen, 0, 0, host.handle()), 1);

    // The plug-in's own thread takes over the painting.
    sleepMs (800);
    auto children = host.children();
    ASSERT_EQ (children.size(), 1u);
    EXPECT_GT (host.coloursShown (children[0]), 2u);

    // While a button is held on the editor, the host is given idle time.
    host.sendButton (children[0], true, 145, 190);
    sleepMs (800);
    const auto idlesWhileHeld = recorder.count (vsttest::audioMasterIdle);
    EXPECT_GE (idlesWhileHeld, 1);
    host.sendButton (children[0], false, 145, 190);
    sleepMs (400);
    const auto idlesAfterRelease = recorder.count (vsttest::audioMasterIdle);
    sleepMs (600);
    EXPECT_EQ (recorder.count (vsttest::audioMasterIdle), idlesAfterRelease);

    // A click on the "Crush" toggle is an edit the host records.
    ASSERT_EQ (p.getParameter (16), 1.0f);
    host.sendButton (children[0], true, 372, 176);
    sleepMs (100);
    host.sendButton (children[0], false, 372, 176);
    sleepMs (500);
    EXPECT_EQ (p.getParameter (16), 0.0f);
    bool automated = false;
    for (const auto& call : recorder.snapshot())
        if (call.opcode == audioMasterAutomate && call.index == 16 && call.opt == 0.0f)
            automated = true;
    EXPECT_TRUE (automated);

    p.dispatch (effEditClose);
    EXPECT_TRUE (host.children().empty());
    EXPECT_EQ (xErrors, 0);
}

TEST (VstEditor, AStateLoadWinsOverAnOpenEditor)
{
    HostWindow host (640, 340);
    if (host.display == nullptr)
        GTEST_SKIP() << "no X display";

    std::vector<uint8_t> state;   // P1 "Sqr", P2 "Saw2", the rest as new
    {
        auto source = load();
        source->setParameter (14, 5.0f);
        source->setParameter (15, 3.0f);
        state = source->getChunk();
    }

    // One load right after effEditOpen, driven by its own idle calls; one
    // right after another instance's effEditGetRect, driven by the first's.
    HostRecorder recorders[2];
    auto opened = load (&recorders[0]);
    auto sized = load (&recorders[1]);
    opened->open();
    sized->open();
    ASSERT_EQ (opened->dispatch (effEditOpen, 0, 0, host.handle()), 1);
    opened->setChunk (state);
    ERect* rect = nullptr;
    ASSERT_NE (sized->dispatch (effEditGetRect, 0, 0, &rect), 0);
    sized->setChunk (state);
    idleFor (*opened, 100);

    for (int i = 0; i < 2; ++i)
    {
        auto& p = i == 0 ? *opened : *sized;
        EXPECT_EQ (p.getParameter (14), 5.0f) << i;
        EXPECT_EQ (p.getParameter (15), 3.0f) << i;
        EXPECT_EQ (p.getChunk(), state) << i;

        for (const auto& call : recorders[i].snapshot())
        {
            if (call.opcode == audioMasterAutomate)
            {
                EXPECT_EQ (call.opt, p.getParameter (call.index)) << i << ", slot " << call.index;
            }
        }
    }
}
