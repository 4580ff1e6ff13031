// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The LV2 and VST3 editors embedded through the framework's hosting in a
// host window on an X server of the test's own, opened, used with the real
// pointer, closed and reopened. The host is a child process that hands every
// X error it does not cause itself to Xlib's default handler, which ends it.
// gtest first: the framework brings in X11 headers whose macros it trips on.
#include <gtest/gtest.h>

#include "../common/OwnXServer.h"
#include "FormatHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using formathost::Format;

namespace juce
{
    // The framework's Linux message pump: one round over the ready descriptors.
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    constexpr int editorWidth = 500, editorHeight = 200;
    constexpr unsigned long background = 0xf0eedd;
    constexpr int comboX = 40, comboY = 24, comboW = 96, comboH = 24;   // P1's wave shape

    // Errors the test host brings on itself (its windows destroyed behind its
    // framework's back) stay its own; any other reaches Xlib's default handler.
    XErrorHandler xlibDefault = nullptr;
    std::vector<Display*> hostDisplays;

    int hostErrorHandler (Display* display, XErrorEvent* event)
    {
        if (std::find (hostDisplays.begin(), hostDisplays.end(), display) != hostDisplays.end())
            return 0;
        return xlibDefault (display, event);
    }

    void pump (int ms)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) ms;
        while (juce::Time::getMillisecondCounter() < end)
            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
    }

    /** The host's own connection: parent windows, the pointer and pixels. */
    class Screen
    {
    public:
        Screen()
        {
            for (int attempt = 0; attempt < 30 && display == nullptr; ++attempt)
                if ((display = XOpenDisplay (nullptr)) == nullptr)
                    juce::Thread::sleep (100);
            if (display == nullptr)
                std::exit (3);

            // With no window manager these atoms would not exist, and the
            // framework on either side would name atom 0 in its requests.
            for (const char* name : { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "_NET_WM_PING", "WM_CHANGE_STATE",
                                      "WM_STATE", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN",
                                      "_NET_WM_STATE_FULLSCREEN", "_NET_FRAME_EXTENTS", "_NET_WORKAREA", "_MOTIF_WM_HINTS" })
                XInternAtom (display, name, False);
            XSync (display, False);
        }

        ~Screen() { XCloseDisplay (display); }

        Window makeParent()
        {
            const auto w = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, editorWidth, editorHeight, 0, 0, 0x203040);
            XMapWindow (display, w);
            XSync (display, False);
            return w;
        }

        /** The screen's pixels in the editor's area. */
        std::vector<unsigned long> editorPixels()
        {
            XSync (display, False);
            std::vector<unsigned long> pixels;
            if (auto* image = XGetImage (display, DefaultRootWindow (display), 0, 0, editorWidth, editorHeight, AllPlanes, ZPixmap))
            {
                for (int y = 0; y < editorHeight; ++y)
                    for (int x = 0; x < editorWidth; ++x)
                        pixels.push_back (XGetPixel (image, x, y) & 0xffffff);
                XDestroyImage (image);
            }
            return pixels;
        }

        static size_t distinctColours (std::vector<unsigned long> pixels)
        {
            std::sort (pixels.begin(), pixels.end());
            return (size_t) (std::unique (pixels.begin(), pixels.end()) - pixels.begin());
        }

        /** Viewable top-level windows other than the given one: the list's. */
        std::vector<XWindowAttributes> otherWindows (Window parent)
        {
            XSync (display, False);
            std::vector<XWindowAttributes> result;
            Window root = 0, up = 0, *list = nullptr;
            unsigned int count = 0;
            if (XQueryTree (display, DefaultRootWindow (display), &root, &up, &list, &count) != 0)
            {
                for (unsigned int i = 0; i < count; ++i)
                {
                    XWindowAttributes a {};
                    if (list[i] != parent && XGetWindowAttributes (display, list[i], &a) != 0 && a.map_state == IsViewable)
                        result.push_back (a);
                }
            }
            if (list != nullptr)
                XFree (list);
            return result;
        }

        /** The innermost window at a point on the screen. */
        Window windowAt (int x, int y)
        {
            Window child = DefaultRootWindow (display), found = 0;
            int wx = 0, wy = 0;
            for (Window from = child; child != 0; from = child)
            {
                found = child;
                XTranslateCoordinates (display, DefaultRootWindow (display), from, x, y, &wx, &wy, &child);
            }
            return found;
        }

        void moveTo (int x, int y)
        {
            XTestFakeMotionEvent (display, -1, x, y, CurrentTime);
            XFlush (display);
        }

        /** Press and release with no pause between, the pointer resting
            there a moment first. */
        void quickClick (int x, int y)
        {
            moveTo (x, y);
            pump (300);
            XTestFakeButtonEvent (display, 1, True, CurrentTime);
            XTestFakeButtonEvent (display, 1, False, CurrentTime);
            XFlush (display);
        }

        Display* display = nullptr;
    };

    struct HostSession
    {
        explicit HostSession (Format format)
        {
            hostDisplays = { screen.display };
            if (auto* windowSystem = juce::XWindowSystem::getInstance())
                hostDisplays.push_back (windowSystem->getDisplay());
            xlibDefault = XSetErrorHandler (hostErrorHandler);
            instance = formathost::load (format, 44100.0, 512);
        }

        ~HostSession()
        {
            instance.reset();
            formathost::closeFormats();
        }

        /** The editor in a new parent window, once it has painted. */
        Window open()
        {
            const auto parent = screen.makeParent();
            editor.reset (instance->createEditorIfNeeded());
            if (editor == nullptr)
                return parent;
            editor->addToDesktop (0, reinterpret_cast<void*> (parent));
            editor->setVisible (true);
            // Shown once its background is at the corner and it has drawn its controls.
            const auto isShown = [this] {
                const auto pixels = screen.editorPixels();
                return pixels[(size_t) (5 * editorWidth + 5)] == background && Screen::distinctColours (pixels) > 4;
            };
            for (int waited = 0; waited < 5000 && ! isShown(); waited += 50)
                pump (50);
            for (auto shown = screen.editorPixels(), previous = decltype (shown) {}; shown != previous; previous = shown)
            {
                pump (100);
                shown = screen.editorPixels();
            }
            return parent;
        }

        /** The host takes its window away first, or tells the plug-in first. */
        void close (Window parent, bool parentFirst)
        {
            if (parentFirst)
            {
                XDestroyWindow (screen.display, parent);
                XSync (screen.display, False);
                pump (30);
            }
            editor.reset();
            pump (30);
            if (! parentFirst)
                XDestroyWindow (screen.display, parent);
            XSync (screen.display, False);
            pump (30);
        }

        Screen screen;
        const juce::ScopedJuceInitialiser_GUI framework;
        std::unique_ptr<juce::AudioPluginInstance> instance;
        std::unique_ptr<juce::AudioProcessorEditor> editor;
    };

    int runOnOwnServer (const std::function<void()>& body, int timeoutMs)
    {
        xtest::OwnXServer server;
        return server.display.empty() ? -2 : xtest::runInChild (server.display, body, timeoutMs);
    }

    constexpr Format formats[] = { Format::vst3, Format::lv2 };
}

