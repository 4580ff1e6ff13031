// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "FstInterface.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/** A small host for VST 2 plug-in libraries: loads one, talks to it through
    its dispatcher and entry functions, and answers its calls back. Plain C++
    and the dynamic loader only, so that tools and tests can share it. */
namespace vsthost
{
    /** One call of the plug-in into its host. */
    struct HostCall
    {
        AEffect* effect = nullptr;   // null while the entry point runs, before the plug-in exists
        int32_t opcode = 0;
        int32_t index = 0;
        intptr_t value = 0;
        void* ptr = nullptr;
        float opt = 0.0f;
    };

    /** Sees every host call first. Return a value to answer the call, or nullopt
    to leave it to the built-in answers. May be called on any thread the
    plug-in calls from. */
    using HostCallHandler = std::function<std::optional<intptr_t> (const HostCall&)>;

    struct HostOptions
    {
        intptr_t hostVersion = 2400;      // the answer to audioMasterVersion
        int32_t processLevel = 0;         // audioMasterGetCurrentProcessLevel: 0 unknown, 2 realtime, 4 offline
        bool requireInstrument = false;   // refuse a plug-in whose flags lack effFlagsIsSynth
        std::string vendorName = "Zephyrine developers";
        std::string productName = "vsthost";
        HostCallHandler handler;
    };

    enum class LoadError
    {
        none,
        cannotOpenLibrary,   // dlopen failed (missing file, not a library, unresolved symbols)
        noEntryPoint,        // neither VSTPluginMain nor main is exported
        entryReturnedNull,   // the entry point declined to create an instance
        badMagic,            // what it returned is not an effect descriptor
        notAnInstrument      // requireInstrument was set and effFlagsIsSynth is clear
    };

    /** A short name of the error, e.g. "no entry point". */
    const char* describe (LoadError error) noexcept;

    /** One MIDI message for effProcessEvents, at a sample offset into the next block. */
    struct MidiEvent
    {
        int32_t deltaFrames = 0;
        uint8_t data[3] = {};
    };

    class Plugin;

    struct LoadResult
    {
        std::unique_ptr<Plugin> plugin;
        LoadError error = LoadError::none;
        std::string message;   // what went wrong, naming the library

        explicit operator bool() const noexcept { return plugin != nullptr; }
    };

    /** One loaded plug-in instance. Destroying it suspends and closes the
    instance if needed and unloads the library. Not copyable or movable: the
    host callback finds the object through its effect pointer. */
    class Plugin
    {
    public:
        /** Loads the library at path and creates one instance (the entry point
        runs, but effOpen is not sent yet). */
        static LoadResult load (const std::string& path, HostOptions options = {});

        ~Plugin();
        Plugin (const Plugin&) = delete;
        Plugin& operator= (const Plugin&) = delete;

        /** The raw descriptor, for calls this class does not wrap. Null after close(). */
        AEffect* getEffect() const noexcept { return effect; }
        const std::string& getPath() const noexcept { return path; }

        /** effect->dispatcher; returns 0 without calling once the instance is closed. */
        intptr_t dispatch (int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

        // Descriptor fields (0 once closed).
        int getNumParameters() const noexcept;
        int getNumPrograms() const noexcept;
        int getNumInputs() const noexcept;
        int getNumOutputs() const noexcept;
        intptr_t getFlags() const noexcept;
        int32_t getUniqueId() const noexcept;
        int32_t getVersion() const noexcept;
        bool isInstrument() const noexcept { return (getFlags() & effFlagsIsSynth) != 0; }
        bool hasProgramChunks() const noexcept { return (getFlags() & effFlagsProgramChunks) != 0; }
        bool canReplace() const noexcept { return (getFlags() & effFlagsCanReplacing) != 0; }

        // The host's sequence: open, sample rate, block size, mains on, blocks, mains off, close.
        void open();
        void setSampleRate (double newRate);
        void setBlockSize (int newBlockSize);
        void setActive (bool shouldBeActive);   // effMainsChanged; sent only on change
        void close();                           // mains off if on, then effClose; idempotent

        bool isOpen() const noexcept { return opened; }
        bool isActive() const noexcept { return active; }
        double getSampleRate() const noexcept { return sampleRate; }
        int getBlockSize() const noexcept { return blockSize; }

        /** effProcessEvents with one VstMidiEvent per message; returns the plug-in's answer. */
        intptr_t sendMidi (const MidiEvent* events, size_t count);
        intptr_t sendMidi (const std::vector<MidiEvent>& events) { return sendMidi (events.data(), events.size()); }

        /** processReplacing, or clearing the outputs and process() for a plug-in without it. */
        void processReplacing (float** inputs, float** outputs, int numSamples);
        /** The accumulating process(): the plug-in adds to the outputs. */
        void processAccumulating (float** inputs, float** outputs, int numSamples);

        float getParameter (int index);
        void setParameter (int index, float value);
        std::string getParameterName (int index);
        std::string getParameterDisplay (int index);
        std::string getParameterLabel (int index);

        std::string getEffectName();
        std::string getVendorString();
        std::string getProductString();
        intptr_t getVendorVersion();
        intptr_t getVstVersion();
        intptr_t getPlugCategory();
        /** effCanDo: 1 yes, -1 no, 0 don't know. */
        intptr_t canDo (const std::string& capability);

        /** effGetChunk, copied out; empty when the plug-in hands out nothing. */
        std::vector<uint8_t> getChunk (bool preset = false);
        /** effSetChunk with a copy of the bytes; returns the plug-in's answer. */
        intptr_t setChunk (const std::vector<uint8_t>& bytes, bool preset = false);

        /** What audioMasterGetTime reports from now on. */
        void setTransport (double samplePosition, double tempoBpm, double ppqPosition, bool playing);

        /** True once the plug-in has asked for MIDI with audioMasterWantMidi. */
        bool hasAskedForMidi() const noexcept { return askedForMidi; }

    private:
        Plugin (std::string libraryPath, HostOptions hostOptions);

        static intptr_t hostCallback (AEffect*, int32_t, int32_t, intptr_t, void*, float);
        intptr_t answer (const HostCall& call);
        std::string readString (int32_t opcode, int32_t index);

        std::string path;
        HostOptions options;
        void* library = nullptr;
        AEffect* effect = nullptr;
        bool opened = false, active = false;
        std::atomic<bool> askedForMidi { false };
        double sampleRate = 44100.0;
        int blockSize = 512;

        VstTimeInfo timeInfo {};
        std::vector<VstMidiEvent> midiStorage;
        std::vector<intptr_t> eventListStorage;   // a VstEvents header and its pointer array
        std::vector<uint8_t> chunkStorage;
    };
}
