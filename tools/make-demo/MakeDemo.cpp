// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// make-demo: writes the bundled demo song as a Standard MIDI File (type 1).

#include "DemoSong.h"

#include <cstdio>

int main (int argc, char* argv[])
{
    if (argc != 2 || juce::String (argv[1]).startsWith ("-"))
    {
        std::fprintf (stderr, "Usage: make-demo OUTPUT.mid\nWrites the Zephyrine demo song.\n");
        return 2;
    }

    const auto target = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    juce::TemporaryFile temporary (target);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk() || ! createDemoSong().writeTo (out, 1))
        {
            std::fprintf (stderr, "make-demo: cannot write '%s'\n", argv[1]);
            return 1;
        }
    }
    if (! temporary.overwriteTargetFileWithTemporary())
    {
        std::fprintf (stderr, "make-demo: cannot write '%s'\n", argv[1]);
        return 1;
    }
    std::printf ("Wrote %s (%.1f s)\n", target.getFullPathName().toRawUTF8(), demoSongLengthSeconds());
    return 0;
}
