// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "VstInterface.h"

/** The bottom layer of the host adapter: owns the C-level descriptor that the
    host holds, routes the descriptor's entry functions to virtual calls, and
    answers the interface's first-generation dispatcher opcodes. */
class AudioEffect
{
public:
    AudioEffect (audioMasterCallback hostCallback, int numPrograms, int numParams);
    virtual ~AudioEffect();

    AEffect* getAeffect() noexcept { return &descriptor.effect; }

    /** The dispatcher: answers an opcode, 0 for every one it does not know. */
    virtual vst::IntPtr dispatcher (int opcode, int index, vst::IntPtr value, void* ptr, float opt);

    virtual void process (float** inputs, float** outputs, int numSamples)
    {
        (void) inputs;
        (void) outputs;
        (void) numSamples;
    }
    virtual void processReplacing (float** inputs, float** outputs, int numSamples)
    {
        (void) inputs;
        (void) outputs;
        (void) numSamples;
    }
    virtual void setParameter (int index, float value)
    {
        (void) index;
        (void) value;
    }
    virtual float getParameter (int index)
    {
        (void) index;
        return 0.0f;
    }

    virtual void open() {}
    virtual void close() {}
    virtual void setProgram (int program) { (void) program; }
    virtual int getProgram() { return 0; }
    virtual void setProgramName (const char* name) { (void) name; }
    virtual void getProgramName (char* text) { text[0] = 0; }
    virtual void getParameterLabel (int index, char* text)
    {
        (void) index;
        text[0] = 0;
    }
    virtual void getParameterDisplay (int index, char* text)
    {
        (void) index;
        text[0] = 0;
    }
    virtual void getParameterName (int index, char* text)
    {
        (void) index;
        text[0] = 0;
    }
    virtual void setSampleRate (float newRate) { sampleRate = newRate; }
    virtual void setBlockSize (vst::IntPtr newSize) { blockSize = newSize; }
    virtual void suspend() {}
    virtual void resume() {}
    virtual ERect* getEditorRect() { return nullptr; }
    virtual bool openEditor (void* parentWindow)
    {
        (void) parentWindow;
        return false;
    }
    virtual void closeEditor() {}
    virtual void idleEditor() {}
    virtual vst::IntPtr getChunk (void** data, bool isPreset)
    {
        (void) data;
        (void) isPreset;
        return 0;
    }
    virtual void setChunk (const void* data, vst::IntPtr size, bool isPreset)
    {
        (void) data;
        (void) size;
        (void) isPreset;
    }

protected:
    /** Calls the host back; 0 when the host gave no callback. */
    vst::IntPtr callHost (int opcode, int index = 0, vst::IntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) const;
    bool hasHostCallback() const noexcept { return hostCallback != nullptr; }
    int numPrograms() const noexcept { return descriptor.effect.numPrograms; }

    void setNumInputs (int n) noexcept { descriptor.effect.numInputs = n; }
    void setNumOutputs (int n) noexcept { descriptor.effect.numOutputs = n; }
    void setUniqueId (std::int32_t id) noexcept { descriptor.effect.uniqueID = id; }
    void setVersion (std::int32_t v) noexcept { descriptor.effect.version = v; }
    void setInitialDelay (std::int32_t d) noexcept { descriptor.effect.initialDelay = d; }
    void setFlag (int flag, bool on) noexcept;

    /** Kept for the next resume; the host's last word, unchecked. */
    float sampleRate = 44100.0f;
    vst::IntPtr blockSize = 1024;

private:
    // Room for the interface's reserved tail, which some hosts expect to exist.
    struct Descriptor
    {
        AEffect effect;
        char reserved[56];
    };

    Descriptor descriptor {};
    audioMasterCallback hostCallback = nullptr;

    static AudioEffect* fromEffect (AEffect*) noexcept;
    static vst::IntPtr dispatchEntry (AEffect*, int opcode, int index, vst::IntPtr value, void* ptr, float opt);
    static void processEntry (AEffect*, float** inputs, float** outputs, int numSamples);
    static void processReplacingEntry (AEffect*, float** inputs, float** outputs, int numSamples);
    static void setParameterEntry (AEffect*, int index, float value);
    static float getParameterEntry (AEffect*, int index);

    AudioEffect (const AudioEffect&) = delete;
    AudioEffect& operator= (const AudioEffect&) = delete;
};
