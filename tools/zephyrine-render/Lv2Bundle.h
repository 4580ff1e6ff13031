// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <string>
#include <vector>

/** The URIs of the plug-ins an LV2 bundle folder declares, as the LV2 host
    library reads its manifest: that bundle alone is loaded, so nothing in
    the folders around it is looked at or complained of. Empty when the
    folder declares none. */
std::vector<std::string> lv2PluginUris (const std::string& bundleFolder);
