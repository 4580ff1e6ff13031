// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** The app's sound menu, a strip that sits outside the editor: the factory
    sounds by category (the processor's programs) and the user's own sound
    files, previous and next buttons for going through them by ear, and
    load and save of ".vc2" sound files. Everything goes through the
    processor's program and state calls, so the editor refreshes itself. */
class PresetBar : public juce::Component
{
public:
    explicit PresetBar (juce::AudioProcessor& processorToControl);
    ~PresetBar() override;

    static constexpr int preferredHeight = 32;

    void resized() override;

    /** Loads a sound file; false, and nothing changed, when it cannot be read. */
    bool loadSoundFile (const juce::File& file);

    /** Saves the current sound; false when the file cannot be written. */
    bool saveSoundFile (const juce::File& file);

private:
    void rebuildMenu();
    void selectCurrentSound();
    void menuChanged();
    void step (int delta);
    void showLoadDialog();
    void showSaveDialog();
    void showName (const juce::String& name);

    juce::AudioProcessor& processor;
    juce::ComboBox menu;
    juce::TextButton previous { "<" }, next { ">" }, load { "Load..." }, save { "Save..." };
    juce::Array<juce::File> userSounds;   // the menu's items after the programs
    std::unique_ptr<juce::FileChooser> chooser;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetBar)
};
