// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

// The plug-in interface's types from Debian's fst-dev. Its header carries
// #warning notes to its own authors, guarded by __GNUC__, that would break a
// -Werror build; hiding the macro for the include skips them (and the
// deprecation marks on the enumerators it has no numbers for).
#pragma push_macro("__GNUC__")
#undef __GNUC__
#include <pluginterfaces/fst/fst.h>
#pragma pop_macro("__GNUC__")

#include <cstdint>

namespace vsthost
{
    /** Opcode numbers that the fst header lacks or only has placeholders for. */
    namespace opcode
    {
        // Host callbacks.
        constexpr int32_t audioMasterIdle = 3;

        // Dispatcher.
        constexpr int32_t effGetVu = 9;
        constexpr int32_t effGetNumProgramCategories = 28;
        constexpr int32_t effConnectInput = 31;
        constexpr int32_t effConnectOutput = 32;
        constexpr int32_t effSetBlockSizeAndSampleRate = 43;
        constexpr int32_t effKeysRequired = 57;
    }
}
