// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The renderer's own MIDI file reader on files that other readers get
// wrong, and the progress line's fit to narrow terminals.

#include "MidiFileReader.h"
#include "ProgressBar.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
    using Bytes = std::vector<uint8_t>;

    Bytes operator+ (Bytes a, const Bytes& b)
    {
        a.insert (a.end(), b.begin(), b.end());
        return a;
    }

    Bytes chunk (const char* id, const Bytes& body)
    {
        Bytes out (id, id + 4);
        const auto n = static_cast<uint32_t> (body.size());
        out.insert (out.end(), { uint8_t (n >> 24), uint8_t (n >> 16), uint8_t (n >> 8), uint8_t (n) });
        return out + body;
    }

    Bytes header (int tracks, Bytes extra = {})
    {
        return chunk ("MThd", Bytes { 0, 1, 0, uint8_t (tracks), 0x01, 0xe0 } + extra);
    }

    const Bytes endOfTrack { 0x00, 0xff, 0x2f, 0x00 };
    const Bytes twoNotes { 0x00, 0x90, 60, 100, 0x60, 62, 100, 0x60, 0x80, 60, 0, 0x00, 62, 0 };   // running status

    MidiFileContents read (const Bytes& file)
    {
        return readMidiFile (file.data(), file.size());
    }

    int channelEvents (const MidiFileContents& midi)
    {
        int n = 0;
        for (const auto& track : midi.tracks)
            for (const auto& e : track)
                n += e.kind == MidiFileEvent::Kind::channel ? 1 : 0;
        return n;
    }
}

TEST (MidiFileReader, ReadsWhatOtherReadersDropOrRefuse)
{
    // A system-exclusive event without a closing F7, read by its length: the notes after it stay.
    const Bytes openSysex { 0x00, 0xf0, 0x03, 0x7e, 0x7f, 0x09 };
    auto midi = read (header (1) + chunk ("MTrk", openSysex + twoNotes + endOfTrack));
    ASSERT_EQ (midi.tracks.size(), 1u);
    EXPECT_EQ (midi.tracks[0][0].kind, MidiFileEvent::Kind::sysex);
    EXPECT_EQ (midi.tracks[0][0].data, (Bytes { 0x7e, 0x7f, 0x09 }));
    EXPECT_EQ (channelEvents (midi), 4);
    EXPECT_EQ (midi.tracks[0][2].tick, 0x60u);
    EXPECT_EQ (midi.tracks[0][2].data, (Bytes { 62, 100 }));
    EXPECT_TRUE (midi.warnings.empty());

    // A longer header, an unknown chunk between the tracks, bytes after the last one.
    midi = read (header (2, { 0, 0, 0 }) + chunk ("MTrk", twoNotes + endOfTrack) + chunk ("XFIH", { 1, 2, 3 })
                 + chunk ("MTrk", twoNotes + endOfTrack) + Bytes { 'j', 'u', 'n', 'k' });
    EXPECT_EQ (midi.tracks.size(), 2u);
    EXPECT_EQ (channelEvents (midi), 8);
    EXPECT_TRUE (midi.warnings.empty());

    // Leniency that could hide events is said out loud.
    midi = read (header (3) + chunk ("MTrk", twoNotes));
    EXPECT_EQ (channelEvents (midi), 4);
    ASSERT_EQ (midi.warnings.size(), 2u);
    EXPECT_NE (midi.warnings[0].find ("no end-of-track"), std::string::npos);
    EXPECT_NE (midi.warnings[1].find ("declares 3 tracks"), std::string::npos);
    midi = read (header (1) + chunk ("MTrk", twoNotes + endOfTrack) + chunk ("MTrk", twoNotes + endOfTrack));
    ASSERT_EQ (midi.warnings.size(), 1u);
    EXPECT_NE (midi.warnings[0].find ("more tracks"), std::string::npos);
}

TEST (MidiFileReader, RefusesWhatWouldLoseOrInventEvents)
{
    auto message = [] (const Bytes& file) -> std::string {
        try
        {
            read (file);
        }
        catch (const MidiFileError& e)
        {
            return e.what();
        }
        return "accepted";
    };
    EXPECT_NE (message (header (1) + chunk ("MTrk", { 0x00, 0xf0, 0x40, 1, 2 })).find ("reaches past the end of its track"), std::string::npos);
    EXPECT_NE (message (header (1) + chunk ("MTrk", { 0x00, 0x3c, 0x40 })).find ("before any status"), std::string::npos);
    EXPECT_NE (message (header (1) + chunk ("MTrk", { 0x00, 0x90, 0x3c })).find ("ends inside"), std::string::npos);
    EXPECT_NE (message (header (1) + chunk ("MTrk", { 0x00, 0x90, 0x3c, 0x90 })).find ("missing a data byte"), std::string::npos);
    EXPECT_NE (message (header (1) + chunk ("MTrk", { 0xff, 0xff, 0xff, 0xff, 0x00 })).find ("longer than four bytes"), std::string::npos);
    auto cut = header (1) + chunk ("MTrk", twoNotes + endOfTrack);
    cut.resize (cut.size() - 3);
    EXPECT_NE (message (cut).find ("track 1 is cut off"), std::string::npos);
    EXPECT_NE (message (chunk ("MThd", { 0, 0, 0, 1 })).find ("MIDI file header"), std::string::npos);
    EXPECT_NE (message (Bytes { 'R', 'I', 'F', 'F' }).find ("MIDI file header"), std::string::npos);
}

TEST (ProgressLine, NeverWiderThanTheTerminal)
{
    for (int columns : { 10, 20, 40, 41, 80, 200 })
        for (double fraction : { 0.0, 0.37, 1.0 })
        {
            const auto line = ProgressBar::compose (fraction, "1234.5 s (tail)", columns);
            EXPECT_LT (static_cast<int> (line.size()), columns) << columns;
            EXPECT_FALSE (line.empty());
        }
    EXPECT_NE (ProgressBar::compose (0.5, "3.0 s", 80).find ("[####################--------------------]  50%"), std::string::npos);
}
