// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The app's parts that need no window or audio device: the MIDI learn
// table, the settings file's recovery, the computer keyboard's layout and
// the output meter's measurement.

// Before the framework, whose X11 headers define None.
#include <gtest/gtest.h>

#include "framework/formats/standalone/AppSettingsFile.h"
#include "framework/formats/standalone/ComputerKeyboard.h"
#include "framework/formats/standalone/ControllerMap.h"
#include "framework/formats/standalone/OutputLevels.h"

#include <cstring>
#include <limits>
#include <map>
#include <thread>

namespace
{
    using Drives = std::map<int, float>;

    Drives deliver (ControllerMap& map, bool* learned = nullptr)
    {
        Drives drives;
        const auto changed = map.deliver ([&] (int slot, float value) { drives[slot] = value; });
        if (learned != nullptr)
            *learned = changed;
        return drives;
    }

    void sendController (ControllerMap& map, int controller, int value)
    {
        map.handleIncomingMessage (juce::MidiMessage::controllerEvent (1, controller, value));
    }
}

TEST (ControllerMap, LearnsTheNextControllerMovedAndThenDrivesTheSlotWithIt)
{
    ControllerMap map;
    sendController (map, 7, 100);   // before the learn: must not be taken
    map.startLearning (12);
    EXPECT_TRUE (deliver (map).empty());

    map.handleIncomingMessage (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));   // notes are not learned
    sendController (map, 74, 0);
    sendController (map, 74, 127);   // only the newest value of a burst counts
    bool learned = false;
    const auto drives = deliver (map, &learned);
    EXPECT_TRUE (learned);
    EXPECT_EQ (map.getLearningSlot(), -1);
    EXPECT_EQ (map.getControllerFor (12), 74);
    ASSERT_EQ (drives.size(), 1u);
    EXPECT_FLOAT_EQ (drives.at (12), 1.0f);

    sendController (map, 74, 0);
    sendController (map, 7, 64);   // not mapped: no drive
    const auto later = deliver (map, &learned);
    EXPECT_FALSE (learned);
    ASSERT_EQ (later.size(), 1u);
    EXPECT_FLOAT_EQ (later.at (12), 0.0f);
    EXPECT_TRUE (deliver (map).empty()) << "a value is delivered once";
}

TEST (ControllerMap, KeepsOneControllerPerSlotAndOneSlotPerController)
{
    ControllerMap map;
    map.assign (1, 3);
    map.assign (2, 3);   // the slot moves to controller 2
    EXPECT_EQ (map.getControllerFor (3), 2);
    map.assign (2, 5);   // the controller moves to slot 5
    EXPECT_EQ (map.getControllerFor (3), -1);
    EXPECT_EQ (map.getControllerFor (5), 2);

    map.assign (-1, 3);
    map.assign (128, 3);
    map.assign (9, 18);
    EXPECT_EQ (map.getControllerFor (3), -1);

    map.forgetSlot (5);
    EXPECT_TRUE (map.isEmpty());
    map.assign (10, 0);
    map.startLearning (4);
    map.forgetAll();
    EXPECT_TRUE (map.isEmpty());
    EXPECT_EQ (map.getLearningSlot(), -1);
}

TEST (ControllerMap, TextRoundTripsAndSkipsWhatMakesNoSense)
{
    ControllerMap map;
    map.assign (74, 12);
    map.assign (0, 0);
    map.assign (127, 17);
    const auto text = map.toText();
    EXPECT_EQ (text, "0=0 74=12 127=17");

    ControllerMap copy;
    copy.fromText (text);
    EXPECT_EQ (copy.toText(), text);

    copy.fromText ("7=3 x=1 200=2 5=99 -1=4 9= =9 8=2.5 71=4;1=1\n<junk/> 3=4");
    EXPECT_EQ (copy.toText(), "1=1 3=4 7=3") << "71=4 is taken over by the later 3=4";
    copy.fromText (juce::String::repeatedString ("\x01==", 1000));
    EXPECT_TRUE (copy.isEmpty());
}

