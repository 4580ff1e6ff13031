// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "GuideSongs.h"

#include <juce_graphics/juce_graphics.h>

namespace
{
    constexpr int ticksPerBeat = 480;   // at the file's default 120 beats a minute: 960 ticks a second

    double ticks (double seconds)
    {
        return seconds * 2.0 * ticksPerBeat;
    }

    void addNote (juce::MidiMessageSequence& track, int note, double start, double length)
    {
        track.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), ticks (start));
        track.addEvent (juce::MidiMessage::noteOff (1, note), ticks (start + length));
    }

    juce::MidiFile fileOf (juce::MidiMessageSequence& track)
    {
        track.updateMatchedPairs();
        juce::MidiFile file;
        file.setTicksPerQuarterNote (ticksPerBeat);
        file.addTrack (track);
        return file;
    }
}

juce::MidiFile guidesongs::gallery()
{
    juce::MidiMessageSequence track;
    const int notes[] { 60, 64, 67, 72 };
    for (int i = 0; i < 4; ++i)
        addNote (track, notes[i], 0.5 * i, 0.45);
    for (const int note : { 60, 64, 67 })
        addNote (track, note, 2.0, 1.5);
    return fileOf (track);
}

juce::MidiFile guidesongs::sweep (const std::string& control, const std::vector<std::string>& values, bool chord)
{
    juce::MidiMessageSequence track;
    double start = 0.0;
    for (const auto& value : values)
    {
        const auto text = "Zephyrine: " + control + "=" + value;
        track.addEvent (juce::MidiMessage::textMetaEvent (1, text), ticks (start));
        if (chord)
            for (const int note : { 60, 64, 67 })
                addNote (track, note, start + 0.01, 1.2);
        else
            addNote (track, 60, start + 0.01, 1.2);
        start += 2.0;
    }
    return fileOf (track);
}

bool guidesongs::shrinkPicture (const juce::File& source, const juce::File& destination, int width)
{
    const auto image = juce::ImageFileFormat::loadFrom (source);
    if (! image.isValid() || width <= 0)
        return false;
    const int height = juce::roundToInt (image.getHeight() * (double) width / image.getWidth());
    const auto small = image.rescaled (width, height, juce::Graphics::highResamplingQuality);

    std::unique_ptr<juce::ImageFileFormat> format;
    if (destination.hasFileExtension ("jpg;jpeg"))
    {
        auto jpeg = std::make_unique<juce::JPEGImageFormat>();
        jpeg->setQuality (0.8f);
        format = std::move (jpeg);
    }
    else
        format = std::make_unique<juce::PNGImageFormat>();

    destination.deleteFile();
    juce::FileOutputStream out (destination);
    return out.openedOk() && format->writeImageToStream (small, out);
}
