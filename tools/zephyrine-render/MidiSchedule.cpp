// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "MidiSchedule.h"

#include "MidiFileReader.h"
#include "RenderError.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
    constexpr size_t largestMidiFile = 64 * 1024 * 1024;

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
        char text[48];
        std::snprintf (text, sizeof (text), "%.3f s", seconds);
        return text;
    }

    std::string trim (const std::string& text)
    {
        const auto first = text.find_first_not_of (" \t\r\n");
        if (first == std::string::npos)
            return {};
        return text.substr (first, text.find_last_not_of (" \t\r\n") - first + 1);
    }

    std::vector<uint8_t> readAll (const std::string& path, const std::string& name)
    {
        std::vector<uint8_t> bytes;
        if (path == "-")
        {
            uint8_t buffer[65536];
            size_t got = 0;
            while ((got = std::fread (buffer, 1, sizeof (buffer), stdin)) > 0)
            {
                bytes.insert (bytes.end(), buffer, buffer + got);
                if (bytes.size() > largestMidiFile)
                    throw RenderError (name + " is too large to be a MIDI file");
            }
            if (std::ferror (stdin))
                throw RenderError (name + " cannot be read");
            return bytes;
        }

        const juce::File file (juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (path.c_str())));
        if (file.isDirectory())
            throw RenderError (name + " is a folder");
        if (! file.existsAsFile())
            throw RenderError (name + " does not exist");
        if (file.getSize() > static_cast<juce::int64> (largestMidiFile))
            throw RenderError (name + " is too large to be a MIDI file");

        juce::FileInputStream stream (file);
        if (! stream.openedOk())
            throw RenderError (name + " cannot be read: " + stream.getStatus().getErrorMessage().toStdString());
        juce::MemoryBlock data;
        stream.readIntoMemoryBlock (data);
        const auto* start = static_cast<const uint8_t*> (data.getData());
        return { start, start + data.getSize() };
    }

    /** Ticks to seconds, honouring tempo changes from every track. */
    class TickClock
    {
    public:
        TickClock (const MidiFileContents& midi)
        {
            if (midi.division < 0)
            {
                const int frames = -(midi.division >> 8);
                const double fps = frames == 29 ? 30000.0 / 1001.0 : frames;
                secondsPerTick = 1.0 / (fps * (midi.division & 0xff));
                return;
            }
            ticksPerQuarter = midi.division;
            for (const auto& track : midi.tracks)
                for (const auto& e : track)
                    if (e.kind == MidiFileEvent::Kind::meta && e.metaType == 0x51 && e.data.size() == 3)
                    {
                        const double micros = (e.data[0] << 16) | (e.data[1] << 8) | e.data[2];
                        if (micros > 0)
                            changes.push_back ({ e.tick, 0.0, micros / 1.0e6 });
                    }
            std::stable_sort (changes.begin(), changes.end(), [] (const Change& a, const Change& b) { return a.tick < b.tick; });
            uint64_t tick = 0;
            double seconds = 0.0, perQuarter = 0.5;
            for (auto& c : changes)
            {
                seconds += static_cast<double> (c.tick - tick) * perQuarter / ticksPerQuarter;
                c.seconds = seconds;
                tick = c.tick;
                perQuarter = c.secondsPerQuarter;
            }
        }

        double secondsAt (uint64_t tick) const
        {
            if (ticksPerQuarter == 0)
                return static_cast<double> (tick) * secondsPerTick;
            const auto after = std::upper_bound (changes.begin(), changes.end(), tick,
                                                 [] (uint64_t t, const Change& c) { return t < c.tick; });
            if (after == changes.begin())
                return static_cast<double> (tick) * 0.5 / ticksPerQuarter;
            const auto& c = *(after - 1);
            return c.seconds + static_cast<double> (tick - c.tick) * c.secondsPerQuarter / ticksPerQuarter;
        }

        /** The tempo map for the transport: seconds, quarter notes, bpm. */
        std::vector<TempoPoint> tempoMap() const
        {
            std::vector<TempoPoint> map { TempoPoint {} };
            if (ticksPerQuarter == 0)
                return map;
            for (const auto& c : changes)
            {
                const TempoPoint point { c.seconds, static_cast<double> (c.tick) / ticksPerQuarter, 60.0 / c.secondsPerQuarter };
                if (point.seconds <= 0.0)
                    map.front() = point;
                else
                    map.push_back (point);
            }
            return map;
        }

    private:
        struct Change
        {
            uint64_t tick;
            double seconds;
            double secondsPerQuarter;
        };
        std::vector<Change> changes;
        int ticksPerQuarter = 0;
        double secondsPerTick = 0.0;
    };
}

