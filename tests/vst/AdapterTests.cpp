// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The adapter in this process, for what a host cannot see from outside: when
// the kept chunk goes, and what the processor holds when the host hears of an
// edit.
#include <gtest/gtest.h>   // before the framework, whose X11 headers define None and friends

#include "framework/vst/JuceVSTWrapper.h"
#include "framework/vst/VstPluginFactory.h"

#include <chrono>
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

    bool heldAfter (JuceVSTWrapper& w, int ms)
    {
        sleepMs (ms);
        return w.isHoldingChunk();
    }
}

TEST (VstAdapter, KeptChunkGoesAfterItsLifetimeOnlyWhileTheTimerRuns)
{
    auto* effect = createVstEffect (testHost);
    ASSERT_NE (effect, nullptr);
    auto& wrapper = wrapperOf (effect);
    void* data = nullptr;

    // Before effOpen no timer runs: the chunk stays.
    EXPECT_EQ (effect->dispatcher (effect, vst::effGetChunk, 0, 0, &data, 0.0f), 205);
    EXPECT_TRUE (wrapper.isHoldingChunk());
    EXPECT_TRUE (heldAfter (wrapper, 2600));

    // effSetChunk releases it at once, also when it loads the chunk itself.
    EXPECT_EQ (effect->dispatcher (effect, vst::effSetChunk, 0, 205, data, 0.0f), 0);
    EXPECT_FALSE (wrapper.isHoldingChunk());

    // With the timer running: still there at 1.5 s, gone soon after 2 s.
    effect->dispatcher (effect, vst::effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher (effect, vst::effGetChunk, 0, 0, &data, 0.0f);
    EXPECT_TRUE (heldAfter (wrapper, 1500));
    EXPECT_FALSE (heldAfter (wrapper, 1500));

    // A new effGetChunk starts the lifetime again.
    effect->dispatcher (effect, vst::effGetChunk, 0, 0, &data, 0.0f);
    EXPECT_TRUE (heldAfter (wrapper, 1000));
    effect->dispatcher (effect, vst::effGetChunk, 0, 0, &data, 0.0f);
    EXPECT_TRUE (heldAfter (wrapper, 1500));

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
