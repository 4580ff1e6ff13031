// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The plug-in library driven as a host drives it: loaded with the dynamic
// loader, instances made through the entry point, and then any sequence of
// host calls with any values, read from the input one step at a time:
//
//   step := op-byte arguments...        (op-byte % opCount picks the call)
//
// Integers are little-endian, floats are raw IEEE bits; a short input reads
// zeros. The editor's calls run only when $DISPLAY names an X server; each
// instance then has a top-level window of this host's own to live in.
//
// After every step the oracles hold or the process aborts:
// - every output sample is finite, the two channels are identical bit for
//   bit, and nothing is written past the block;
// - getParameter returns the bits last stored, whatever the editor does
//   meanwhile (nobody clicks), and any automation the plug-in reports
//   carries the slot's current value;
// - a chunk stays readable and unchanged until the next effGetChunk or
//   effClose, and saving, loading and saving again gives the same bytes;
// - a chunk that is no state block changes no slot;
// - no text is written past the size the interface promises.
// Crashes, sanitizer reports, exits and hangs are libFuzzer's to catch.
//
// The wait step sleeps at most a few milliseconds, so that fuzzing stays
// fast; with ZEPHYRINE_FUZZ_REAL_TIME=1 it sleeps as long as the input asks
// (up to 3 s an input), for replaying inputs that need the adapter's timer.
#include "framework/vst/VstInterface.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
    constexpr int slotCount = 18;
    constexpr int maxInstances = 3;
    constexpr int canaryLength = 16;
    constexpr int largestBlock = 8192;
    constexpr std::uint8_t canaryByte = 0xa5;

    void check (bool condition, const char* what)
    {
        if (! condition)
        {
            std::fprintf (stderr, "host call oracle failed: %s\n", what);
            std::abort();
        }
    }

    std::uint32_t bitsOf (float value)
    {
        std::uint32_t bits;
        std::memcpy (&bits, &value, sizeof (bits));
        return bits;
    }

    float floatOf (std::uint32_t bits)
    {
        float value;
        std::memcpy (&value, &bits, sizeof (value));
        return value;
    }

    int clampIndex (int index)
    {
        return index < 0 ? 0 : (index >= slotCount ? slotCount - 1 : index);
    }

    /** The input, read from the front; past its end every read is zero. */
    class Input
    {
    public:
        Input (const std::uint8_t* d, std::size_t n) : data (d), size (n) {}

        bool atEnd() const { return position >= size; }

        std::uint8_t byte() { return position < size ? data[position++] : 0; }

        std::uint32_t u32()
        {
            std::uint32_t v = 0;
            for (int i = 0; i < 4; ++i)
                v |= (std::uint32_t) byte() << (8 * i);
            return v;
        }

        std::uint16_t u16() { return (std::uint16_t) (byte() | (byte() << 8)); }
        std::int32_t i32() { return (std::int32_t) u32(); }
        float f32() { return floatOf (u32()); }

        std::vector<std::uint8_t> bytes (std::size_t n)
        {
            n = std::min (n, size - std::min (size, position));
            std::vector<std::uint8_t> out (data + position, data + position + n);
            position += n;
            return out;
        }

    private:
        const std::uint8_t* data;
        std::size_t size;
        std::size_t position = 0;
    };

    //==========================================================================
    // What the plug-in reports back, from whichever thread it calls on.
    struct Automation
    {
        AEffect* effect;
        int index;
        std::uint32_t bits;
    };

    std::mutex hostMutex;
    std::vector<Automation> automations;

    VstIntPtr hostCallback (AEffect* effect, int opcode, int index, VstIntPtr, void*, float opt)
    {
        switch (opcode)
        {
            case vst::audioMasterVersion:
                return 2400;

            case vst::audioMasterAutomate:
            {
                const std::lock_guard<std::mutex> lock (hostMutex);
                automations.push_back ({ effect, index, bitsOf (opt) });
                return 0;
            }

            default:
                return 0;
        }
    }

    //==========================================================================
    using EntryPoint = AEffect* (*) (audioMasterCallback);
    EntryPoint entryPoint = nullptr;

    Display* display = nullptr;
    std::array<Window, maxInstances> hostWindows {};
    bool realTime = false;

    struct Instance
    {
        AEffect* effect = nullptr;
        std::array<std::uint32_t, slotCount> slots {};   // what getParameter must give

        // The last chunk handed over, and what it held then.
        const std::uint8_t* chunk = nullptr;
        std::vector<std::uint8_t> chunkCopy;

        VstIntPtr dispatch (int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
        {
            return effect->dispatcher (effect, opcode, index, value, ptr, opt);
        }

        float get (int index) { return effect->getParameter (effect, index); }

        void readSlots()
        {
            for (int i = 0; i < slotCount; ++i)
                slots[(size_t) i] = bitsOf (get (i));
        }

        void checkSlots (const char* what)
        {
            for (int i = 0; i < slotCount; ++i)
                check (bitsOf (get (i)) == slots[(size_t) i], what);
        }

        bool allSlotsFinite() const
        {
            for (auto bits : slots)
                if (! std::isfinite (floatOf (bits)))
                    return false;
            return true;
        }

        /** effGetChunk; the previous chunk may go, this one must stay. */
        std::vector<std::uint8_t> getChunk (bool preset)
        {
            void* data = nullptr;
            const auto size = dispatch (vst::effGetChunk, preset ? 1 : 0, 0, &data);
            check (size > 0 && size < (1 << 20) && data != nullptr, "effGetChunk gave no state");
            chunk = static_cast<const std::uint8_t*> (data);
            chunkCopy.assign (chunk, chunk + size);
            return chunkCopy;
        }

        void checkChunkIntact()
        {
            if (chunk != nullptr)
                check (std::memcmp (chunk, chunkCopy.data(), chunkCopy.size()) == 0,
                       "a chunk handed to the host changed before the next effGetChunk");
        }

        /** effSetChunk with a copy in memory of exactly its size. */
        void setChunk (const std::vector<std::uint8_t>& bytes)
        {
            std::vector<std::uint8_t> exact (bytes);
            dispatch (vst::effSetChunk, 0, (VstIntPtr) exact.size(), exact.empty() ? nullptr : exact.data());

            // What cannot be a state block must change nothing; otherwise
            // the slots are whatever the block held.
            const bool cannotBe = exact.size() <= 8 || std::memcmp (exact.data(), "VC2!", 4) != 0
                                  || (exact[4] | exact[5] | exact[6] | exact[7]) == 0;
            if (cannotBe)
                checkSlots ("a chunk that is no state block changed a slot");
            else
                readSlots();
        }

        void close()
        {
            checkChunkIntact();
            dispatch (vst::effClose);
            effect = nullptr;
            chunk = nullptr;
            chunkCopy.clear();
        }
    };

    std::array<Instance, maxInstances> instances;

    /** Automation must report what the slot now holds: an editor may echo a
        value, never bring back an old one. */
    void checkAutomations()
    {
        std::vector<Automation> seen;
        {
            const std::lock_guard<std::mutex> lock (hostMutex);
            seen.swap (automations);
        }

        for (const auto& a : seen)
            for (auto& instance : instances)
                if (instance.effect == a.effect)
                    check (a.index >= 0 && a.index < slotCount && instance.slots[(size_t) a.index] == a.bits,
                           "the plug-in automated a value nobody chose");
    }

    //==========================================================================
    void processBlock (Instance& instance, Input& in, bool replacing)
    {
        const auto flags = in.byte();
        int n = (std::int16_t) in.u16();
        if (n > largestBlock)
            n %= largestBlock;

        const int length = std::max (0, n);
        std::vector<float> channel[2];
        const float before = replacing ? floatOf (0x7fc0dead) : 0.5f;   // a NaN the plug-in must overwrite

        for (auto& c : channel)
        {
            c.assign ((size_t) (length + canaryLength), floatOf (0x7fc0beef));
            std::fill (c.begin(), c.begin() + length, before);
        }

        float* outputs[2] = { channel[0].data(), channel[1].data() };
        float** outputList = (flags & 1) != 0 ? nullptr : outputs;
        float* noInputs[2] = { nullptr, nullptr };

        auto* effect = instance.effect;
        (replacing ? effect->processReplacing : effect->process) (effect, noInputs, outputList, n);

        const bool written = outputList != nullptr;
        for (int i = 0; i < length; ++i)
        {
            if (written)
                check (std::isfinite (channel[0][(size_t) i]), "a sample is not finite");
            check (bitsOf (channel[0][(size_t) i]) == bitsOf (channel[1][(size_t) i]), "the two channels differ");
        }

        for (auto& c : channel)
            for (int i = length; i < length + canaryLength; ++i)
                check (bitsOf (c[(size_t) i]) == 0x7fc0beef, "a sample was written past the block");
    }

    void sendEvents (Instance& instance, Input& in)
    {
        const int count = in.byte() % 9;
        std::vector<VstMidiEvent> midi ((size_t) count);
        std::vector<VstMidiSysexEvent> sysex ((size_t) count);
        std::vector<std::uint8_t> dump (16, 0xf7);
        std::vector<std::uintptr_t> storage (2 + (size_t) count, 0);
        auto* list = reinterpret_cast<VstEvents*> (storage.data());
        list->numEvents = count;

        for (int i = 0; i < count; ++i)
        {
            const auto kind = in.byte() % 8;
            auto& m = midi[(size_t) i];
            // The type as a host writes it: any 32-bit number.
            const std::int32_t type = kind == 6 ? (std::int32_t) in.byte() : (std::int32_t) kVstMidiType;
            static_assert (sizeof (m.type) == sizeof (type));
            std::memcpy (&m.type, &type, sizeof (type));
            m.byteSize = (int) sizeof (VstMidiEvent);
            m.deltaFrames = in.i32();
            for (auto& b : m.midiData)
                b = (char) in.byte();

            auto& s = sysex[(size_t) i];
            s.type = kVstSysExType;
            s.byteSize = (int) sizeof (VstMidiSysexEvent);
            s.deltaFrames = m.deltaFrames;
            s.dumpBytes = (VstIntPtr) dump.size();
            s.sysexDump = reinterpret_cast<char*> (dump.data());

            list->events[i] = kind == 7   ? nullptr
                              : kind == 5 ? reinterpret_cast<VstEvent*> (&s)
                                          : reinterpret_cast<VstEvent*> (&m);
        }

        instance.dispatch (vst::effProcessEvents, 0, 0, list);
    }

    /** A text getter into a buffer of its promised size plus a canary. */
    void getText (Instance& instance, Input& in)
    {
        struct Getter
        {
            int opcode;
            int size;
        };
        static constexpr Getter getters[] = {
            { vst::effGetParamName, vst::maxParamStringBytes },
            { vst::effGetParamDisplay, vst::maxParamStringBytes },
            { vst::effGetParamLabel, vst::maxParamStringBytes },
            { vst::effGetProgramName, vst::maxProgramNameBytes },
            { vst::effGetProgramNameIndexed, vst::maxProgramNameBytes },
            { vst::effGetEffectName, vst::maxEffectNameBytes },
            { vst::effGetVendorString, vst::maxVendorBytes },
            { vst::effGetProductString, vst::maxProductBytes },
        };

        const auto& g = getters[in.byte() % std::size (getters)];
        const int index = in.i32();

        std::vector<std::uint8_t> text ((size_t) (g.size + 64), canaryByte);
        instance.dispatch (g.opcode, index, 0, text.data());

        for (size_t i = (size_t) g.size; i < text.size(); ++i)
            check (text[i] == canaryByte, "a text was written past its promised size");

        // Whatever was written ends inside the promised size.
        const auto end = text.begin() + g.size;
        const bool written = std::find_if (text.begin(), end, [] (std::uint8_t b) { return b != canaryByte; })
                             != end;
        if (written)
            check (std::find (text.begin(), end, (std::uint8_t) 0) != end, "a text without its zero byte");
    }

    /** Any other opcode, with a zeroed buffer for whatever it reads or writes. */
    void anyOpcode (Instance& instance, Input& in)
    {
        const int opcode = in.i32() % 128;
        const int index = in.i32();
        const VstIntPtr value = in.i32();
        const float opt = in.f32();

        switch (opcode)
        {
            case vst::effClose:      // its own step
            case vst::effEditOpen:   // needs a window
            case vst::effEditClose:
            case vst::effEditIdle:
            case vst::effEditGetRect:
            case vst::effSetChunk:   // its own step: needs data of its size
            case vst::effGetChunk:
            case 42:   // effSetSpeakerArrangement: pointers in value
            case vst::effGetSpeakerArrangement:
                return;
            default:
                break;
        }

        std::vector<std::uint8_t> buffer (1024, 0);
        instance.dispatch (opcode, index, value, buffer.data(), opt);
        instance.checkSlots ("an opcode changed a slot behind the host's back");
    }

    //==========================================================================
    enum Op
    {
        opSelect,
        opOpen,
        opClose,
        opSampleRate,
        opBlockSize,
        opMains,
        opSetParameter,
        opGetParameter,
        opEvents,
        opProcessReplacing,
        opProcess,
        opGetChunk,
        opSetChunk,
        opHandBackChunk,
        opRereadChunk,
        opRoundTrip,
        opGetText,
        opSetProgramName,
        opCanDo,
        opEditGetRect,
        opEditOpen,
        opEditClose,
        opEditIdle,
        opAnyOpcode,
        opWait,
        opCount
    };

    void step (Input& in, int& current, int& waitedMs)
    {
        const int op = in.byte() % opCount;

        if (op == opSelect)
        {
            current = in.byte() % maxInstances;
            auto& instance = instances[(size_t) current];
            if (instance.effect == nullptr)
            {
                instance.effect = entryPoint (hostCallback);
                check (instance.effect != nullptr && instance.effect->magic == vst::effectMagic,
                       "the entry point gave no effect");
                instance.readSlots();
            }
            return;
        }

        if (op == opWait)
        {
            const int ms = realTime ? std::min ((int) in.byte() * 20, 3000 - waitedMs) : in.byte() % 3;
            waitedMs += std::max (0, ms);
            std::this_thread::sleep_for (std::chrono::milliseconds (std::max (0, ms)));
            return;
        }

        auto& instance = instances[(size_t) current];
        if (instance.effect == nullptr)
            return;

        switch (op)
        {
            case opOpen: instance.dispatch (vst::effOpen); break;
            case opClose: instance.close(); break;
            case opSampleRate: instance.dispatch (vst::effSetSampleRate, 0, 0, nullptr, in.f32()); break;
            case opBlockSize: instance.dispatch (vst::effSetBlockSize, 0, in.i32()); break;
            case opMains: instance.dispatch (vst::effMainsChanged, 0, in.byte() & 1); break;

            case opSetParameter:
            {
                const int index = in.i32();
                const float value = in.f32();
                const auto slot = (size_t) clampIndex (index);
                const auto old = instance.slots[slot];
                instance.effect->setParameter (instance.effect, index, value);

                // Stored as given; a value equal to the one held may leave it.
                const auto now = bitsOf (instance.get (index));
                check (now == bitsOf (value) || (now == old && floatOf (old) == value),
                       "getParameter does not give the value stored");
                instance.slots[slot] = now;
                break;
            }

            case opGetParameter:
            {
                const int index = in.i32();
                check (bitsOf (instance.get (index)) == instance.slots[(size_t) clampIndex (index)],
                       "getParameter does not give the value stored");
                break;
            }

            case opEvents: sendEvents (instance, in); break;
            case opProcessReplacing: processBlock (instance, in, true); break;
            case opProcess: processBlock (instance, in, false); break;
            case opGetChunk: instance.getChunk ((in.byte() & 1) != 0); break;
            case opSetChunk: instance.setChunk (in.bytes (in.u16() % 2048)); break;

            case opHandBackChunk:
                // Hosts hand the very block they were given back.
                if (instance.chunk != nullptr)
                {
                    instance.dispatch (vst::effSetChunk, 0, (VstIntPtr) instance.chunkCopy.size(),
                                       const_cast<std::uint8_t*> (instance.chunk));
                    instance.readSlots();
                }
                break;

            case opRereadChunk: instance.checkChunkIntact(); break;

            case opRoundTrip:
            {
                // Infinities and NaNs have no text that reads back as them.
                const auto before = instance.slots;
                const bool finite = instance.allSlotsFinite();
                const auto saved = instance.getChunk (false);
                instance.setChunk (saved);
                if (finite)
                {
                    check (instance.slots == before, "a saved state loaded back changed a slot");
                    check (instance.getChunk (false) == saved, "save, load, save changed the state");
                }
                break;
            }

            case opGetText: getText (instance, in); break;

            case opSetProgramName:
            {
                // Exactly the promised 24 characters, without a zero byte.
                auto name = in.bytes (vst::maxProgramNameBytes - 1);
                name.resize (vst::maxProgramNameBytes - 1, 'x');
                instance.dispatch (vst::effSetProgramName, 0, 0, name.data());
                break;
            }

            case opCanDo:
            {
                auto text = in.bytes (in.byte() % 40);
                text.push_back (0);
                instance.dispatch (vst::effCanDo, 0, 0, text.data());
                break;
            }

            case opEditGetRect:
                if (display != nullptr)
                {
                    ERect* rect = nullptr;
                    instance.dispatch (vst::effEditGetRect, 0, 0, &rect);
                }
                break;

            case opEditOpen:
                if (display != nullptr)
                {
                    instance.dispatch (vst::effEditOpen, 0, 0, reinterpret_cast<void*> (hostWindows[(size_t) current]));
                    XFlush (display);
                }
                break;

            case opEditClose:
                if (display != nullptr)
                    instance.dispatch (vst::effEditClose);
                break;

            case opEditIdle:
                if (display != nullptr)
                    instance.dispatch (vst::effEditIdle);
                break;

            case opAnyOpcode: anyOpcode (instance, in); break;
            default: break;
        }

        // Nobody touches the editors: no slot of any instance may move.
        for (auto& other : instances)
            if (other.effect != nullptr)
                other.checkSlots ("a slot changed that the host did not write");
        checkAutomations();
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    realTime = std::getenv ("ZEPHYRINE_FUZZ_REAL_TIME") != nullptr;

    // Loaded once and kept: its coverage counters register as it loads.
    auto* library = dlopen (ZEPHYRINE_VST_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
    {
        std::fprintf (stderr, "cannot load %s: %s\n", ZEPHYRINE_VST_PATH, dlerror());
        std::exit (1);
    }
    entryPoint = reinterpret_cast<EntryPoint> (dlsym (library, "VSTPluginMain"));
    if (entryPoint == nullptr)
        std::exit (1);

    // No X error handler of our own: like many hosts, errors go to Xlib's.
    if (std::getenv ("DISPLAY") != nullptr && (display = XOpenDisplay (nullptr)) != nullptr)
    {
        for (auto& w : hostWindows)
        {
            w = XCreateSimpleWindow (display, DefaultRootWindow (display), 0, 0, 520, 220, 0, 0, 0x203040);
            XMapWindow (display, w);
        }
        XSync (display, False);
    }

    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    Input in (data, size);
    int current = 0;
    int waitedMs = 0;

    for (int steps = 0; ! in.atEnd() && steps < 256; ++steps)
        step (in, current, waitedMs);

    for (auto& instance : instances)
        if (instance.effect != nullptr)
            instance.close();

    checkAutomations();
    return 0;
}
