// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The embedded editor under the pointer, as a user drives it: mouse buttons,
// motion, the wheel and modifier keys from the X server's test extension, on
// a server of the test's own so that no other test moves the pointer.
#include "VstXHost.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <array>

using namespace vsttest;

namespace
{
    constexpr int leftButton = 1, middleButton = 2, rightButton = 3, wheelUp = 4;

    // Where the controls sit, in the editor's (and here the screen's) pixels.
    struct Bar
    {
        int slot, x, y;   // left edge and vertical middle of a 96-pixel slider
    };

    constexpr Bar disp { 0, 40, 96 }, oct { 2, 40, 144 }, vol { 12, 360, 144 };
    constexpr int crushX = 372, filterX = 448, toggleY = 176;

    /** The host's window at the screen's corner with the editor in it, and
        the user's hand on the server's pointer and keyboard. */
    class Desk
    {
    public:
        explicit Desk (HostRecorder& recorder) : plugin (load (&recorder))
        {
            int event = 0, error = 0, major = 0, minor = 0;
            if (! XTestQueryExtension (host.display, &event, &error, &major, &minor))
                std::exit (5);

            plugin->open();
            EXPECT_EQ (plugin->dispatch (effEditOpen, 0, 0, host.handle()), 1);
            idle (*plugin, 40);
        }

        ~Desk() { plugin->close(); }

        void moveTo (int x, int y)
        {
            XTestFakeMotionEvent (host.display, -1, x, y, CurrentTime);
            settle();
        }

        void button (int which, bool down)
        {
            XTestFakeButtonEvent (host.display, (unsigned) which, down ? True : False, CurrentTime);
            settle();
        }

        void click (int which, int x, int y)
        {
            moveTo (x, y);
            button (which, true);
            button (which, false);
        }

        void key (KeySym sym, bool down)
        {
            XTestFakeKeyEvent (host.display, XKeysymToKeycode (host.display, sym), down ? True : False, CurrentTime);
            settle();
        }

        /** Presses at fromX, moves one pixel at a time to toX, releases. */
        void drag (int which, int fromX, int toX, int y)
        {
            moveTo (fromX, y);
            button (which, true);
            for (int x = fromX; x != toX;)
            {
                x += toX > fromX ? 1 : -1;
                moveTo (x, y);
            }
            button (which, false);
        }

        std::array<float, 18> values()
        {
            std::array<float, 18> v {};
            for (int i = 0; i < 18; ++i)
                v[(size_t) i] = plugin->getParameter (i);
            return v;
        }

        float value (int slot) { return plugin->getParameter (slot); }

        std::unique_ptr<vsthost::Plugin> plugin;

    private:
        // Lets the editor take the event on the host's thread, as a host's idle calls do.
        void settle()
        {
            XSync (host.display, False);
            idle (*plugin, 2);
        }

        BareHostWindow host;
    };

    std::vector<HostRecorder::Call> automations (const HostRecorder& recorder)
    {
        std::vector<HostRecorder::Call> found;
        for (const auto& call : recorder.snapshot())
            if (call.opcode == audioMasterAutomate)
                found.push_back (call);
        return found;
    }

    /** Runs a case on a fresh server of its own. */
    void onOwnServer (const std::function<void()>& body)
    {
        OwnXServer server;
        if (server.display.empty())
            GTEST_SKIP() << "no Xvfb";
        EXPECT_EQ (runInChild (server.display, body, 60000), 0);
    }
}

TEST (VstEditorMouse, RightAndMiddleButtonsChangeNothing)
{
    onOwnServer ([] {
        HostRecorder recorder;
        Desk desk (recorder);
        const auto before = desk.values();

        // Clicks near the far ends, drags across, a double-click, on every kind of control.
        for (const auto& bar : { disp, oct, vol })
        {
            desk.click (rightButton, bar.x + 90, bar.y);
            desk.click (rightButton, bar.x + 4, bar.y);
            desk.drag (rightButton, bar.x + 2, bar.x + 94, bar.y);
            desk.click (middleButton, bar.x + 90, bar.y);
        }
        desk.click (rightButton, vol.x + 80, vol.y);
        desk.click (rightButton, vol.x + 80, vol.y);
        desk.click (rightButton, crushX, toggleY);
        desk.click (rightButton, filterX, toggleY);
        desk.click (middleButton, crushX, toggleY);
        idle (*desk.plugin, 20);

        EXPECT_EQ (desk.values(), before);
        EXPECT_TRUE (automations (recorder).empty());

        // The same places under the left button do edit, so the events arrived.
        desk.click (leftButton, vol.x + 90, vol.y);
        desk.click (leftButton, crushX, toggleY);
        EXPECT_GT (desk.value (vol.slot), 0.9f);
        EXPECT_EQ (desk.value (16), 0.0f);
    });
}

