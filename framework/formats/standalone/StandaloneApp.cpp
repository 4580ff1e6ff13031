// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The app: the framework's standalone window (the editor, and the audio and
// MIDI settings behind its Options button) plus a JACK MIDI input.
#include "JackMidiInput.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_plugin_client/utility/juce_CreatePluginFilter.h>
#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#include <memory>

namespace
{
    class ZephyrineApp : public juce::JUCEApplication
    {
    public:
        ZephyrineApp()
        {
            // The settings (audio and MIDI devices, and the last sound) live
            // in ~/.config/Zephyrine.settings.
            juce::PropertiesFile::Options options;
            options.applicationName = getApplicationName();
            options.filenameSuffix = ".settings";
            options.folderName = ".config";
            settings.setStorageParameters (options);
        }

        const juce::String getApplicationName() override { return JucePlugin_Name; }
        const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
        bool moreThanOneInstanceAllowed() override { return true; }

        void initialise (const juce::String&) override
        {
            window = std::make_unique<juce::StandaloneFilterWindow> (
                getApplicationName(),
                juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                settings.getUserSettings(), false);
            window->setVisible (true);

            if (auto* holder = window->getPluginHolder())
                jackMidi = std::make_unique<JackMidiInput> (holder->player.getMidiMessageCollector());
        }

        void shutdown() override
        {
            jackMidi.reset();
            window.reset();
            settings.saveIfNeeded();
        }

        void systemRequestedQuit() override
        {
            if (window != nullptr)
                if (auto* holder = window->getPluginHolder())
                    holder->savePluginState();
            quit();
        }

    private:
        juce::ApplicationProperties settings;
        std::unique_ptr<juce::StandaloneFilterWindow> window;
        std::unique_ptr<JackMidiInput> jackMidi;
    };
}

// The framework's entry point asks for the app here.
juce::JUCEApplicationBase* juce_CreateApplication();
juce::JUCEApplicationBase* juce_CreateApplication()
{
    return new ZephyrineApp();
}
