// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "AudioEffect.h"

/** The second layer of the host adapter: the interface's 2.x opcodes
    (events, names, capabilities, categories, speaker arrangement) as virtual
    calls, and the host calls that go with them. */
class AudioEffectX : public AudioEffect
{
public:
    using AudioEffect::AudioEffect;

    vst::IntPtr dispatcher (int opcode, int index, vst::IntPtr value, void* ptr, float opt) override;

    virtual int processEvents (const VstEvents* events)
    {
        (void) events;
        return 0;
    }
    virtual bool canParameterBeAutomated (int index)
    {
        (void) index;
        return false;
    }
    virtual int getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed (int category, int index, char* text)
    {
        (void) category;
        (void) index;
        (void) text;
        return false;
    }
    virtual bool setBlockSizeAndSampleRate (vst::IntPtr newBlockSize, float newRate);
    virtual bool getEffectName (char* text)
    {
        (void) text;
        return false;
    }
    virtual bool getVendorString (char* text)
    {
        (void) text;
        return false;
    }
    virtual bool getProductString (char* text)
    {
        (void) text;
        return false;
    }
    virtual int getVendorVersion() { return 0; }
    virtual int canDo (const char* text)
    {
        (void) text;
        return 0;
    }
    virtual int getPlugCategory() { return 0; }
    virtual bool keysRequired() { return false; }
    virtual int getCurrentMidiProgram() { return -1; }

protected:
    /** Asks the host to send MIDI events. */
    void wantEvents() { callHost (vst::audioMasterWantMidi, 0, 1); }

    /** Gives the host a chance to run its own idle work. */
    void hostIdle() { callHost (vst::audioMasterIdle); }
};