TEST (ControllerMap, MidiThreadsAndTheMessageThreadShareItWithoutLoss)
{
    // Two inputs (think ALSA and JACK) send while the message thread takes:
    // the last value of each controller arrives.
    ControllerMap map;
    map.assign (1, 1);
    map.assign (2, 2);
    auto sendRamp = [&map] (int controller) {
        for (int i = 0; i < 20000; ++i)
            sendController (map, controller, i % 127);
        sendController (map, controller, 127);
    };
    std::thread first (sendRamp, 1), second (sendRamp, 2);
    Drives last;
    for (int i = 0; i < 2000; ++i)
        for (auto [slot, value] : deliver (map))
            last[slot] = value;
    first.join();
    second.join();
    for (auto [slot, value] : deliver (map))
        last[slot] = value;
    EXPECT_FLOAT_EQ (last[1], 1.0f);
    EXPECT_FLOAT_EQ (last[2], 1.0f);
}

class AppSettingsFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::createTempFile ("zephyrine-settings");
        ASSERT_TRUE (folder.createDirectory());
        options.applicationName = "Zephyrine";
        options.filenameSuffix = ".settings";
        options.folderName = folder.getFullPathName();
        options.millisecondsBeforeSaving = -1;
    }
    void TearDown() override { folder.deleteRecursively(); }

    juce::File settingsFile() const { return options.getDefaultFile(); }

    juce::File folder;
    juce::PropertiesFile::Options options;
};

TEST_F (AppSettingsFileTest, ReadsItsOwnFileAndStartsWithoutOne)
{
    {
        AppSettingsFile settings (options);
        EXPECT_TRUE (settings.getProblem().isEmpty());
        settings.getProperties().setValue ("midiLearn", "74=12");
        ASSERT_TRUE (settings.getProperties().save());
    }
    AppSettingsFile again (options);
    EXPECT_TRUE (again.getProblem().isEmpty());
    EXPECT_EQ (again.getProperties().getValue ("midiLearn"), "74=12");
    EXPECT_EQ (folder.getNumberOfChildFiles (juce::File::findFiles), 1);
}

TEST_F (AppSettingsFileTest, SetsAnUnreadableFileAsideUnchangedAndStartsFromDefaults)
{
    // Cut short, some other program's XML, and the framework's binary
    // settings format (the app writes XML only).
    const char binary[] = { 'P', 'R', 'O', 'P', '\x01', '\x00', '\x00', '\x00', '\x01' };
    const auto text = [] (const char* t) { return juce::MemoryBlock (t, std::strlen (t)); };
    for (const auto& damaged : { text ("<?xml version=\"1.0\"?>\n<PROPERTIES>\n  <VALUE name=\"fil"),
                                 text ("<svg xmlns=\"http://www.w3.org/2000/svg\"/>"),
                                 juce::MemoryBlock (binary, sizeof (binary)) })
    {
        folder.deleteRecursively();
        ASSERT_TRUE (folder.createDirectory());
        ASSERT_TRUE (settingsFile().replaceWithData (damaged.getData(), damaged.getSize()));
        {
            AppSettingsFile settings (options);
            EXPECT_TRUE (settings.getProblem().contains (settings.getSetAsideFile().getFileName()));
            EXPECT_TRUE (settings.getProperties().getAllProperties().size() == 0);

            juce::MemoryBlock kept;
            ASSERT_TRUE (settings.getSetAsideFile().loadFileAsData (kept));
            EXPECT_EQ (kept, damaged) << "the old file is kept byte for byte";
            EXPECT_EQ (settings.getSetAsideFile().getParentDirectory(), folder);

            settings.getProperties().setValue ("keyVelocity", 90);
            ASSERT_TRUE (settings.getProperties().save());
        }
        AppSettingsFile again (options);
        EXPECT_TRUE (again.getProblem().isEmpty()) << "the new file is readable";
        EXPECT_EQ (again.getProperties().getIntValue ("keyVelocity"), 90);
    }
}

