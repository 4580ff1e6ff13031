// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "Lv2Bundle.h"

// The LV2 host library that the framework's LV2 hosting is built on and
// carries (compiled into its hosting build).
#include <lilv/lilv.h>

#include <memory>

std::vector<std::string> lv2PluginUris (const std::string& bundleFolder)
{
    const std::unique_ptr<LilvWorld, decltype (&lilv_world_free)> world (lilv_world_new(), &lilv_world_free);
    if (world == nullptr)
        return {};

    auto folder = bundleFolder;
    if (folder.empty() || folder.back() != '/')
        folder += '/';   // a bundle's URI names a folder
    const std::unique_ptr<LilvNode, decltype (&lilv_node_free)> bundle (lilv_new_file_uri (world.get(), nullptr, folder.c_str()),
                                                                        &lilv_node_free);
    if (bundle == nullptr)
        return {};
    lilv_world_load_bundle (world.get(), bundle.get());

    std::vector<std::string> uris;
    const auto* plugins = lilv_world_get_all_plugins (world.get());
    LILV_FOREACH (plugins, i, plugins)
    uris.emplace_back (lilv_node_as_uri (lilv_plugin_get_uri (lilv_plugins_get (plugins, i))));
    return uris;
}
