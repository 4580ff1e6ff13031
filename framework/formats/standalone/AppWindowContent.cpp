// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AppWindowContent.h"

#include "AppAudio.h"
#include "editor/EditorComponent.h"
#include "editor/EditorLayout.h"
#include "framework/AudioFilterBase.h"
#include "framework/formats/SlotParameter.h"
#include "plugin/HostParameters.h"
#include "plugin/ParameterText.h"

namespace
{
    const juce::Colour panelColour (0xff2b2d30);
    const juce::Colour textColour (0xffe6e1cf);
    const juce::Colour dimTextColour (0xff9a968a);
    const juce::Colour noticeColour (0xffd29922);

    constexpr int gap = 6;
    constexpr int statusHeight = 24;
    constexpr int toolbarHeight = 28;
    constexpr int keyboardHeight = 84;
    constexpr int middleCOctave = 4;   // note 60 is C4, on the keys and in the texts
    constexpr int contentWidth = editorlayout::width + 2 * AppWindowContent::margin;

    const char* idleStatus = "Point at a control to read its value.  Right-click a control to link a MIDI controller.";

    juce::String noteName (int note)
    {
        return juce::MidiMessage::getMidiNoteName (note, true, true, middleCOctave);
    }
}

AppWindowContent::AppWindowContent (AppAudio& audioToShow, juce::PropertySet& settingsToUse)
    : audio (audioToShow),
      settings (settingsToUse),
      meter (audioToShow.getOutputLevels()),
      keyboard (audioToShow.getKeyboardState(), juce::MidiKeyboardComponent::horizontalKeyboard),
      computerKeys (audioToShow.getKeyboardState())
{
    setWantsKeyboardFocus (true);
    setOpaque (true);

    noticeText.setText ("No audio output is open, so nothing you play can be heard.", juce::dontSendNotification);
    noticeText.setColour (juce::Label::textColourId, juce::Colours::black);
    noticeText.setFont (juce::Font (14.0f, juce::Font::bold));
    addChildComponent (noticeText);
    chooseOutputButton.onClick = [this] { audio.showAudioSettings(); };
    chooseOutputButton.setWantsKeyboardFocus (false);
    addChildComponent (chooseOutputButton);

    editor.reset (audio.getProcessor().createEditorIfNeeded());
    if (editor != nullptr)
    {
        addAndMakeVisible (*editor);
        watcher = std::make_unique<ControlWatcher> (*editor);
        watcher->onWatchedSlotChanged = [this] { updateStatus(); };
        watcher->onControlMenu = [this] (int slot) { showControlMenu (slot); };
    }

    statusLine.setColour (juce::Label::textColourId, textColour);
    statusLine.setFont (juce::Font (14.0f));
    statusLine.setMinimumHorizontalScale (0.8f);
    addAndMakeVisible (statusLine);

    addAndMakeVisible (meter);

    velocityLabel.setColour (juce::Label::textColourId, dimTextColour);
    velocityLabel.setJustificationType (juce::Justification::centredRight);
    addAndMakeVisible (velocityLabel);
    velocity.setSliderStyle (juce::Slider::LinearBar);
    velocity.setRange (1.0, 127.0, 1.0);
    velocity.setTooltip ("How hard the on-screen keyboard and the computer's keys play (1 to 127)");
    velocity.setWantsKeyboardFocus (false);
    velocity.onValueChange = [this] {
        const auto value = (int) velocity.getValue();
        computerKeys.setVelocity (value);
        keyboard.setVelocity ((float) value / 127.0f, false);
        settings.setValue ("keyVelocity", value);
    };
    velocity.setValue (juce::jlimit (1, 127, settings.getIntValue ("keyVelocity", 100)), juce::sendNotificationSync);
    addAndMakeVisible (velocity);

    octaveText.setColour (juce::Label::textColourId, dimTextColour);
    octaveText.setTooltip ("The computer's keys: Z to / and Q to P play, - and = move an octave down and up");
    addAndMakeVisible (octaveText);
    computerKeys.onBaseNoteChanged = [this] {
        updateOctaveText();
        settings.setValue ("keyOctaveBase", computerKeys.getBaseNote());
    };
    computerKeys.setBaseNote (settings.getIntValue ("keyOctaveBase", 48));
    updateOctaveText();

    settingsButton.setTooltip ("Choose the audio output and the MIDI inputs");
    settingsButton.onClick = [this] { audio.showAudioSettings(); };
    settingsButton.setWantsKeyboardFocus (false);
    addAndMakeVisible (settingsButton);

    // The computer's keys are ours: the on-screen keyboard takes no focus
    // and has no keys of its own.
    keyboard.setWantsKeyboardFocus (false);
    keyboard.clearKeyMappings();
    keyboard.setOctaveForMiddleC (middleCOctave);
    keyboard.setAvailableRange (24, 108);
    keyboard.setLowestVisibleKey (36);
    keyboard.setKeyWidth (14.0f);
    keyboard.setScrollButtonsVisible (true);
    addAndMakeVisible (keyboard);

    audio.getControllerMap().fromText (settings.getValue ("midiLearn"));

    audio.getDeviceManager().addChangeListener (this);
    updateNotice();   // also gives the content its size
    updateStatus();
    startTimerHz (30);
}

