// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

/** One event of a track, as the file holds it. */
struct MidiFileEvent
{
    enum class Kind
    {
        channel,
        sysex,
        meta
    };

    uint64_t tick = 0;   // from the start of its track
    Kind kind = Kind::channel;
    uint8_t status = 0;          // the status in force (running status applied)
    uint8_t metaType = 0;        // meta events only
    std::vector<uint8_t> data;   // channel: 1 or 2 data bytes; sysex and meta: the payload
    size_t offset = 0;           // where the event starts in the file (after its delta time)
    size_t size = 0;             // how many bytes of the file it takes
};

struct MidiFileContents
{
    int format = 0;
    int declaredTracks = 0;
    int division = 0;   // > 0: ticks per quarter note; < 0: SMPTE (high byte frames, low byte ticks)
    std::vector<std::vector<MidiFileEvent>> tracks;
    /** What was read leniently and the user should hear about. */
    std::vector<std::string> warnings;
};

/** Why a file cannot be read: the message names the place. */
class MidiFileError : public std::runtime_error
{
public:
    explicit MidiFileError (const std::string& message) : std::runtime_error (message) {}
};

/** Reads a Standard MIDI File held in memory, with no framework behind it.
    Lenient where files in the wild need it (header chunks longer than six
    bytes, unknown chunks, bytes after the last track, a missing end-of-track
    or fewer tracks than declared: each noted in the warnings) and strict where
    events would otherwise be lost or made up: a track cut off inside an event,
    a data byte without a status or a length reaching past its chunk throws.
    System-exclusive events are read by their length, never by looking for F7. */
MidiFileContents readMidiFile (const uint8_t* bytes, size_t size);
