// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "VstInterface.h"

/** What the library's entry point does: asks the host for its interface
    version, and makes one instance around a new processor. Null for a host
    that reports no version, and when anything fails. */
AEffect* createVstEffect (audioMasterCallback hostCallback);
