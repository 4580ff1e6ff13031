// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The adapter in this process, for what a host cannot see from outside: how
// long the chunk handed out stays, what the processor holds when the host
// hears of an edit, and X events the framework has already read.
#include <gtest/gtest.h>   // before the framework, whose X11 headers define None and friends

#include "framework/vst/JuceVSTWrapper.h"
#include "framework/vst/VstPluginFactory.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
    struct Automation
    {
        int index;
        float value;
        float storedWhenTold;
    };

    std::mutex recordLock;
    std::vector<Automation> automations;

    VstIntPtr testHost (AEffect* effect, int opcode, int index, VstIntPtr, void*, float opt)
    {
        if (opcode == vst::audioMasterVersion)
            return 2400;

        if (opcode == vst::audioMasterAutomate && effect != nullptr)
        {
            const std::lock_guard<std::mutex> lock (recordLock);
            automations.push_back ({ index, opt, effect->getParameter (effect, index) });
        }

        return 0;
    }

    JuceVSTWrapper& wrapperOf (AEffect* effect)
    {
        return *static_cast<JuceVSTWrapper*> (static_cast<AudioEffect*> (effect->object));
    }

    void sleepMs (int ms) { std::this_thread::sleep_for (std::chrono::milliseconds (ms)); }

}

TEST (VstAdapter, AChunkHandedOutStaysUntilTheNextOneOrClose)
{
    auto* effect = createVstEffect (testHost);
    ASSERT_NE (effect, nullptr);
    auto& wrapper = wrapperOf (effect);
    effect->dispatcher (effect, vst::effOpen, 0, 0, nullptr, 0.0f);

    // Well past any lifetime the timer could give it, the block is intact.
    void* data = nullptr;
    const auto size = effect->dispatcher (effect, vst::effGetChunk, 0, 0, &data, 0.0f);
    ASSERT_EQ (size, 205);
    const std::vector<char> copy (static_cast<const char*> (data), static_cast<const char*> (data) + size);
    sleepMs (2600);
    ASSERT_TRUE (wrapper.isHoldingChunk());
    EXPECT_EQ (std::memcmp (data, copy.data(), copy.size()), 0);

    // Handing the very block back loads it and leaves it valid.
    effect->setParameter (effect, 0, 0.75f);
    EXPECT_EQ (effect->dispatcher (effect, vst::effSetChunk, 0, size, data, 0.0f), 0);
    EXPECT_NE (effect->getParameter (effect, 0), 0.75f);
    EXPECT_TRUE (wrapper.isHoldingChunk());
    EXPECT_EQ (std::memcmp (data, copy.data(), copy.size()), 0);

    EXPECT_EQ (effect->dispatcher (effect, vst::effClose, 0, 0, nullptr, 0.0f), 1);
}

TEST (VstAdapter, EditorEditsAreStoredBeforeTheHostHears)
{
    auto* effect = createVstEffect (testHost);
    ASSERT_NE (effect, nullptr);
    auto* filter = wrapperOf (effect).getFilter();
    ASSERT_NE (filter->getNativeCallbacks(), nullptr);

    {
        const std::lock_guard<std::mutex> lock (recordLock);
        automations.clear();
    }

    filter->setParameterAndInformHost (4, 0.7f);
    filter->setParameterAndInformHost (-3, 0.25f);   // the processor writes slot 0, the host hears of slot 0
    filter->setParameterAndInformHost (16, 0.0f);

    {
        const std::lock_guard<std::mutex> lock (recordLock);
        ASSERT_EQ (automations.size(), 3u);
        EXPECT_EQ (automations[0].index, 4);
        EXPECT_EQ (automations[0].value, 0.7f);
        EXPECT_EQ (automations[0].storedWhenTold, 0.7f);
        EXPECT_EQ (automations[1].index, 0);
        EXPECT_EQ (automations[1].storedWhenTold, 0.25f);
        EXPECT_EQ (automations[2].index, 16);
        EXPECT_EQ (automations[2].storedWhenTold, 0.0f);
    }

    // Host writes are not reported back.
    effect->setParameter (effect, 5, 0.5f);
    {
        const std::lock_guard<std::mutex> lock (recordLock);
        EXPECT_EQ (automations.size(), 3u);
    }

    effect->dispatcher (effect, vst::effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ (PluginMessageLoop::getNumReferences(), 0);
}

namespace
{
    int ignoreXError (Display*, XErrorEvent*) { return 0; }
}

TEST (VstAdapter, XEventsAlreadyReadAreHandledAtOnce)
{
    auto* host = XOpenDisplay (nullptr);
    if (host == nullptr)
        GTEST_SKIP() << "no X display";
    XSetErrorHandler (ignoreXError);
    // Clear of the other tests' windows, whose pixels they read back.
    const auto window = XCreateSimpleWindow (host, DefaultRootWindow (host), 0, 700, 500, 200, 0, 0, 0);
    XMapWindow (host, window);
    XSync (host, False);

    auto* effect = createVstEffect (testHost);
    ASSERT_NE (effect, nullptr);
    effect->dispatcher (effect, vst::effOpen, 0, 0, nullptr, 0.0f);
    ASSERT_EQ (effect->dispatcher (effect, vst::effEditOpen, 0, 0, reinterpret_cast<void*> (window), 0.0f), 1);
    effect->dispatcher (effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);

    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree (host, window, &root, &parent, &children, &count);
    ASSERT_EQ (count, 1u);
    const auto editorWindow = children[0];
    XFree (children);

    // A click on "Crush", read in by the plug-in's connection while it waits
    // for a reply, as happens whenever it talks to the server: nothing is
    // left on the descriptor to wake anyone.
    const auto clickCrushAndReadItIn = [&] {
        const PluginMessageLoop::ScopedBaton baton;

        for (bool press : { true, false })
        {
            XEvent e {};
            e.xbutton.type = press ? ButtonPress : ButtonRelease;
            e.xbutton.window = editorWindow;
            e.xbutton.root = root;
            e.xbutton.x = e.xbutton.x_root = 372;
            e.xbutton.y = 176;
            e.xbutton.y_root = 700 + 176;
            e.xbutton.state = press ? 0 : Button1Mask;
            e.xbutton.button = Button1;
            e.xbutton.same_screen = True;
            XSendEvent (host, editorWindow, True, press ? ButtonPressMask : ButtonReleaseMask, &e);
        }

        XSync (host, False);
        auto* own = juce::XWindowSystem::getInstance()->getDisplay();
        juce::X11Symbols::getInstance()->xSync (own, False);
    };

    auto* filter = wrapperOf (effect).getFilter();
    ASSERT_EQ (filter->parameterValue (16), 1.0f);

    // The plug-in's own thread dispatches once the host has stopped idling.
    sleepMs ((int) PluginMessageLoop::hostStallMs + 50);
    clickCrushAndReadItIn();
    sleepMs (100);
    EXPECT_EQ (filter->parameterValue (16), 0.0f);

    // The host's idle call dispatches: the click counts within that call.
    effect->dispatcher (effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
    const auto before = filter->parameterValue (16);
    clickCrushAndReadItIn();
    effect->dispatcher (effect, vst::effEditIdle, 0, 0, nullptr, 0.0f);
    EXPECT_NE (filter->parameterValue (16), before);

    effect->dispatcher (effect, vst::effClose, 0, 0, nullptr, 0.0f);
    XDestroyWindow (host, window);
    XCloseDisplay (host);
}
