// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "MidiSchedule.h"

#include "RenderError.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>

namespace
{
    constexpr juce::int64 largestMidiFile = 64 * 1024 * 1024;

    /** Note-offs first, then everything else, then note-ons, among events at
        one sample: a note struck again at the moment it ends keeps sounding. */
    int orderWithinSample (const ScheduledEvent& e)
    {
        if (e.kind != ScheduledEvent::Kind::midi)
            return 1;
        const int type = e.bytes[0] & 0xf0;
        if (type == 0x80 || (type == 0x90 && e.bytes[2] == 0))
            return 0;
        return type == 0x90 ? 2 : 1;
    }

    std::string formatSeconds (double seconds)
    {
        return juce::String (seconds, 3).toStdString() + " s";
    }

    std::string trim (const std::string& text)
    {
        const auto first = text.find_first_not_of (" \t\r\n");
        if (first == std::string::npos)
            return {};
        return text.substr (first, text.find_last_not_of (" \t\r\n") - first + 1);
    }
}

MidiSchedule MidiSchedule::load (const std::string& filePath, double rate, double maxLengthSeconds)
{
    MidiSchedule schedule;
    schedule.path = filePath;
    schedule.sampleRate = rate;
    const auto name = "MIDI file '" + filePath + "'";

    const juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (filePath));
    if (file.isDirectory())
        throw RenderError (name + " is a folder");
    if (! file.existsAsFile())
        throw RenderError (name + " does not exist");
    if (file.getSize() > largestMidiFile)
        throw RenderError (name + " is too large to be a MIDI file");

    juce::FileInputStream stream (file);
    if (! stream.openedOk())
        throw RenderError (name + " cannot be read: " + stream.getStatus().getErrorMessage().toStdString());

    juce::MidiFile midi;
    int type = -1;
    // Events go to the plug-in as the file has them: no note-offs are made up.
    if (! midi.readFrom (stream, false, &type))
        throw RenderError (name + " is not a valid Standard MIDI File (bad header or truncated track)");
    if (type == 2)
        throw RenderError (name + " is of type 2 (independent sequences); only types 0 and 1 can be rendered");
    if (midi.getNumTracks() == 0)
        throw RenderError (name + " has no tracks");
    if (midi.getTimeFormat() == 0)
        throw RenderError (name + " has a time division of 0");

    schedule.fileType = type;
    schedule.numTracks = midi.getNumTracks();

    // Remember where the tempo changes fall in ticks; their seconds follow from the conversion.
    struct TempoChange { const juce::MidiMessage* message; double ticks; double bpm; };
    std::vector<TempoChange> tempoChanges;
    const int ticksPerQuarter = midi.getTimeFormat() > 0 ? midi.getTimeFormat() : 0;
    if (ticksPerQuarter > 0)
        for (int t = 0; t < midi.getNumTracks(); ++t)
            for (const auto* holder : *midi.getTrack (t))
                if (holder->message.isTempoMetaEvent())
                {
                    const double secondsPerQuarter = holder->message.getTempoSecondsPerQuarterNote();
                    if (secondsPerQuarter > 0.0)
                        tempoChanges.push_back ({ &holder->message, holder->message.getTimeStamp(), 60.0 / secondsPerQuarter });
                }

    midi.convertTimestampTicksToSeconds();

    std::stable_sort (tempoChanges.begin(), tempoChanges.end(),
                      [] (const TempoChange& a, const TempoChange& b) { return a.ticks < b.ticks; });
    schedule.tempoMap.push_back ({});
    for (const auto& change : tempoChanges)
    {
        TempoPoint point { change.message->getTimeStamp(), change.ticks / ticksPerQuarter, change.bpm };
        if (point.seconds <= 0.0)
            schedule.tempoMap.front() = point;
        else
            schedule.tempoMap.push_back (point);
    }

    int64_t lastSample = -1;
    for (int t = 0; t < midi.getNumTracks(); ++t)
    {
        for (const auto* holder : *midi.getTrack (t))
        {
            const auto& message = holder->message;
            const double seconds = message.getTimeStamp();
            if (! std::isfinite (seconds) || seconds < 0.0)
                throw RenderError (name + " has an event at an impossible time");
            if (seconds > maxLengthSeconds)
                throw RenderError (name + " has events at " + formatSeconds (seconds) + ", later than the limit of "
                                   + formatSeconds (maxLengthSeconds) + " (see --max-length)");

            const auto sample = static_cast<int64_t> (std::llround (seconds * rate));
            lastSample = std::max (lastSample, sample);

            if (message.isMetaEvent())
            {
                if (message.getMetaEventType() == 1)
                    schedule.texts.push_back ({ sample, seconds, message.getTextFromTextMetaEvent().toStdString() });
                continue;
            }
            if (message.isSysEx())
                continue;       // a synthesizer instrument has no use for them here

            const int size = message.getRawDataSize();
            if (size < 1 || size > 3)
                continue;

            ScheduledEvent event;
            event.sample = sample;
            std::copy (message.getRawData(), message.getRawData() + size, event.bytes);
            schedule.events.push_back (event);
            if (message.isNoteOn())
                ++schedule.numNotes;
        }
    }

    if (lastSample < 0)
        throw RenderError (name + " contains no events");

    schedule.endSample = lastSample + 1;
    schedule.sortEvents();
    return schedule;
}

int MidiSchedule::addParameterEvents (const std::string& pluginName, const ParameterNames& names)
{
    int forOthers = 0;
    for (const auto& text : texts)
    {
        const auto colon = text.text.find (':');
        if (colon == std::string::npos)
            continue;
        const auto addressee = trim (text.text.substr (0, colon));
        const auto body = text.text.substr (colon + 1);

        if (! juce::String (addressee).equalsIgnoreCase (juce::String (pluginName)) || addressee.empty())
        {
            if (body.find ('=') != std::string::npos)
                ++forOthers;
            continue;
        }

        try
        {
            for (const auto& setting : names.parseList (body))
            {
                ScheduledEvent event;
                event.sample = text.sample;
                event.kind = ScheduledEvent::Kind::parameter;
                event.setting = setting;
                events.push_back (event);
            }
        }
        catch (const RenderError& e)
        {
            throw RenderError ("MIDI file '" + path + "', text event at " + formatSeconds (text.seconds) + " (\""
                               + text.text + "\"): " + e.what());
        }
    }
    sortEvents();
    return forOthers;
}

void MidiSchedule::sortEvents()
{
    std::stable_sort (events.begin(), events.end(), [] (const ScheduledEvent& a, const ScheduledEvent& b)
    {
        if (a.sample != b.sample)
            return a.sample < b.sample;
        return orderWithinSample (a) < orderWithinSample (b);
    });
}

TempoPoint MidiSchedule::tempoAt (int64_t sample) const noexcept
{
    const double seconds = static_cast<double> (sample) / sampleRate;
    // The last change at or before this moment; the first point always starts at 0.
    const auto after = std::upper_bound (tempoMap.begin() + 1, tempoMap.end(), seconds,
                                         [] (double s, const TempoPoint& p) { return s < p.seconds; });
    auto point = *(after - 1);
    point.ppq += (seconds - point.seconds) * point.bpm / 60.0;
    point.seconds = seconds;
    return point;
}
