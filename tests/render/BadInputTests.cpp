// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// Every kind of bad input ends with a message naming the problem, a non-zero
// exit status, and no output file: neither a new one nor a changed old one.

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

using namespace rendertest;

namespace
{
    struct BadCase
    {
        const char* what;
        std::vector<std::string> arguments;   // "@name" stands for a file in the test folder
        const char* message;
        int exitCode = 1;
        bool foreignPlugin = false;
    };

    void expectCleanFailure (const TempFolder& folder, const BadCase& c, const std::vector<std::string>& filesBefore)
    {
        std::vector<std::string> args;
        for (const auto& a : c.arguments)
            args.push_back (a.rfind ("@", 0) == 0 ? folder.path (a.substr (1)) : a);

        const auto run = runRenderer (args, c.foreignPlugin);
        EXPECT_EQ (run.exitCode, c.exitCode) << c.what << ":\n"
                                             << run.output;
        EXPECT_TRUE (contains (run.output, c.message)) << c.what << ": expected \"" << c.message << "\" in:\n"
                                                       << run.output;
        EXPECT_FALSE (contains (run.output, "Rendered")) << c.what;
        EXPECT_EQ (folder.contents(), filesBefore) << c.what << ": the folder changed";
        EXPECT_EQ (folder.file ("kept.wav").loadFileAsString(), "keep me") << c.what;
    }
}

TEST (RenderBadInput, FailsCleanlyNamingTheProblem)
{
    TempFolder folder;
    const auto note = writeSingleNote (folder);
    folder.file ("kept.wav").replaceWithText ("keep me");
    folder.file ("corrupt.mid").replaceWithText ("MThd this is not a MIDI file at all");
    static const char truncated[] = "MThd\0\0\0\6\0\1\0\1\1\xe0MTrk\0\0\1\0\x90";
    folder.file ("truncated.mid").replaceWithData (truncated, sizeof (truncated) - 1);
    folder.file ("empty.state").create();
    folder.file ("fake.so").replaceWithText ("not a library");
    folder.file ("folder").createDirectory();

    juce::MidiMessageSequence badText;
    auto textEvent = juce::MidiMessage::textMetaEvent (1, "Probe: Volume=1");
    textEvent.setTimeStamp (960);
    badText.addEvent (textEvent);
    writeMidi (folder, "badtext.mid", { badText });

    const auto probe = probePlugin();
    const std::vector<BadCase> cases = {
        { "missing MIDI file", { "@absent.mid", "-o", "@kept.wav", "--plugin", probe }, "does not exist" },
        { "corrupt MIDI file", { "@corrupt.mid", "-o", "@kept.wav", "--plugin", probe }, "not a valid Standard MIDI File" },
        { "truncated MIDI file", { "@truncated.mid", "-o", "@kept.wav", "--plugin", probe }, "not a valid Standard MIDI File" },
        { "MIDI file is a folder", { "@folder", "-o", "@kept.wav", "--plugin", probe }, "is a folder" },
        { "unknown parameter", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--set", "Volume=1" }, "unknown parameter 'Volume'", 2 },
        { "third of two names", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--set", "Level#3=1" }, "unknown parameter 'Level#3'", 2 },
        { "index out of range", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--set", "2=0.5" }, "parameter index 2 is out of range", 2 },
        { "value not a number", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--set", "0=loud" }, "'loud' is not a finite number", 2 },
        { "value not finite", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--set", "0=nan" }, "not a finite number", 2 },
        { "no equals sign", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--set", "0" }, "not of the form NAME=VALUE", 2 },
        { "bad setting in the song", { "@badtext.mid", "-o", "@kept.wav", "--plugin", probe }, "text event at 1.000 s" },
        { "empty state file", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--state", "@empty.state" }, "is empty" },
        { "missing state file", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--state", "@absent.state" }, "does not exist" },
        { "output folder missing", { "@note.mid", "-o", "@nowhere/out.wav", "--plugin", probe }, "does not exist" },
        { "output is a folder", { "@note.mid", "-o", "@folder", "--plugin", probe }, "is a folder" },
        { "output over the input", { "@note.mid", "-o", "@note.mid", "--plugin", probe }, "are the same file" },
        { "plug-in missing", { "@note.mid", "-o", "@kept.wav", "--plugin", "@absent.so" }, "does not exist" },
        { "plug-in not a library", { "@note.mid", "-o", "@kept.wav", "--plugin", "@fake.so" }, "cannot be loaded" },
        { "plug-in without entry point", { "@note.mid", "-o", "@kept.wav", "--plugin", "/lib/x86_64-linux-gnu/libz.so.1" }, "no VST 2 entry point", 1, true },
        { "entry point declines", { "@note.mid", "-o", "@kept.wav", "--plugin", probePlugin ("ProbeNullEntry") }, "returned no plug-in" },
        { "NaN from the plug-in", { "@note.mid", "-o", "@kept.wav", "--plugin", probePlugin ("ProbeNan") }, "not numbers (NaN or infinity), the first at 0.023 s" },
        { "plug-in crashes", { "@note.mid", "-o", "@kept.wav", "--plugin", probePlugin ("ProbeCrash") }, "the render crashed", 128 + 6 },
        { "unknown option", { "@note.mid", "--loud" }, "unknown option '--loud'", 2 },
        { "missing value", { "@note.mid", "-o" }, "-o needs a value", 2 },
        { "bad sample rate", { "@note.mid", "-r", "0" }, "--sample-rate must lie between", 2 },
        { "bad block size", { "@note.mid", "-b", "1.5" }, "--block-size needs a whole number", 2 },
        { "bad format", { "@note.mid", "--format", "mp3" }, "--format must be wav or flac", 2 },
        { "no MIDI file", { "-o", "@kept.wav" }, "no MIDI file given", 2 },
        { "unknown preset", { "@note.mid", "-o", "@kept.wav", "--preset", "Glas Pad" }, "did you mean 'Glass Pad'", 2 },
        { "preset and state", { "@note.mid", "-o", "@kept.wav", "--preset", "Harp", "--state", "@empty.state" }, "give one of them", 2 },
        { "preset for another plug-in", { "@note.mid", "-o", "@kept.wav", "--plugin", probe, "--preset", "Harp" }, "cannot play it" },
    };

    const auto before = folder.contents();
    for (const auto& c : cases)
        expectCleanFailure (folder, c, before);

    // An effect is not an instrument.
    if (juce::File ("/usr/lib/vst/MVerb-vst.so").existsAsFile())
        expectCleanFailure (folder, { "effect plug-in", { "@note.mid", "-o", "@kept.wav", "--plugin", "/usr/lib/vst/MVerb-vst.so" }, "not an instrument", 1, true }, before);
}
