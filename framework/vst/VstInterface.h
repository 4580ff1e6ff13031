// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// The published VST 2 interface as the clean-room fst headers describe it:
// struct layouts and the names they know. Numbers that fst lacks or only
// guesses are defined here; every fst name used is checked against them.
// fst marks its open questions with #warning, which no pragma silences in
// g++ 12: targets including this header build with -Wno-cpp.
#include "framework/FourCharacterCode.h"

#include <pluginterfaces/fst/fst.h>

#include <cstddef>
#include <cstdint>

namespace vst
{
    using IntPtr = VstIntPtr;

    // Plug-in (dispatcher) opcodes.
    inline constexpr int effOpen = 0;
    inline constexpr int effClose = 1;
    inline constexpr int effSetProgram = 2;
    inline constexpr int effGetProgram = 3;
    inline constexpr int effSetProgramName = 4;
    inline constexpr int effGetProgramName = 5;
    inline constexpr int effGetParamLabel = 6;
    inline constexpr int effGetParamDisplay = 7;
    inline constexpr int effGetParamName = 8;
    inline constexpr int effGetVu = 9;
    inline constexpr int effSetSampleRate = 10;
    inline constexpr int effSetBlockSize = 11;
    inline constexpr int effMainsChanged = 12;
    inline constexpr int effEditGetRect = 13;
    inline constexpr int effEditOpen = 14;
    inline constexpr int effEditClose = 15;
    inline constexpr int effEditIdle = 19;
    inline constexpr int effIdentify = 22;
    inline constexpr int effGetChunk = 23;
    inline constexpr int effSetChunk = 24;
    inline constexpr int effProcessEvents = 25;
    inline constexpr int effCanBeAutomated = 26;
    inline constexpr int effGetNumProgramCategories = 28;
    inline constexpr int effGetProgramNameIndexed = 29;
    inline constexpr int effConnectInput = 31;
    inline constexpr int effConnectOutput = 32;
    inline constexpr int effGetPlugCategory = 35;
    inline constexpr int effSetBlockSizeAndSampleRate = 43;
    inline constexpr int effGetEffectName = 45;
    inline constexpr int effGetVendorString = 47;
    inline constexpr int effGetProductString = 48;
    inline constexpr int effGetVendorVersion = 49;
    inline constexpr int effCanDo = 51;
    inline constexpr int effKeysRequired = 57;
    inline constexpr int effGetVstVersion = 58;
    inline constexpr int effGetCurrentMidiProgram = 63;
    inline constexpr int effGetSpeakerArrangement = 69;
    inline constexpr int effSetTotalSampleToProcess = 73;

    /** Opcodes 0 to this one are the interface's; we answer 0 to every one we do not list. */
    inline constexpr int lastKnownOpcode = 76;

    // Host callback opcodes.
    inline constexpr int audioMasterAutomate = 0;
    inline constexpr int audioMasterVersion = 1;
    inline constexpr int audioMasterIdle = 3;
    inline constexpr int audioMasterWantMidi = 6;

    // Descriptor flags.
    inline constexpr int effFlagsHasEditor = 1 << 0;
    inline constexpr int effFlagsCanReplacing = 1 << 4;
    inline constexpr int effFlagsProgramChunks = 1 << 5;
    inline constexpr int effFlagsIsSynth = 1 << 8;

    inline constexpr int kPlugCategSynth = 2;
    inline constexpr int kVstMidiType = 1;

    inline constexpr std::int32_t effectMagic = fourCharacterCode ("VstP");
    inline constexpr std::int32_t identifyReply = fourCharacterCode ("NvEf");

    /** Interface version this adapter implements, as effGetVstVersion reports it. */
    inline constexpr int implementedVersion = 2300;

    // Buffer sizes the interface promises for the host's text buffers, zero byte included.
    inline constexpr int maxProgramNameBytes = 25;   // 24 characters
    inline constexpr int maxParamStringBytes = 8;    // 7 characters
    inline constexpr int maxEffectNameBytes = 32;
    inline constexpr int maxVendorBytes = 64;
    inline constexpr int maxProductBytes = 64;
}