TEST (VstEditorMouse, ADoubleClickRestoresTheDefaultAndTellsTheHost)
{
    onOwnServer ([] {
        std::array<float, 18> defaults {};
        {
            auto fresh = load();
            for (int i = 0; i < 18; ++i)
                defaults[(size_t) i] = fresh->getParameter (i);
        }

        HostRecorder recorder;
        Desk desk (recorder);

        for (const auto& bar : { vol, oct, disp })
        {
            const int x = bar.x + 93;
            desk.click (leftButton, x, bar.y);
            ASSERT_GT (desk.value (bar.slot), defaults[(size_t) bar.slot] + 0.4f) << "slot " << bar.slot;
            idle (*desk.plugin, 50);   // longer than a double-click takes

            recorder.clear();
            desk.click (leftButton, x, bar.y);
            desk.click (leftButton, x, bar.y);
            idle (*desk.plugin, 5);

            EXPECT_EQ (desk.value (bar.slot), defaults[(size_t) bar.slot]) << "slot " << bar.slot;
            const auto told = automations (recorder);
            ASSERT_FALSE (told.empty());
            EXPECT_EQ (told.back().index, bar.slot);
            EXPECT_EQ (told.back().opt, defaults[(size_t) bar.slot]);
        }

        // Nothing else moved.
        EXPECT_EQ (desk.values(), defaults);
    });
}

TEST (VstEditorMouse, AFineDragMovesLessThanAPlainDragAndTheWheelStillWorks)
{
    onOwnServer ([] {
        HostRecorder recorder;
        Desk desk (recorder);
        constexpr int distance = 40;

        // Plain: the bar follows the pointer.
        desk.moveTo (disp.x + 10, disp.y);
        desk.button (leftButton, true);
        const float plainStart = desk.value (disp.slot);
        for (int x = disp.x + 10; x < disp.x + 10 + distance;)
            desk.moveTo (++x, disp.y);
        desk.button (leftButton, false);
        const float plainMove = desk.value (disp.slot) - plainStart;
        EXPECT_NEAR (plainMove, distance / 96.0f, 0.03f);

        // Shift or Ctrl: pressing far from the bar's end does not jump there,
        // and the same distance moves much less, but it does move.
        for (const KeySym modifier : { XK_Shift_L, XK_Control_L })
        {
            desk.click (leftButton, disp.x + 70, disp.y);
            const float start = desk.value (disp.slot);

            desk.key (modifier, true);
            desk.moveTo (disp.x + 10, disp.y);
            desk.button (leftButton, true);
            EXPECT_EQ (desk.value (disp.slot), start);
            for (int x = disp.x + 10; x < disp.x + 10 + distance;)
                desk.moveTo (++x, disp.y);
            desk.button (leftButton, false);
            desk.key (modifier, false);

            const float fineMove = desk.value (disp.slot) - start;
            EXPECT_GT (fineMove, 0.0f) << modifier;
            EXPECT_LT (fineMove, plainMove / 4.0f) << modifier;
        }

        // The wheel nudges a continuous bar and steps a stepped one.
        const float beforeWheel = desk.value (disp.slot);
        desk.click (wheelUp, disp.x + 50, disp.y);
        EXPECT_GT (desk.value (disp.slot), beforeWheel);
        EXPECT_LT (desk.value (disp.slot), beforeWheel + 0.1f);
        desk.click (wheelUp, oct.x + 5, oct.y);
        EXPECT_EQ (desk.value (oct.slot), 1.0f);
    });
}
