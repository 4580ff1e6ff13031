// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

/** The framework's VST3 and LV2 hosting hand a plug-in's state block to it
    inside an envelope of their own: for VST3 an XML element holding the
    component's state, for LV2 a state description whose property
    "…:StateString" holds the block (as the framework's LV2 plug-ins keep
    it). These put a plug-in's own block into that envelope and take it out,
    so that one state file serves every format. */
namespace hoststate
{
    /** The envelope holding block, for "VST3" or "LV2"; current: what the
        instance hands out now (LV2 keeps the rest of its description). Empty
        when it cannot be made. */
    std::vector<uint8_t> wrap (const std::string& formatName, const std::vector<uint8_t>& block,
                               const std::vector<uint8_t>& current);

    /** The plug-in's own block inside an envelope, or nothing. */
    std::optional<std::vector<uint8_t>> unwrap (const std::string& formatName, const std::vector<uint8_t>& hosted);
}
