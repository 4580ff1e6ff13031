// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The renderer's MIDI file reader on arbitrary bytes: it may refuse them, but
// must never crash, and every event it reports must lie inside the input.

#include "MidiFileReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    try
    {
        const auto contents = readMidiFile (data, size);
        for (const auto& track : contents.tracks)
            for (const auto& event : track)
            {
                if (event.size == 0 || event.offset >= size || event.size > size - event.offset)
                    std::abort();
                // A payload is part of the event's bytes, never more (with running
                // status a channel message is its data bytes alone).
                if (event.data.size() > event.size)
                    std::abort();
            }
    }
    catch (const MidiFileError&)
    {
    }
    return 0;
}