// The editor's window gone under it (focused, or the host's parent destroyed
// first) makes X errors on the plug-in's own connection.
TEST (FormatEditors, CloseAndReopenNeverEndTheHost)
{
    if (std::system ("command -v Xvfb > /dev/null") != 0)
        GTEST_SKIP() << "no Xvfb";

    for (auto format : formats)
    {
        const auto status = runOnOwnServer ([format] {
            HostSession host (format);
            ASSERT_NE (host.instance, nullptr);
            for (int round = 0; round < 8; ++round)
            {
                const auto parent = host.open();
                ASSERT_NE (host.editor, nullptr);
                XSetInputFocus (host.screen.display, host.screen.windowAt (comboX + 8, comboY + 8), RevertToParent, CurrentTime);
                pump (20);
                host.close (parent, round % 2 == 0);
            }
        },
                                            180000);
        if (status == -2)
            GTEST_SKIP() << "Xvfb does not start";
        EXPECT_EQ (status, 0) << formathost::nameOf (format);
    }
}

// A quick click on an item of the wave-shape list: the list's window goes and
// the editor is painted again beneath it, with the pointer left still. VST3
// only: the framework's LV2 host moves the focus between its own windows and
// the plug-in's, and the plug-in's list closes on that before the click.
TEST (FormatEditors, AQuickClickOnAListItemLeavesNoList)
{
    if (std::system ("command -v Xvfb > /dev/null") != 0)
        GTEST_SKIP() << "no Xvfb";

    for (auto format : { Format::vst3 })
    {
        const auto status = runOnOwnServer ([format] {
            HostSession host (format);
            ASSERT_NE (host.instance, nullptr);
            auto* waveParameter = formathost::slotParameters (format, *host.instance)[14];
            int listsLeft = 0, paintsMissed = 0;
            constexpr int rounds = 6;
            for (int round = 0; round < rounds; ++round)
            {
                const auto parent = host.open();
                ASSERT_NE (host.editor, nullptr);
                const auto before = host.screen.editorPixels();

                host.screen.quickClick (comboX + comboW / 2, comboY + comboH / 2);
                std::vector<XWindowAttributes> lists;
                for (int waited = 0; waited < 2000 && lists.empty(); waited += 20)
                {
                    pump (20);
                    lists = host.screen.otherWindows (parent);
                }
                ASSERT_EQ (lists.size(), 1u) << "round " << round;

                // Items Sin, Saw1, Saw2, Tri, Sqr, one above the other; the
                // pointer rests on one until the list shows it chosen.
                const int item = round % 2 == 0 ? 3 : 1;
                const auto list = lists.front();
                host.screen.quickClick (list.x + list.width / 2, list.y + (2 * item + 1) * list.height / 10);
                const auto during = host.screen.editorPixels();
                pump (1000);

                listsLeft += host.screen.otherWindows (parent).empty() ? 0 : 1;

                // What the list drew over the editor and is still there.
                const auto after = host.screen.editorPixels();
                int left = 0;
                for (int y = std::max (list.y, 0); y < std::min (list.y + list.height, editorHeight); ++y)
                {
                    for (int x = std::max (list.x, 0); x < std::min (list.x + list.width, editorWidth); ++x)
                    {
                        const auto i = (size_t) (y * editorWidth + x);
                        left += during[i] != before[i] && after[i] == during[i] ? 1 : 0;
                    }
                }
                paintsMissed += left > 50 ? 1 : 0;
                EXPECT_FLOAT_EQ (waveParameter->getValue(), (float) item / 4.0f) << "round " << round;

                host.screen.moveTo (700, 500);
                host.close (parent, false);
            }
            std::printf ("%s: %d rounds, list windows left %d, not repainted %d\n", formathost::nameOf (format), rounds,
                         listsLeft, paintsMissed);
            EXPECT_EQ (listsLeft, 0);
            EXPECT_EQ (paintsMissed, 0);
        },
                                            180000);
        if (status == -2)
            GTEST_SKIP() << "Xvfb does not start";
        EXPECT_EQ (status, 0) << formathost::nameOf (format);
    }
}
