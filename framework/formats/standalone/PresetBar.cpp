// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "PresetBar.h"

#include "SoundFiles.h"
#include "presets/FactoryPresets.h"

#include <cstring>

namespace
{
    // Menu item ids: programs from 1, user files after them.
    constexpr int firstUserId = 10000;
}

PresetBar::PresetBar (juce::AudioProcessor& processorToControl) : processor (processorToControl)
{
    menu.setTextWhenNothingSelected ("Choose a sound");
    menu.setTooltip ("Factory sounds and your own sound files");
    menu.onChange = [this] { menuChanged(); };
    previous.setTooltip ("Previous sound");
    next.setTooltip ("Next sound");
    load.setTooltip ("Load a sound file (.vc2)");
    save.setTooltip ("Save the sound as a file (.vc2)");
    previous.onClick = [this] { step (-1); };
    next.onClick = [this] { step (1); };
    load.onClick = [this] { showLoadDialog(); };
    save.onClick = [this] { showSaveDialog(); };

    for (auto* child : std::initializer_list<juce::Component*> { &previous, &menu, &next, &load, &save })
        addAndMakeVisible (child);

    rebuildMenu();
    selectCurrentSound();
}

PresetBar::~PresetBar() = default;

void PresetBar::resized()
{
    auto area = getLocalBounds().reduced (4);
    save.setBounds (area.removeFromRight (64));
    area.removeFromRight (4);
    load.setBounds (area.removeFromRight (64));
    area.removeFromRight (8);
    previous.setBounds (area.removeFromLeft (24));
    next.setBounds (area.removeFromRight (24));
    menu.setBounds (area.reduced (4, 0));
}

void PresetBar::rebuildMenu()
{
    menu.clear (juce::dontSendNotification);

    // The programs are the factory sounds; their categories head the sections.
    const auto sounds = factorypresets::all();
    juce::String category;
    for (int i = 0; i < processor.getNumPrograms(); ++i)
    {
        const auto name = processor.getProgramName (i);
        const auto* sound = factorypresets::find (name.toStdString());
        if (sound != nullptr && category != sound->category)
        {
            category = sound->category;
            menu.addSectionHeading (category);
        }
        menu.addItem (name, i + 1);
    }

    userSounds = soundfiles::userSounds();
    if (! userSounds.isEmpty())
    {
        menu.addSectionHeading ("My sounds");
        for (int i = 0; i < userSounds.size(); ++i)
            menu.addItem (userSounds[i].getFileNameWithoutExtension(), firstUserId + i);
    }
}

void PresetBar::selectCurrentSound()
{
    // The app comes back with its last sound, which need not be the current
    // program: name it only if it is one of the menu's sounds unchanged.
    // The last byte, the pad, may differ: it names the program the sound
    // started from.
    juce::MemoryBlock state;
    processor.getStateInformation (state);
    const auto sameSound = [&state] (const void* data, size_t size) {
        return size == state.getSize() && size > 0 && std::memcmp (data, state.getData(), size - 1) == 0;
    };
    const auto sounds = factorypresets::all();
    for (size_t i = 0; i < sounds.size(); ++i)
    {
        const auto block = factorypresets::stateBlock (sounds[i]);
        if (sameSound (block.data(), block.size()))
        {
            menu.setSelectedId ((int) i + 1, juce::dontSendNotification);
            return;
        }
    }
    for (int i = 0; i < userSounds.size(); ++i)
    {
        juce::MemoryBlock file;
        if (userSounds[i].loadFileAsData (file) && sameSound (file.getData(), file.getSize()))
        {
            menu.setSelectedId (firstUserId + i, juce::dontSendNotification);
            return;
        }
    }
    menu.setSelectedId (0, juce::dontSendNotification);
}

void PresetBar::menuChanged()
{
    const int id = menu.getSelectedId();
    if (id >= firstUserId)
    {
        if (! loadSoundFile (userSounds[id - firstUserId]))
            menu.setSelectedId (0, juce::dontSendNotification);
    }
    else if (id > 0)
        processor.setCurrentProgram (id - 1);
}

void PresetBar::step (int delta)
{
    const int items = menu.getNumItems();
    if (items == 0)
        return;
    const int index = menu.getSelectedItemIndex();
    const int wanted = index < 0 ? 0 : (index + delta + items) % items;
    menu.setSelectedItemIndex (wanted, juce::sendNotificationSync);
}

bool PresetBar::loadSoundFile (const juce::File& file)
{
    juce::MemoryBlock data;
    if (! file.loadFileAsData (data) || data.getSize() < 10 || std::memcmp (data.getData(), "VC2!", 4) != 0)
        return false;
    processor.setStateInformation (data.getData(), (int) data.getSize());
    showName (file.getFileNameWithoutExtension());
    return true;
}

bool PresetBar::saveSoundFile (const juce::File& file)
{
    juce::MemoryBlock data;
    processor.getStateInformation (data);
    if (! file.getParentDirectory().createDirectory() || ! file.replaceWithData (data.getData(), data.getSize()))
        return false;
    rebuildMenu();
    showName (file.getFileNameWithoutExtension());
    return true;
}

void PresetBar::showName (const juce::String& name)
{
    for (int i = 0; i < userSounds.size(); ++i)
        if (userSounds[i].getFileNameWithoutExtension() == name)
        {
            menu.setSelectedId (firstUserId + i, juce::dontSendNotification);
            return;
        }
    menu.setSelectedId (0, juce::dontSendNotification);
    menu.setText (name, juce::dontSendNotification);
}

void PresetBar::showLoadDialog()
{
    chooser = std::make_unique<juce::FileChooser> ("Load a sound", soundfiles::dialogFolder(), juce::String ("*") + soundfiles::extension);
    chooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles,
                          [this] (const juce::FileChooser& done) {
                              const auto file = done.getResult();
                              if (file != juce::File() && ! loadSoundFile (file))
                                  juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Load a sound",
                                                                          file.getFullPathName() + " is not a Zephyrine sound file.");
                          });
}

void PresetBar::showSaveDialog()
{
    const auto suggested = menu.getText().isNotEmpty() ? menu.getText() : juce::String ("My sound");
    const auto folder = soundfiles::userFolder();
    folder.createDirectory();
    chooser = std::make_unique<juce::FileChooser> ("Save the sound", folder.getChildFile (suggested + soundfiles::extension),
                                                   juce::String ("*") + soundfiles::extension);
    chooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                              | juce::FileBrowserComponent::warnAboutOverwriting,
                          [this] (const juce::FileChooser& done) {
                              auto file = done.getResult();
                              if (file == juce::File())
                                  return;
                              file = file.withFileExtension (soundfiles::extension);
                              if (! saveSoundFile (file))
                                  juce::AlertWindow::showMessageBoxAsync (juce::MessageBoxIconType::WarningIcon, "Save the sound",
                                                                          file.getFullPathName() + " cannot be written.");
                          });
}