TEST_F (AppSettingsFileTest, NeverOverwritesAnEarlierSetAsideFile)
{
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE (settingsFile().replaceWithText ("not settings " + juce::String (i)));
        AppSettingsFile settings (options);
        EXPECT_TRUE (settings.getProblem().isNotEmpty());
    }
    int kept = 0;
    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "*.unreadable-*"))
        kept += file.loadFileAsString().startsWith ("not settings ") ? 1 : 0;
    EXPECT_EQ (kept, 3);
}

TEST (ComputerKeyboard, PlaysTheTwoRowLayoutFromTheBaseC)
{
    // Bottom row: C C# D D# E F F# G G# A A# B C C# D D# E.
    const juce::String bottom ("zsxdcvgbhnjm,l.;/");
    for (int i = 0; i < bottom.length(); ++i)
        EXPECT_EQ (ComputerKeyboard::semitoneForKey (bottom[i]), i) << (char) bottom[i];
    // Top row: an octave up, from Q.
    const juce::String top ("q2w3er5t6y7ui9o0p");
    for (int i = 0; i < top.length(); ++i)
        EXPECT_EQ (ComputerKeyboard::semitoneForKey (top[i]), 12 + i) << (char) top[i];
    EXPECT_EQ (ComputerKeyboard::semitoneForKey ('Q'), 12) << "with Caps Lock";
    for (auto key : { (juce::juce_wchar) 'a', (juce::juce_wchar) '-', (juce::juce_wchar) '=', (juce::juce_wchar) '1',
                      (juce::juce_wchar) ' ', (juce::juce_wchar) 0, (juce::juce_wchar) 0x10ffff, (juce::juce_wchar) 0xe9 })
        EXPECT_EQ (ComputerKeyboard::semitoneForKey (key), -1) << (int) key;
}

TEST (ComputerKeyboard, OctaveKeysStayInRangeAndShortcutsPassThrough)
{
    juce::MidiKeyboardState state;
    ComputerKeyboard keys (state);
    int changes = 0;
    keys.onBaseNoteChanged = [&] { ++changes; };
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE (keys.keyPressed (juce::KeyPress ('=', {}, '=')));
    EXPECT_EQ (keys.getBaseNote(), ComputerKeyboard::highestBaseNote);
    for (int i = 0; i < 10; ++i)
        keys.keyPressed (juce::KeyPress ('-', {}, '-'));
    EXPECT_EQ (keys.getBaseNote(), ComputerKeyboard::lowestBaseNote);
    EXPECT_EQ (changes, (96 - 48) / 12 + (96 - 12) / 12);
    EXPECT_FALSE (keys.keyPressed (juce::KeyPress ('z', juce::ModifierKeys::ctrlModifier, 'z'))) << "shortcuts pass";
    EXPECT_TRUE (keys.keyPressed (juce::KeyPress ('z', {}, 'z')));
}

TEST (OutputLevels, TakesThePeakOnceAndCountsFullScaleAndNonNumbersAsClips)
{
    OutputLevels levels;
    float left[4] { 0.1f, -0.5f, 0.2f, 0.0f };
    float right[4] { 0.0f, 0.25f, -0.3f, 0.0f };
    const float* channels[3] { left, right, nullptr };
    levels.measure (channels, 3, 4);
    EXPECT_FLOAT_EQ (levels.takePeak(), 0.5f);
    EXPECT_FALSE (levels.takeClip());
    EXPECT_FLOAT_EQ (levels.takePeak(), 0.0f);

    right[2] = -1.0f;
    levels.measure (channels, 2, 4);
    right[2] = std::numeric_limits<float>::quiet_NaN();
    levels.measure (channels, 2, 4);
    EXPECT_FLOAT_EQ (levels.takePeak(), 1.0f);
    EXPECT_TRUE (levels.takeClip());
    EXPECT_FALSE (levels.takeClip()) << "a clip is taken once";
}
