// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AudioFilterEditor.h"

#include "AudioFilterBase.h"

AudioFilterEditor::AudioFilterEditor (AudioFilterBase* ownerFilter)
    : owner (ownerFilter)
{
}

AudioFilterEditor::~AudioFilterEditor()
{
    if (owner != nullptr)
        owner->editorBeingDeleted (this);
}