// The fst names this adapter relies on carry the numbers above.
static_assert (vst::effOpen == ::effOpen);
static_assert (vst::effClose == ::effClose);
static_assert (vst::effSetProgram == ::effSetProgram);
static_assert (vst::effGetProgram == ::effGetProgram);
static_assert (vst::effSetProgramName == ::effSetProgramName);
static_assert (vst::effGetProgramName == ::effGetProgramName);
static_assert (vst::effGetParamLabel == ::effGetParamLabel);
static_assert (vst::effGetParamDisplay == ::effGetParamDisplay);
static_assert (vst::effGetParamName == ::effGetParamName);
static_assert (vst::effSetSampleRate == ::effSetSampleRate);
static_assert (vst::effSetBlockSize == ::effSetBlockSize);
static_assert (vst::effMainsChanged == ::effMainsChanged);
static_assert (vst::effEditGetRect == ::effEditGetRect);
static_assert (vst::effEditOpen == ::effEditOpen);
static_assert (vst::effEditClose == ::effEditClose);
static_assert (vst::effEditIdle == ::effEditIdle);
static_assert (vst::effIdentify == ::effIdentify);
static_assert (vst::effGetChunk == ::effGetChunk);
static_assert (vst::effSetChunk == ::effSetChunk);
static_assert (vst::effProcessEvents == ::effProcessEvents);
static_assert (vst::effCanBeAutomated == ::effCanBeAutomated);
static_assert (vst::effGetProgramNameIndexed == ::effGetProgramNameIndexed);
static_assert (vst::effGetPlugCategory == ::effGetPlugCategory);
static_assert (vst::effGetEffectName == ::effGetEffectName);
static_assert (vst::effGetVendorString == ::effGetVendorString);
static_assert (vst::effGetProductString == ::effGetProductString);
static_assert (vst::effGetVendorVersion == ::effGetVendorVersion);
static_assert (vst::effCanDo == ::effCanDo);
static_assert (vst::effGetVstVersion == ::effGetVstVersion);
static_assert (vst::effGetCurrentMidiProgram == ::effGetCurrentMidiProgram);
static_assert (vst::effGetSpeakerArrangement == ::effGetSpeakerArrangement);
static_assert (vst::effSetTotalSampleToProcess == ::effSetTotalSampleToProcess);
static_assert (vst::audioMasterAutomate == ::audioMasterAutomate);
static_assert (vst::audioMasterVersion == ::audioMasterVersion);
static_assert (vst::audioMasterWantMidi == ::audioMasterWantMidi);
static_assert (vst::effFlagsHasEditor == ::effFlagsHasEditor);
static_assert (vst::effFlagsCanReplacing == ::effFlagsCanReplacing);
static_assert (vst::effFlagsProgramChunks == ::effFlagsProgramChunks);
static_assert (vst::effFlagsIsSynth == ::effFlagsIsSynth);
static_assert (vst::kPlugCategSynth == ::kPlugCategSynth);
static_assert (vst::kVstMidiType == ::kVstMidiType);
static_assert (vst::effectMagic == ::kEffectMagic);
static_assert (vst::identifyReply == 0x4E764566);
static_assert (vst::maxProgramNameBytes == ::kVstMaxProgNameLen);
static_assert (vst::maxParamStringBytes == ::kVstMaxParamStrLen);

// Hosts read these structures at fixed offsets (64-bit Linux).
static_assert (sizeof (void*) == 8, "the layout checks below are for 64-bit targets");
static_assert (offsetof (AEffect, dispatcher) == 8);
static_assert (offsetof (AEffect, numPrograms) == 40);
static_assert (offsetof (AEffect, flags) == 56);
static_assert (offsetof (AEffect, initialDelay) == 80);
static_assert (offsetof (AEffect, float1) == 92);   // ioRatio
static_assert (offsetof (AEffect, object) == 96);
static_assert (offsetof (AEffect, uniqueID) == 112);
static_assert (offsetof (AEffect, version) == 116);
static_assert (offsetof (AEffect, processReplacing) == 120);
static_assert (offsetof (VstEvents, events) == 16);
static_assert (offsetof (VstMidiEvent, deltaFrames) == 8);
static_assert (offsetof (VstMidiEvent, midiData) == 24);
static_assert (sizeof (VstMidiEvent) == 32);
static_assert (sizeof (ERect) == 8);