MidiSchedule MidiSchedule::load (const std::string& filePath, double rate, double maxLengthSeconds)
{
    const auto name = filePath == "-" ? std::string ("MIDI file on standard input") : "MIDI file '" + filePath + "'";
    return parse (readAll (filePath, name), filePath == "-" ? "<stdin>" : filePath, rate, maxLengthSeconds);
}

MidiSchedule MidiSchedule::parse (const std::vector<uint8_t>& bytes, const std::string& filePath, double rate,
                                  double maxLengthSeconds)
{
    MidiSchedule schedule;
    schedule.path = filePath;
    schedule.sampleRate = rate;
    const auto name = "MIDI file '" + filePath + "'";

    MidiFileContents midi;
    try
    {
        midi = readMidiFile (bytes.data(), bytes.size());
    }
    catch (const MidiFileError& e)
    {
        throw RenderError (name + " is not a valid Standard MIDI File: " + e.what());
    }

    if (midi.format == 2)
        throw RenderError (name + " is of type 2 (independent sequences); only types 0 and 1 can be rendered");
    if (midi.tracks.empty())
        throw RenderError (name + " has no tracks");
    if (midi.division == 0 || (midi.division < 0 && (midi.division & 0xff) == 0))
        throw RenderError (name + " has a time division of 0");

    schedule.fileType = midi.format;
    schedule.numTracks = static_cast<int> (midi.tracks.size());
    schedule.warnings = midi.warnings;

    const TickClock clock (midi);
    schedule.tempoMap = clock.tempoMap();

    int64_t lastSample = -1;
    int sysex = 0;
    for (const auto& track : midi.tracks)
        for (const auto& e : track)
        {
            const double seconds = clock.secondsAt (e.tick);
            if (! std::isfinite (seconds) || seconds < 0.0)
                throw RenderError (name + " has an event at an impossible time");
            if (seconds > maxLengthSeconds)
                throw RenderError (name + " has events at " + formatSeconds (seconds) + ", later than the limit of "
                                   + formatSeconds (maxLengthSeconds) + " (see --max-length)");

            const auto sample = static_cast<int64_t> (std::llround (seconds * rate));
            lastSample = std::max (lastSample, sample);

            if (e.kind == MidiFileEvent::Kind::meta)
            {
                if (e.metaType == 1)
                    schedule.texts.push_back ({ sample, seconds, std::string (e.data.begin(), e.data.end()) });
                continue;
            }
            if (e.kind == MidiFileEvent::Kind::sysex)
            {
                ++sysex;
                continue;
            }

            ScheduledEvent event;
            event.sample = sample;
            event.bytes[0] = e.status;
            std::copy (e.data.begin(), e.data.end(), event.bytes + 1);
            schedule.events.push_back (event);
            if ((e.status & 0xf0) == 0x90 && e.data.size() == 2 && e.data[1] > 0)
                ++schedule.numNotes;
        }

    if (lastSample < 0)
        throw RenderError (name + " contains no events");
    if (sysex > 0)
        schedule.warnings.push_back (std::to_string (sysex) + " system-exclusive event" + (sysex == 1 ? " was" : "s were")
                                     + " not sent to the instrument (only channel messages are)");

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
    std::stable_sort (events.begin(), events.end(), [] (const ScheduledEvent& a, const ScheduledEvent& b) {
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
