// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The app: the framework's standalone window (the editor, and the audio and
// MIDI settings behind its Options button) with the sound menu above the
// editor, plus a JACK MIDI input.
#include "JackMidiInput.h"
#include "PresetBar.h"

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_plugin_client/utility/juce_CreatePluginFilter.h>
#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#include <memory>

namespace
{
    /** The framework's window with room above its content for the sound
        menu; the framework sizes the window from this border. */
    class AppWindow : public juce::StandaloneFilterWindow
    {
    public:
        AppWindow (const juce::String& title, juce::Colour background, juce::PropertySet* settings)
            : juce::StandaloneFilterWindow (title, background, settings, false)
        {
            if (auto* processor = getAudioProcessor())
            {
                presetBar = std::make_unique<PresetBar> (*processor);
                Component::addAndMakeVisible (*presetBar);   // beside the content, not inside it
            }
            if (auto* content = getContentComponent())
                setContentComponentSize (content->getWidth(), content->getHeight());
        }

        ~AppWindow() override
        {
            presetBar.reset();
        }

        juce::BorderSize<int> getContentComponentBorder() override
        {
            auto border = juce::StandaloneFilterWindow::getContentComponentBorder();
            if (presetBar != nullptr)
                border.setTop (border.getTop() + PresetBar::preferredHeight);
            return border;
        }

        void resized() override
        {
            juce::StandaloneFilterWindow::resized();
            if (presetBar != nullptr)
            {
                const auto frame = juce::StandaloneFilterWindow::getContentComponentBorder();
                presetBar->setBounds (frame.getLeft(), frame.getTop(), getWidth() - frame.getLeftAndRight(),
                                      PresetBar::preferredHeight);
            }
        }

    private:
        std::unique_ptr<PresetBar> presetBar;
    };

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
            window = std::make_unique<AppWindow> (
                getApplicationName(),
                juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                settings.getUserSettings());
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
