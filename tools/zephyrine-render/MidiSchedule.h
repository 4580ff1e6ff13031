// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "ParameterNames.h"

#include <cstdint>
#include <string>
#include <vector>

/** One thing for the plug-in at a sample position: a MIDI message or a
    parameter write. */
struct ScheduledEvent
{
    enum class Kind
    {
        midi,
        parameter
    };

    int64_t sample = 0;
    Kind kind = Kind::midi;
    uint8_t bytes[3] = {};      // midi: status and up to two data bytes
    ParameterSetting setting;   // parameter
};

/** Tempo at a point in the song, for the transport the plug-in may ask for. */
struct TempoPoint
{
    double seconds = 0.0;
    double ppq = 0.0;   // quarter notes from the start
    double bpm = 120.0;
};

/** A Standard MIDI File turned into one time-ordered list of events at
    sample positions: all tracks merged, tempo changes honoured. */
class MidiSchedule
{
public:
    /** Reads the file ("-": standard input); throws RenderError naming what
        is wrong with it. */
    static MidiSchedule load (const std::string& path, double sampleRate, double maxLengthSeconds);

    /** Reads a file already in memory; name is how messages call it. */
    static MidiSchedule parse (const std::vector<uint8_t>& bytes, const std::string& name, double sampleRate,
                               double maxLengthSeconds);

    /** What the user should hear about: parts of the file read leniently,
        events that are not sent to the instrument. */
    const std::vector<std::string>& getWarnings() const noexcept { return warnings; }

    /** Turns the text events addressed to pluginName ("Name: A=1 B=2") into
        parameter writes at their positions; throws RenderError for one that
        does not parse. Returns how many were addressed to another plug-in. */
    int addParameterEvents (const std::string& pluginName, const ParameterNames& names);

    const std::vector<ScheduledEvent>& getEvents() const noexcept { return events; }

    /** One past the sample of the last event (meta events included): the song's length. */
    int64_t getEndSample() const noexcept { return endSample; }

    /** Tempo and quarter-note position at a sample. */
    TempoPoint tempoAt (int64_t sample) const noexcept;

    int getFileType() const noexcept { return fileType; }
    int getNumTracks() const noexcept { return numTracks; }
    int getNumNotes() const noexcept { return numNotes; }

private:
    struct TextEvent
    {
        int64_t sample = 0;
        double seconds = 0.0;
        std::string text;
    };

    void sortEvents();

    std::string path;
    double sampleRate = 44100.0;
    std::vector<ScheduledEvent> events;
    std::vector<TextEvent> texts;
    std::vector<TempoPoint> tempoMap;
    std::vector<std::string> warnings;
    int64_t endSample = 0;
    int fileType = 0, numTracks = 0, numNotes = 0;
};
