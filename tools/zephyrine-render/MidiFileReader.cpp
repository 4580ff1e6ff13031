// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "MidiFileReader.h"

#include <cstring>

namespace
{
    constexpr size_t chunkHeaderSize = 8;

    uint32_t read32 (const uint8_t* p)
    {
        return (static_cast<uint32_t> (p[0]) << 24) | (static_cast<uint32_t> (p[1]) << 16)
               | (static_cast<uint32_t> (p[2]) << 8) | p[3];
    }

    uint16_t read16 (const uint8_t* p)
    {
        return static_cast<uint16_t> ((p[0] << 8) | p[1]);
    }

    /** Walks one track chunk; every read is checked against the chunk's end. */
    class TrackParser
    {
    public:
        TrackParser (const uint8_t* file, size_t begin, size_t end, int trackNumber)
            : bytes (file), position (begin), limit (end), track (trackNumber) {}

        std::vector<MidiFileEvent> parse (std::vector<std::string>& warnings)
        {
            std::vector<MidiFileEvent> events;
            uint64_t tick = 0;
            uint8_t runningStatus = 0;

            while (position < limit)
            {
                tick += readVariableLength ("a delta time");
                MidiFileEvent event;
                event.tick = tick;
                event.offset = position;

                const uint8_t first = next ("an event");
                if (first == 0xff)
                {
                    event.kind = MidiFileEvent::Kind::meta;
                    event.status = first;
                    event.metaType = next ("a meta event's type");
                    readPayload (event, "a meta event");
                    runningStatus = 0;
                    if (event.metaType == 0x2f)
                    {
                        event.size = position - event.offset;
                        events.push_back (std::move (event));
                        return events;   // anything after the end of the track is padding
                    }
                }
                else if (first == 0xf0 || first == 0xf7)
                {
                    event.kind = MidiFileEvent::Kind::sysex;
                    event.status = first;
                    readPayload (event, "a system-exclusive event");
                    runningStatus = 0;
                }
                else if (first >= 0xf1)
                {
                    fail (event.offset, "the status byte " + hex (first) + " has no place in a MIDI file");
                }
                else
                {
                    uint8_t status = first;
                    if (first < 0x80)
                    {
                        if (runningStatus == 0)
                            fail (event.offset, "a data byte comes before any status byte");
                        status = runningStatus;
                        --position;   // the byte read is the first data byte
                    }
                    runningStatus = status;
                    event.status = status;
                    const int type = status & 0xf0;
                    const int dataBytes = (type == 0xc0 || type == 0xd0) ? 1 : 2;
                    for (int i = 0; i < dataBytes; ++i)
                    {
                        const auto at = position;
                        const uint8_t value = next ("a channel message");
                        if (value >= 0x80)
                            fail (at, "a channel message is missing a data byte (found " + hex (value) + ")");
                        event.data.push_back (value);
                    }
                }
                event.size = position - event.offset;
                events.push_back (std::move (event));
            }

            warnings.push_back ("track " + std::to_string (track) + " has no end-of-track event; it was read to the end of its chunk");
            return events;
        }

    private:
        static std::string hex (uint8_t value)
        {
            static const char digits[] = "0123456789ABCDEF";
            return std::string ("0x") + digits[value >> 4] + digits[value & 15];
        }

        [[noreturn]] void fail (size_t at, const std::string& what) const
        {
            throw MidiFileError ("track " + std::to_string (track) + ", byte " + std::to_string (at) + ": " + what);
        }

        uint8_t next (const char* reading)
        {
            if (position >= limit)
                fail (position, std::string ("the track ends inside ") + reading);
            return bytes[position++];
        }

        uint32_t readVariableLength (const char* reading)
        {
            const auto start = position;
            uint32_t value = 0;
            for (int i = 0; i < 4; ++i)
            {
                const uint8_t b = next (reading);
                value = (value << 7) | (b & 0x7f);
                if ((b & 0x80) == 0)
                    return value;
            }
            fail (start, std::string (reading) + " is longer than four bytes");
        }

        void readPayload (MidiFileEvent& event, const char* what)
        {
            const auto at = position;
            const uint32_t length = readVariableLength (what);
            if (length > limit - position)
                fail (at, std::string (what) + " of " + std::to_string (length) + " bytes reaches past the end of its track");
            event.data.assign (bytes + position, bytes + position + length);
            position += length;
        }

        const uint8_t* bytes;
        size_t position, limit;
        int track;
    };
}

MidiFileContents readMidiFile (const uint8_t* bytes, size_t size)
{
    if (size < chunkHeaderSize + 6 || std::memcmp (bytes, "MThd", 4) != 0)
        throw MidiFileError ("it does not begin with a MIDI file header (\"MThd\")");

    const uint32_t headerLength = read32 (bytes + 4);
    if (headerLength < 6)
        throw MidiFileError ("its header chunk is " + std::to_string (headerLength) + " bytes long, shorter than 6");
    if (headerLength > size - chunkHeaderSize)
        throw MidiFileError ("its header chunk reaches past the end of the file");

    MidiFileContents contents;
    contents.format = read16 (bytes + 8);
    contents.declaredTracks = read16 (bytes + 10);
    contents.division = static_cast<int16_t> (read16 (bytes + 12));

    // A longer header and chunks of unknown kinds are room for extensions: skipped without a word.
    size_t position = chunkHeaderSize + headerLength;
    while (static_cast<int> (contents.tracks.size()) < contents.declaredTracks && size - position >= chunkHeaderSize)
    {
        const uint8_t* header = bytes + position;
        const uint32_t length = read32 (header + 4);
        const size_t body = position + chunkHeaderSize;
        const bool isTrack = std::memcmp (header, "MTrk", 4) == 0;

        if (length > size - body)
        {
            if (isTrack)
                throw MidiFileError ("track " + std::to_string (contents.tracks.size() + 1) + " is cut off: its chunk claims "
                                     + std::to_string (length) + " bytes, the file holds " + std::to_string (size - body));
            break;   // an unknown chunk cut off at the end holds no tracks
        }

        if (isTrack)
            contents.tracks.push_back (TrackParser (bytes, body, body + length, static_cast<int> (contents.tracks.size()) + 1)
                                           .parse (contents.warnings));
        position = body + length;
    }

    // Bytes after the last declared track are tolerated, unless they hold a
    // track the header did not count: those events would be lost unseen.
    if (size - position >= chunkHeaderSize && std::memcmp (bytes + position, "MTrk", 4) == 0)
        contents.warnings.push_back ("the file holds more tracks than the " + std::to_string (contents.declaredTracks)
                                     + " its header declares; the extra ones were left out");
    if (static_cast<int> (contents.tracks.size()) < contents.declaredTracks)
        contents.warnings.push_back ("the header declares " + std::to_string (contents.declaredTracks) + " tracks, the file holds "
                                     + std::to_string (contents.tracks.size()));
    return contents;
}
