// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "ComputerKeyboard.h"
#include "ControlWatcher.h"
#include "LevelMeter.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_utils/juce_audio_utils.h>

#include <memory>

class AppAudio;
class EditorComponent;

/** Everything inside the app's window, top to bottom: a row for the preset
    bar, the notice that no audio output is open (only while none is), the
    plug-in's own 500 x 200 editor unchanged, the status line naming the
    control under the mouse with its value, a row with the output meter, the
    velocity and the keyboard's octave, and the on-screen keyboard. The
    computer's keys play while the window has the focus. */
class AppWindowContent : public juce::Component,
                         private juce::ChangeListener,
                         private juce::Timer
{
public:
    AppWindowContent (AppAudio& audioToShow, juce::PropertySet& settingsToUse);
    ~AppWindowContent() override;

    /** Puts a component (the preset bar) into the top row, which is empty
        until then; the content owns it. */
    void setPresetBar (std::unique_ptr<juce::Component> bar);

    static constexpr int margin = 10;
    static constexpr int presetBarHeight = 32;
    static constexpr int noticeHeight = 36;

    void resized() override;
    void paint (juce::Graphics& g) override;
    bool keyPressed (const juce::KeyPress& key) override;
    bool keyStateChanged (bool isKeyDown) override;

    /** Ends every note held on the computer's keys (the window went to the back). */
    void releaseComputerKeys() { computerKeys.releaseAll(); }

    /** Whether the notice that no audio output is open is showing. */
    bool isNoOutputNoticeShowing() const noexcept { return noticeShowing; }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void timerCallback() override;

    void updateNotice();
    void updateStatus();
    void updateOctaveText();
    void showControlMenu (int slot);
    void saveControllerMap();
    EditorComponent* getEditorComponent() const;

    AppAudio& audio;
    juce::PropertySet& settings;

    std::unique_ptr<juce::Component> presetBar;

    juce::Label noticeText;
    juce::TextButton chooseOutputButton { "Choose audio output..." };
    bool noticeShowing = false;

    std::unique_ptr<juce::AudioProcessorEditor> editor;
    std::unique_ptr<ControlWatcher> watcher;

    juce::Label statusLine;
    juce::String statusFlash;   // a passing message that takes the line for a while
    juce::uint32 statusFlashUntil = 0;

    LevelMeter meter;
    juce::Label velocityLabel { {}, "Velocity" };
    juce::Slider velocity;
    juce::Label octaveText;
    juce::TextButton settingsButton { "Audio/MIDI..." };

    juce::MidiKeyboardComponent keyboard;
    ComputerKeyboard computerKeys;
    juce::TooltipWindow tooltips { this };

    JUCE_DECLARE_NON_COPYABLE (AppWindowContent)
};
