// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// What the plug-in's tests add to the shared host library: a recorder of the
// plug-in's calls back, raw event lists, and block rendering.
#include "VstHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace vsttest
{
    inline const char* const pluginPath = ZEPHYRINE_VST_PATH;

    inline constexpr int effGetVu = vsthost::opcode::effGetVu;
    inline constexpr int effGetNumProgramCategories = vsthost::opcode::effGetNumProgramCategories;
    inline constexpr int effConnectInput = vsthost::opcode::effConnectInput;
    inline constexpr int effConnectOutput = vsthost::opcode::effConnectOutput;
    inline constexpr int effSetBlockSizeAndSampleRate = vsthost::opcode::effSetBlockSizeAndSampleRate;
    inline constexpr int effKeysRequired = vsthost::opcode::effKeysRequired;
    inline constexpr int audioMasterIdle = vsthost::opcode::audioMasterIdle;

    /** Every call of the plug-in into the host, in order; thread-safe. */
    class HostRecorder
    {
    public:
        struct Call
        {
            int opcode;
            int index;
            intptr_t value;
            float opt;
            bool hadEffect;
            std::thread::id thread;
        };

        /** A handler for HostOptions that records, then leaves the answer to the host library. */
        vsthost::HostCallHandler handler()
        {
            return [this] (const vsthost::HostCall& call) -> std::optional<intptr_t> {
                std::optional<intptr_t> answer;
                {
                    const std::lock_guard<std::mutex> lock (mutex);
                    calls.push_back ({ call.opcode, call.index, call.value, call.opt, call.effect != nullptr,
                                       std::this_thread::get_id() });
                    if (onCall)
                        answer = onCall (call);
                }
                return answer;
            };
        }

        std::vector<Call> snapshot() const
        {
            const std::lock_guard<std::mutex> lock (mutex);
            return calls;
        }

        int count (int opcode) const
        {
            int n = 0;
            for (const auto& c : snapshot())
                n += c.opcode == opcode ? 1 : 0;
            return n;
        }

        void clear()
        {
            const std::lock_guard<std::mutex> lock (mutex);
            calls.clear();
        }

        /** Optional extra answers, called with the recorder's lock held. */
        std::function<std::optional<intptr_t> (const vsthost::HostCall&)> onCall;

    private:
        mutable std::mutex mutex;
        std::vector<Call> calls;
    };

    inline std::unique_ptr<vsthost::Plugin> load (HostRecorder* recorder = nullptr, intptr_t hostVersion = 2400)
    {
        vsthost::HostOptions options;
        options.hostVersion = hostVersion;
        if (recorder != nullptr)
            options.handler = recorder->handler();

        auto result = vsthost::Plugin::load (pluginPath, options);
        EXPECT_TRUE (result) << result.message;
        return std::move (result.plugin);
    }

    /** A host's event list built by hand, for lists the host library would not send. */
    class EventList
    {
    public:
        void addMidi (int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2 = 0)
        {
            VstMidiEvent e {};
            e.type = kVstMidiType;
            e.byteSize = (int) sizeof (VstMidiEvent);
            e.deltaFrames = deltaFrames;
            e.midiData[0] = status;
            e.midiData[1] = data1;
            e.midiData[2] = data2;
            midi.push_back (e);
            order.push_back ({ false, midi.size() - 1 });
        }

        void addSysex (int deltaFrames)
        {
            VstMidiSysexEvent e {};
            e.type = kVstSysExType;
            e.byteSize = (int) sizeof (VstMidiSysexEvent);
            e.deltaFrames = deltaFrames;
            e.dumpBytes = (VstIntPtr) sizeof (sysexBytes);
            e.sysexDump = sysexBytes;
            sysex.push_back (e);
            order.push_back ({ true, sysex.size() - 1 });
        }

        void addNull() { order.push_back ({ false, (size_t) -1 }); }

        VstEvents* get()
        {
            storage.assign (2 + order.size(), 0);
            auto* list = reinterpret_cast<VstEvents*> (storage.data());
            list->numEvents = (int) order.size();
            for (size_t i = 0; i < order.size(); ++i)
            {
                auto [isSysex, at] = order[i];
                list->events[i] = at == (size_t) -1 ? nullptr
                                  : isSysex         ? reinterpret_cast<VstEvent*> (&sysex[at])
                                                    : reinterpret_cast<VstEvent*> (&midi[at]);
            }
            return list;
        }

    private:
        std::vector<VstMidiEvent> midi;
        std::vector<VstMidiSysexEvent> sysex;
        std::vector<std::pair<bool, size_t>> order;
        std::vector<intptr_t> storage;
        char sysexBytes[6] = { (char) 0xf0, 0x7e, 0x7f, 0x09, 0x01, (char) 0xf7 };
    };

    /** Two output channels of one block. */
    struct Block
    {
        explicit Block (int numSamples, float initial = 0.0f)
            : left ((size_t) numSamples, initial), right ((size_t) numSamples, initial) {}

        float** outputs()
        {
            pointers[0] = left.data();
            pointers[1] = right.data();
            return pointers;
        }

        float peak() const
        {
            float p = 0.0f;
            for (size_t i = 0; i < left.size(); ++i)
                p = std::max ({ p, std::abs (left[i]), std::abs (right[i]) });
            return p;
        }

        std::vector<float> left, right;
        float* pointers[2] {};
    };

    /** Renders numBlocks replacing blocks; returns both channels, concatenated. */
    inline Block render (vsthost::Plugin& plugin, int numBlocks, int blockSize)
    {
        Block all (0);
        for (int b = 0; b < numBlocks; ++b)
        {
            Block block (blockSize);
            plugin.processReplacing (nullptr, block.outputs(), blockSize);
            all.left.insert (all.left.end(), block.left.begin(), block.left.end());
            all.right.insert (all.right.end(), block.right.begin(), block.right.end());
        }
        return all;
    }

    inline void sleepMs (int ms) { std::this_thread::sleep_for (std::chrono::milliseconds (ms)); }
}
