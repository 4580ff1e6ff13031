// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AudioEffectX.h"

bool AudioEffectX::setBlockSizeAndSampleRate (vst::IntPtr newBlockSize, float newRate)
{
    setBlockSize (newBlockSize);
    setSampleRate (newRate);
    return true;
}

vst::IntPtr AudioEffectX::dispatcher (int opcode, int index, vst::IntPtr value, void* ptr, float opt)
{
    auto* text = static_cast<char*> (ptr);

    switch (opcode)
    {
        case vst::effProcessEvents: return processEvents (static_cast<const VstEvents*> (ptr));
        case vst::effCanBeAutomated: return canParameterBeAutomated (index) ? 1 : 0;
        case vst::effGetNumProgramCategories: return getNumCategories();
        case vst::effGetProgramNameIndexed: return text != nullptr && getProgramNameIndexed ((int) value, index, text) ? 1 : 0;
        case vst::effConnectInput: return 1;
        case vst::effConnectOutput: return 1;
        case vst::effGetPlugCategory: return getPlugCategory();
        case vst::effSetBlockSizeAndSampleRate: return setBlockSizeAndSampleRate (value, opt) ? 1 : 0;
        case vst::effGetEffectName: return text != nullptr && getEffectName (text) ? 1 : 0;
        case vst::effGetVendorString: return text != nullptr && getVendorString (text) ? 1 : 0;
        case vst::effGetProductString: return text != nullptr && getProductString (text) ? 1 : 0;
        case vst::effGetVendorVersion: return getVendorVersion();
        case vst::effCanDo: return text != nullptr ? canDo (text) : 0;
        case vst::effKeysRequired: return keysRequired() ? 1 : 0;
        case vst::effGetVstVersion: return vst::implementedVersion;
        case vst::effGetCurrentMidiProgram: return getCurrentMidiProgram();

        case vst::effGetSpeakerArrangement:
            // Both arrangement pointers come back null: the host uses the plain channel counts.
            if (value != 0)
                *reinterpret_cast<VstSpeakerArrangement**> (value) = nullptr;

            if (ptr != nullptr)
                *static_cast<VstSpeakerArrangement**> (ptr) = nullptr;

            return 0;

        case vst::effSetTotalSampleToProcess: return value;
        default: return AudioEffect::dispatcher (opcode, index, value, ptr, opt);
    }
}
