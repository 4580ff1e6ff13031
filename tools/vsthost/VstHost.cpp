// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstHost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace vsthost
{
    namespace
    {
        using EntryPoint = AEffect* (*) (audioMasterCallback);

        // The callback has only the effect pointer to go by; this maps it back to
        // its Plugin. While an entry point runs there is no effect pointer yet, so
        // calls from that thread go to the plug-in being loaded.
        std::mutex registryLock;
        std::vector<std::pair<AEffect*, Plugin*>> registry;
        thread_local Plugin* pluginBeingLoaded = nullptr;

        void registerEffect (AEffect* effect, Plugin* owner)
        {
            const std::lock_guard<std::mutex> lock (registryLock);
            registry.emplace_back (effect, owner);
        }

        void unregisterEffect (AEffect* effect)
        {
            const std::lock_guard<std::mutex> lock (registryLock);
            registry.erase (std::remove_if (registry.begin(), registry.end(),
                                            [effect] (const auto& entry) { return entry.first == effect; }),
                            registry.end());
        }

        Plugin* findOwner (AEffect* effect)
        {
            if (effect != nullptr)
            {
                const std::lock_guard<std::mutex> lock (registryLock);
                for (const auto& entry : registry)
                    if (entry.first == effect)
                        return entry.second;
            }
            return pluginBeingLoaded;
        }

        void copyText (void* destination, const std::string& text, size_t capacity)
        {
            if (destination == nullptr || capacity == 0)
                return;
            const auto length = std::min (text.size(), capacity - 1);
            std::memcpy (destination, text.data(), length);
            static_cast<char*> (destination)[length] = 0;
        }

        std::string lastDlError()
        {
            const char* text = dlerror();
            return text != nullptr ? text : "unknown reason";
        }
    }

    const char* describe (LoadError error) noexcept
    {
        switch (error)
        {
            case LoadError::none: return "no error";
            case LoadError::cannotOpenLibrary: return "the library cannot be loaded";
            case LoadError::noEntryPoint: return "no VST 2 entry point";
            case LoadError::entryReturnedNull: return "the entry point returned no plug-in";
            case LoadError::badMagic: return "not a VST 2 plug-in";
            case LoadError::notAnInstrument: return "not an instrument";
        }
        return "unknown error";
    }

    Plugin::Plugin (std::string libraryPath, HostOptions hostOptions)
        : path (std::move (libraryPath)), options (std::move (hostOptions))
    {
        setTransport (0.0, 120.0, 0.0, false);
    }

    LoadResult Plugin::load (const std::string& path, HostOptions options)
    {
        LoadResult result;
        auto fail = [&result, &path] (LoadError error, const std::string& detail) {
            result.plugin.reset();
            result.error = error;
            result.message = "'" + path + "': " + describe (error) + (detail.empty() ? "" : " (" + detail + ")");
            return std::move (result);
        };

        const bool requireInstrument = options.requireInstrument;
        std::unique_ptr<Plugin> plugin (new Plugin (path, std::move (options)));

        dlerror();
        plugin->library = dlopen (path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (plugin->library == nullptr)
            return fail (LoadError::cannotOpenLibrary, lastDlError());

        auto* entry = reinterpret_cast<EntryPoint> (dlsym (plugin->library, "VSTPluginMain"));
        if (entry == nullptr)
            entry = reinterpret_cast<EntryPoint> (dlsym (plugin->library, "main"));
        if (entry == nullptr)
            return fail (LoadError::noEntryPoint, "exports neither VSTPluginMain nor main");

        pluginBeingLoaded = plugin.get();
        AEffect* effect = entry (&Plugin::hostCallback);
        pluginBeingLoaded = nullptr;

        if (effect == nullptr)
            return fail (LoadError::entryReturnedNull, {});
        if (effect->magic != kEffectMagic)
            return fail (LoadError::badMagic, "wrong magic number");

        plugin->effect = effect;
        registerEffect (effect, plugin.get());

        if (requireInstrument && ! plugin->isInstrument())
            return fail (LoadError::notAnInstrument, "effFlagsIsSynth is clear");

        result.plugin = std::move (plugin);
        return result;
    }

    Plugin::~Plugin()
    {
        close();
        if (library != nullptr)
            dlclose (library);
    }

    intptr_t Plugin::dispatch (int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
    {
        if (effect == nullptr || effect->dispatcher == nullptr)
            return 0;
        return effect->dispatcher (effect, opcode, index, value, ptr, opt);
    }

    int Plugin::getNumParameters() const noexcept { return effect != nullptr ? effect->numParams : 0; }
    int Plugin::getNumPrograms() const noexcept { return effect != nullptr ? effect->numPrograms : 0; }
    int Plugin::getNumInputs() const noexcept { return effect != nullptr ? effect->numInputs : 0; }
    int Plugin::getNumOutputs() const noexcept { return effect != nullptr ? effect->numOutputs : 0; }
    intptr_t Plugin::getFlags() const noexcept { return effect != nullptr ? effect->flags : 0; }
    int32_t Plugin::getUniqueId() const noexcept { return effect != nullptr ? effect->uniqueID : 0; }
    int32_t Plugin::getVersion() const noexcept { return effect != nullptr ? effect->version : 0; }

    void Plugin::open()
    {
        if (effect == nullptr || opened)
            return;
        dispatch (effOpen);
        opened = true;
    }

    void Plugin::setSampleRate (double newRate)
    {
        sampleRate = newRate;
        timeInfo.sampleRate = newRate;
        dispatch (effSetSampleRate, 0, 0, nullptr, static_cast<float> (newRate));
    }

    void Plugin::setBlockSize (int newBlockSize)
    {
        blockSize = newBlockSize;
        dispatch (effSetBlockSize, 0, newBlockSize);
    }

    void Plugin::setActive (bool shouldBeActive)
    {
        if (effect == nullptr || active == shouldBeActive)
            return;
        dispatch (effMainsChanged, 0, shouldBeActive ? 1 : 0);
        active = shouldBeActive;
    }

    void Plugin::close()
    {
        if (effect == nullptr)
            return;
        setActive (false);
        AEffect* closing = effect;
        dispatch (effClose);
        // The plug-in deletes its descriptor on effClose; forget it before anything can call back.
        effect = nullptr;
        opened = false;
        unregisterEffect (closing);
    }

    intptr_t Plugin::sendMidi (const MidiEvent* events, size_t count)
    {
        if (effect == nullptr)
            return 0;

        midiStorage.resize (count);
        for (size_t i = 0; i < count; ++i)
        {
            VstMidiEvent& e = midiStorage[i];
            e = VstMidiEvent {};
            e.type = kVstMidiType;
            e.byteSize = static_cast<int> (sizeof (VstMidiEvent));
            e.deltaFrames = events[i].deltaFrames;
            std::memcpy (e.midiData, events[i].data, 3);
        }

        // VstEvents is a header followed by an array of event pointers.
        const size_t bytes = offsetof (VstEvents, events) + count * sizeof (VstEvent*);
        eventListStorage.assign ((bytes + sizeof (intptr_t) - 1) / sizeof (intptr_t) + 1, 0);
        auto* list = reinterpret_cast<VstEvents*> (eventListStorage.data());
        list->numEvents = static_cast<int> (count);
        for (size_t i = 0; i < count; ++i)
            list->events[i] = reinterpret_cast<VstEvent*> (&midiStorage[i]);

        return dispatch (effProcessEvents, 0, 0, list);
    }

    void Plugin::processReplacing (float** inputs, float** outputs, int numSamples)
    {
        if (effect == nullptr || numSamples <= 0)
            return;

        if (effect->processReplacing != nullptr && canReplace())
        {
            effect->processReplacing (effect, inputs, outputs, numSamples);
            return;
        }

        for (int channel = 0; channel < effect->numOutputs; ++channel)
            std::fill (outputs[channel], outputs[channel] + numSamples, 0.0f);
        processAccumulating (inputs, outputs, numSamples);
    }

    void Plugin::processAccumulating (float** inputs, float** outputs, int numSamples)
    {
        if (effect != nullptr && effect->process != nullptr && numSamples > 0)
            effect->process (effect, inputs, outputs, numSamples);
    }

    float Plugin::getParameter (int index)
    {
        return effect != nullptr && effect->getParameter != nullptr ? effect->getParameter (effect, index) : 0.0f;
    }

    void Plugin::setParameter (int index, float value)
    {
        if (effect != nullptr && effect->setParameter != nullptr)
            effect->setParameter (effect, index, value);
    }

    std::string Plugin::readString (int32_t opcode, int32_t index)
    {
        // The interface's nominal sizes are small and often exceeded: give plenty.
        char buffer[512] = {};
        dispatch (opcode, index, 0, buffer);
        buffer[sizeof (buffer) - 1] = 0;
        return buffer;
    }

    std::string Plugin::getParameterName (int index) { return readString (effGetParamName, index); }
    std::string Plugin::getParameterDisplay (int index) { return readString (effGetParamDisplay, index); }
    std::string Plugin::getParameterLabel (int index) { return readString (effGetParamLabel, index); }
    std::string Plugin::getEffectName() { return readString (effGetEffectName, 0); }
    std::string Plugin::getVendorString() { return readString (effGetVendorString, 0); }
    std::string Plugin::getProductString() { return readString (effGetProductString, 0); }
    intptr_t Plugin::getVendorVersion() { return dispatch (effGetVendorVersion); }
    intptr_t Plugin::getVstVersion() { return dispatch (effGetVstVersion); }
    intptr_t Plugin::getPlugCategory() { return dispatch (effGetPlugCategory); }

    intptr_t Plugin::canDo (const std::string& capability)
    {
        std::vector<char> text (capability.begin(), capability.end());
        text.push_back (0);
        return dispatch (effCanDo, 0, 0, text.data());
    }

    std::vector<uint8_t> Plugin::getChunk (bool preset)
    {
        void* data = nullptr;
        const intptr_t size = dispatch (effGetChunk, preset ? 1 : 0, 0, &data);
        if (size <= 0 || data == nullptr)
            return {};
        const auto* bytes = static_cast<const uint8_t*> (data);
        return std::vector<uint8_t> (bytes, bytes + size);
    }

    intptr_t Plugin::setChunk (const std::vector<uint8_t>& bytes, bool preset)
    {
        chunkStorage = bytes;
        return dispatch (effSetChunk, preset ? 1 : 0, static_cast<intptr_t> (chunkStorage.size()),
                         chunkStorage.empty() ? nullptr : chunkStorage.data());
    }

    void Plugin::setTransport (double samplePosition, double tempoBpm, double ppqPosition, bool playing)
    {
        timeInfo.samplePos = samplePosition;
        timeInfo.sampleRate = sampleRate;
        timeInfo.tempo = tempoBpm;
        timeInfo.ppqPos = ppqPosition;
        timeInfo.barStartPos = 4.0 * static_cast<double> (static_cast<long long> (ppqPosition / 4.0));
        timeInfo.timeSigNumerator = 4;
        timeInfo.timeSigDenominator = 4;
        timeInfo.flags = kVstTempoValid | kVstPpqPosValid | kVstBarsValid | kVstTimeSigValid
                         | (playing ? kVstTransportPlaying : 0);
    }

    intptr_t Plugin::hostCallback (AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
    {
        const HostCall call { effect, opcode, index, value, ptr, opt };
        if (Plugin* owner = findOwner (effect))
            return owner->answer (call);

        // A call we cannot place (another thread during loading): answer as a host would.
        return opcode == audioMasterVersion ? HostOptions {}.hostVersion : 0;
    }

    intptr_t Plugin::answer (const HostCall& call)
    {
        if (options.handler)
            if (const auto handled = options.handler (call))
                return *handled;

        switch (call.opcode)
        {
            case audioMasterVersion: return options.hostVersion;
            case audioMasterWantMidi: askedForMidi = true; return 1;
            case audioMasterGetTime: return reinterpret_cast<intptr_t> (&timeInfo);
            case audioMasterGetSampleRate: return static_cast<intptr_t> (sampleRate);
            case audioMasterGetBlockSize: return blockSize;
            case audioMasterGetCurrentProcessLevel: return options.processLevel;
            case audioMasterGetVendorString: copyText (call.ptr, options.vendorName, kVstMaxVendorStrLen); return 1;
            case audioMasterGetProductString: copyText (call.ptr, options.productName, kVstMaxProductStrLen); return 1;
            case audioMasterGetVendorVersion: return 1;
            case audioMasterCanDo:
            {
                if (call.ptr == nullptr)
                    return 0;
                const std::string capability (static_cast<const char*> (call.ptr));
                for (const char* known : { "sendVstEvents", "sendVstMidiEvent", "sendVstTimeInfo" })
                    if (capability == known)
                        return 1;
                return 0;
            }
            default: return 0;
        }
    }
}
