// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The library's only exports: the entry point under both names that Linux
// hosts look for.
#include "VstPluginFactory.h"

#define ZEPHYRINE_EXPORT extern "C" __attribute__ ((visibility ("default")))

ZEPHYRINE_EXPORT AEffect* VSTPluginMain (audioMasterCallback hostCallback);
ZEPHYRINE_EXPORT AEffect* VSTPluginMain (audioMasterCallback hostCallback)
{
    return createVstEffect (hostCallback);
}

// A C++ function cannot be called main and return a pointer; the assembler
// name gives the symbol anyway.
ZEPHYRINE_EXPORT AEffect* vstLegacyMain (audioMasterCallback hostCallback) asm("main");
ZEPHYRINE_EXPORT AEffect* vstLegacyMain (audioMasterCallback hostCallback)
{
    return createVstEffect (hostCallback);
}