AppWindowContent::~AppWindowContent()
{
    audio.getDeviceManager().removeChangeListener (this);
    computerKeys.releaseAll();
    watcher.reset();
    editor.reset();   // before the processor goes
}

void AppWindowContent::setPresetBar (std::unique_ptr<juce::Component> bar)
{
    presetBar = std::move (bar);
    if (presetBar != nullptr)
        addAndMakeVisible (*presetBar);
    resized();
}

void AppWindowContent::paint (juce::Graphics& g)
{
    g.fillAll (panelColour);
    if (noticeShowing)
    {
        g.setColour (noticeColour);
        g.fillRoundedRectangle (noticeText.getBounds().getUnion (chooseOutputButton.getBounds()).expanded (4, 3).toFloat(), 4.0f);
    }
}

void AppWindowContent::resized()
{
    auto area = getLocalBounds().reduced (margin);

    const auto barRow = area.removeFromTop (presetBarHeight);
    if (presetBar != nullptr)
        presetBar->setBounds (barRow);
    area.removeFromTop (gap);

    if (noticeShowing)
    {
        auto notice = area.removeFromTop (noticeHeight).reduced (4, 3);
        chooseOutputButton.setBounds (notice.removeFromRight (170).reduced (0, 2));
        noticeText.setBounds (notice);
        area.removeFromTop (gap);
    }

    if (editor != nullptr)
        editor->setBounds (area.removeFromTop (editorlayout::height).withWidth (editorlayout::width));
    area.removeFromTop (4);

    statusLine.setBounds (area.removeFromTop (statusHeight));
    area.removeFromTop (4);

    auto toolbar = area.removeFromTop (toolbarHeight);
    settingsButton.setBounds (toolbar.removeFromRight (100).reduced (0, 2));
    toolbar.removeFromRight (gap);
    octaveText.setBounds (toolbar.removeFromRight (90));
    velocity.setBounds (toolbar.removeFromRight (80).reduced (0, 4));
    velocityLabel.setBounds (toolbar.removeFromRight (62));
    toolbar.removeFromRight (gap);
    meter.setBounds (toolbar.reduced (0, 5));
    area.removeFromTop (gap);

    keyboard.setBounds (area.removeFromTop (keyboardHeight));
}

void AppWindowContent::changeListenerCallback (juce::ChangeBroadcaster*)
{
    updateNotice();
}

void AppWindowContent::updateNotice()
{
    const auto show = ! audio.isOutputOpen();
    const auto height = 2 * margin + presetBarHeight + gap + (show ? noticeHeight + gap : 0) + editorlayout::height + 4
                        + statusHeight + 4 + toolbarHeight + gap + keyboardHeight;
    if (show == noticeShowing && getHeight() == height)
        return;
    noticeShowing = show;
    noticeText.setVisible (show);
    chooseOutputButton.setVisible (show);
    setSize (contentWidth, height);
    resized();
    repaint();
}

EditorComponent* AppWindowContent::getEditorComponent() const
{
    if (editor == nullptr || editor->getNumChildComponents() == 0)
        return nullptr;
    return dynamic_cast<EditorComponent*> (editor->getChildComponent (0));
}

