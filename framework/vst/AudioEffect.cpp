// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AudioEffect.h"

AudioEffect::AudioEffect (audioMasterCallback callback, int numPrograms, int numParams)
    : hostCallback (callback)
{
    auto& e = descriptor.effect;
    e.magic = vst::effectMagic;
    e.dispatcher = dispatchEntry;
    e.process = processEntry;
    e.setParameter = setParameterEntry;
    e.getParameter = getParameterEntry;
    e.processReplacing = processReplacingEntry;
    e.processDoubleReplacing = nullptr;
    e.numPrograms = numPrograms;
    e.numParams = numParams;
    e.numInputs = 1;
    e.numOutputs = 2;
    e.flags = 0;
    e.initialDelay = 0;
    e.float1 = 1.0f;   // ioRatio
    e.object = this;
    e.user = nullptr;
    e.uniqueID = fourCharacterCode ("NoEf");
    e.version = 1;
}

AudioEffect::~AudioEffect()
{
    descriptor.effect.object = nullptr;
    descriptor.effect.magic = 0;
}

void AudioEffect::setFlag (int flag, bool on) noexcept
{
    if (on)
        descriptor.effect.flags |= flag;
    else
        descriptor.effect.flags &= ~(vst::IntPtr) flag;
}

vst::IntPtr AudioEffect::callHost (int opcode, int index, vst::IntPtr value, void* ptr, float opt) const
{
    if (hostCallback == nullptr)
        return 0;

    return hostCallback (const_cast<AEffect*> (&descriptor.effect), opcode, index, value, ptr, opt);
}

vst::IntPtr AudioEffect::dispatcher (int opcode, int index, vst::IntPtr value, void* ptr, float opt)
{
    auto* text = static_cast<char*> (ptr);

    switch (opcode)
    {
        case vst::effOpen: open(); return 0;
        case vst::effClose: close(); return 1;
        case vst::effSetProgram:
            if (value < numPrograms())
                setProgram ((int) value);
            return 0;
        case vst::effGetProgram: return getProgram();
        case vst::effSetProgramName:
            if (text != nullptr)
                setProgramName (text);
            return 0;
        case vst::effGetProgramName:
            if (text != nullptr)
                getProgramName (text);
            return 0;
        case vst::effGetParamLabel:
            if (text != nullptr)
                getParameterLabel (index, text);
            return 0;
        case vst::effGetParamDisplay:
            if (text != nullptr)
                getParameterDisplay (index, text);
            return 0;
        case vst::effGetParamName:
            if (text != nullptr)
                getParameterName (index, text);
            return 0;
        case vst::effSetSampleRate: setSampleRate (opt); return 0;
        case vst::effSetBlockSize: setBlockSize (value); return 0;
        case vst::effMainsChanged:
            if (value != 0)
                resume();
            else
                suspend();
            return 0;

        case vst::effEditGetRect:
        {
            auto* rect = getEditorRect();

            if (rect != nullptr && ptr != nullptr)
                *static_cast<ERect**> (ptr) = rect;

            return (vst::IntPtr) rect;
        }

        case vst::effEditOpen: return openEditor (ptr) ? 1 : 0;
        case vst::effEditClose: closeEditor(); return 0;
        case vst::effEditIdle: idleEditor(); return 0;
        case vst::effIdentify: return vst::identifyReply;
        case vst::effGetChunk: return ptr != nullptr ? getChunk (static_cast<void**> (ptr), index != 0) : 0;
        case vst::effSetChunk: setChunk (ptr, value, index != 0); return 0;
        default: return 0;
    }
}

AudioEffect* AudioEffect::fromEffect (AEffect* e) noexcept
{
    if (e == nullptr || e->magic != vst::effectMagic)
        return nullptr;

    return static_cast<AudioEffect*> (e->object);
}

// The entry functions keep exceptions (a failed allocation, in practice) from
// unwinding into the host's C code.

vst::IntPtr AudioEffect::dispatchEntry (AEffect* e, int opcode, int index, vst::IntPtr value, void* ptr, float opt)
{
    auto* self = fromEffect (e);

    if (self == nullptr)
        return 0;

    try
    {
        if (opcode == vst::effClose)
        {
            self->close();
            delete self;
            return 1;
        }

        return self->dispatcher (opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

void AudioEffect::processEntry (AEffect* e, float** inputs, float** outputs, int numSamples)
{
    if (auto* self = fromEffect (e))
    {
        try
        {
            self->process (inputs, outputs, numSamples);
        }
        catch (...)
        {
        }
    }
}

void AudioEffect::processReplacingEntry (AEffect* e, float** inputs, float** outputs, int numSamples)
{
    if (auto* self = fromEffect (e))
    {
        try
        {
            self->processReplacing (inputs, outputs, numSamples);
        }
        catch (...)
        {
        }
    }
}

void AudioEffect::setParameterEntry (AEffect* e, int index, float value)
{
    if (auto* self = fromEffect (e))
    {
        try
        {
            self->setParameter (index, value);
        }
        catch (...)
        {
        }
    }
}

float AudioEffect::getParameterEntry (AEffect* e, int index)
{
    if (auto* self = fromEffect (e))
    {
        try
        {
            return self->getParameter (index);
        }
        catch (...)
        {
        }
    }

    return 0.0f;
}
