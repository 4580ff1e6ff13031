// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The app: the plug-in's editor in a window of its own with a keyboard to
// play, an output meter and MIDI learn, sounding through the chosen audio
// device, with MIDI from ALSA inputs and from a JACK port, and the sound
// menu above the editor.
#include "AppAudio.h"
#include "AppSettingsFile.h"
#include "AppWindow.h"
#include "JackMidiInput.h"
#include "PresetBar.h"

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>

#include <iostream>
#include <memory>

namespace
{
    juce::PropertiesFile::Options settingsOptions()
    {
        // ~/.config/Zephyrine.settings
        juce::PropertiesFile::Options options;
        options.applicationName = JucePlugin_Name;
        options.filenameSuffix = ".settings";
        options.folderName = ".config";
        return options;
    }

    class ZephyrineApp : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override { return JucePlugin_Name; }
        const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override
        {
            settings = std::make_unique<AppSettingsFile> (settingsOptions());
            auto& properties = settings->getProperties();

            audio = std::make_unique<AppAudio> (properties);
            window = std::make_unique<AppWindow> (getApplicationName(), *audio, properties);
            window->getContent().setPresetBar (std::make_unique<PresetBar> (audio->getProcessor()));
            window->setVisible (true);
            window->getContent().grabKeyboardFocus();

            jackMidi = std::make_unique<JackMidiInput> (*audio);

            if (settings->getProblem().isNotEmpty())
            {
                std::cerr << settings->getProblem() << std::endl;
                juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon,
                                                        "Settings could not be read",
                                                        settings->getProblem(), "OK", window.get());
            }
        }

        void shutdown() override
        {
            jackMidi.reset();
            window.reset();
            if (audio != nullptr)
                audio->saveSound();
            audio.reset();
            if (settings != nullptr)
                settings->getProperties().saveIfNeeded();
            settings.reset();
        }

        void systemRequestedQuit() override { quit(); }

    private:
        std::unique_ptr<AppSettingsFile> settings;
        std::unique_ptr<AppAudio> audio;
        std::unique_ptr<AppWindow> window;
        std::unique_ptr<JackMidiInput> jackMidi;
    };
}

// The framework's entry point asks for the app here.
juce::JUCEApplicationBase* juce_CreateApplication();
juce::JUCEApplicationBase* juce_CreateApplication()
{
    return new ZephyrineApp();
}