void AppWindowContent::timerCallback()
{
    auto& map = audio.getControllerMap();
    auto& filter = audio.getFilter();
    bool moved = false;
    const auto learning = map.getLearningSlot();

    const auto learned = map.deliver ([&] (int slot, float value) {
        filter.setParameterValue (slot, SlotParameter::slotValueFor (hostparameters::table[(size_t) slot].kind, value));
        moved = true;
    });

    if (moved)
        if (auto* editorComponent = getEditorComponent())
            editorComponent->refreshControls();

    if (learned && learning >= 0)
    {
        saveControllerMap();
        statusFlash = "MIDI controller " + juce::String (map.getControllerFor (learning)) + " now drives "
                      + hostparameters::table[(size_t) learning].name + ".";
        statusFlashUntil = juce::Time::getMillisecondCounter() + 4000;
    }

    updateStatus();
}

void AppWindowContent::updateStatus()
{
    auto& map = audio.getControllerMap();
    juce::String text;
    auto colour = textColour;

    const auto learning = map.getLearningSlot();
    const auto slot = watcher != nullptr ? watcher->getWatchedSlot() : -1;

    if (learning >= 0)
    {
        text = "MIDI learn: move a knob or fader on your MIDI controller to make it drive "
               + juce::String (hostparameters::table[(size_t) learning].name) + "  (Esc cancels)";
        colour = noticeColour;
    }
    else if (slot >= 0)
    {
        const auto value = audio.getFilter().parameterValue (slot);
        text = juce::String (hostparameters::table[(size_t) slot].name) + ":  "
               + juce::String (parametertext::describe (slot, value));
        if (const auto controller = map.getControllerFor (slot); controller >= 0)
            text << "      (MIDI controller " << controller << ")";
    }
    else if (statusFlash.isNotEmpty() && juce::Time::getMillisecondCounter() < statusFlashUntil)
        text = statusFlash;
    else
    {
        text = idleStatus;
        colour = dimTextColour;
    }

    if (text != statusLine.getText())
        statusLine.setText (text, juce::dontSendNotification);
    statusLine.setColour (juce::Label::textColourId, colour);
}

void AppWindowContent::updateOctaveText()
{
    const auto base = computerKeys.getBaseNote();
    octaveText.setText ("Keys " + noteName (base) + "-" + noteName (base + 28), juce::dontSendNotification);
}

void AppWindowContent::showControlMenu (int slot)
{
    if (slot < 0 || slot >= hostparameters::count)
        return;
    auto& map = audio.getControllerMap();
    const juce::String name (hostparameters::table[(size_t) slot].name);

    // A wave-shape box opens its own list on any click, before this menu is
    // asked for; only one of the two should stay.
    juce::PopupMenu::dismissAllActiveMenus();

    juce::PopupMenu menu;
    menu.addSectionHeader (name);
    menu.addItem ("Learn MIDI controller for " + name, [this, slot] {
        audio.getControllerMap().startLearning (slot);
        updateStatus();
    });
    if (const auto controller = map.getControllerFor (slot); controller >= 0)
        menu.addItem ("Forget MIDI controller " + juce::String (controller), [this, slot] {
            audio.getControllerMap().forgetSlot (slot);
            saveControllerMap();
        });
    menu.addItem ("Forget all MIDI controllers", ! map.isEmpty(), false, [this] {
        audio.getControllerMap().forgetAll();
        saveControllerMap();
    });
    menu.showMenuAsync (juce::PopupMenu::Options().withMousePosition());
}

void AppWindowContent::saveControllerMap()
{
    settings.setValue ("midiLearn", audio.getControllerMap().toText());
}

bool AppWindowContent::keyPressed (const juce::KeyPress& key)
{
    if (key == juce::KeyPress::escapeKey && audio.getControllerMap().getLearningSlot() >= 0)
    {
        audio.getControllerMap().startLearning (-1);
        updateStatus();
        return true;
    }
    return computerKeys.keyPressed (key);
}

bool AppWindowContent::keyStateChanged (bool)
{
    return computerKeys.keyStateChanged();
}
