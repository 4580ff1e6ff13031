// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstPluginFactory.h"

#include "JuceVSTWrapper.h"
#include "PluginMessageLoop.h"

AudioFilterBase* createPluginFilter();

AEffect* createVstEffect (audioMasterCallback hostCallback)
{
    if (hostCallback == nullptr)
        return nullptr;

    // Before anything is made: a host that reports no version gets nothing.
    if (hostCallback (nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;

    try
    {
        const PluginMessageLoop::Reference framework;
        const PluginMessageLoop::ScopedBaton baton;

        std::unique_ptr<AudioFilterBase> processor (createPluginFilter());

        if (processor == nullptr)
            return nullptr;

        auto* wrapper = new JuceVSTWrapper (hostCallback, std::move (processor));
        return wrapper->getAeffect();
    }
    catch (...)
    {
        return nullptr;
    }
}
