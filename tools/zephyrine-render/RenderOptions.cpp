// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "RenderOptions.h"

#include "RenderError.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
    std::string shortNumber (double value)
    {
        char text[32];
        std::snprintf (text, sizeof (text), "%g", value);
        return text;
    }

    double parseNumber (const std::string& option, const std::string& text, double low, double high)
    {
        errno = 0;
        char* end = nullptr;
        const double value = std::strtod (text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size() || errno != 0 || ! std::isfinite (value))
            throw UsageError (option + " needs a number, not '" + text + "'");
        if (value < low || value > high)
            throw UsageError (option + " must lie between " + shortNumber (low) + " and "
                              + shortNumber (high) + ", not " + text);
        return value;
    }

    int parseWholeNumber (const std::string& option, const std::string& text, int low, int high)
    {
        const double value = parseNumber (option, text, low, high);
        if (value != std::floor (value))
            throw UsageError (option + " needs a whole number, not '" + text + "'");
        return static_cast<int> (value);
    }
}

RenderOptions parseCommandLine (const std::vector<std::string>& arguments)
{
    RenderOptions options;
    std::vector<std::string> positional;

    for (size_t i = 0; i < arguments.size(); ++i)
    {
        std::string arg = arguments[i];
        std::optional<std::string> inlineValue;

        // Accept both "--option value" and "--option=value".
        if (arg.rfind ("--", 0) == 0)
            if (const auto eq = arg.find ('='); eq != std::string::npos)
            {
                inlineValue = arg.substr (eq + 1);
                arg = arg.substr (0, eq);
            }

        auto value = [&]() -> std::string
        {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= arguments.size())
                throw UsageError (arg + " needs a value");
            return arguments[++i];
        };

        if (arg == "-h" || arg == "--help")             options.showHelp = true;
        else if (arg == "-o" || arg == "--output")      options.outputFile = value();
        else if (arg == "-r" || arg == "--sample-rate") options.sampleRate = parseWholeNumber ("--sample-rate", value(), 8000, 384000);
        else if (arg == "-b" || arg == "--block-size")  options.blockSize = parseWholeNumber ("--block-size", value(), 1, 8192);
        else if (arg == "--float")                      options.format = RenderOptions::SampleFormat::float32;
        else if (arg == "--format")
        {
            const auto name = value();
            if (name == "pcm24" || name == "24")         options.format = RenderOptions::SampleFormat::pcm24;
            else if (name == "float32" || name == "float" || name == "32")
                                                         options.format = RenderOptions::SampleFormat::float32;
            else throw UsageError ("--format must be pcm24 or float32, not '" + name + "'");
        }
        else if (arg == "-s" || arg == "--set")         options.assignments.push_back (value());
        else if (arg == "--state")                      options.stateFile = value();
        else if (arg == "--save-state")                 options.saveStateFile = value();
        else if (arg == "--png")                        options.pictureFile = value();
        else if (arg == "--plugin")                     options.pluginPath = value();
        else if (arg == "--tail-max")                   options.tailMaxSeconds = parseNumber (arg, value(), 0, 600);
        else if (arg == "--tail-silence")               options.tailSilenceSeconds = parseNumber (arg, value(), 0, 60);
        else if (arg == "--silence-db")                 options.silenceDb = parseNumber (arg, value(), -200, 0);
        else if (arg == "--max-length")                 options.maxLengthSeconds = parseNumber (arg, value(), 1, 86400);
        else if (arg == "--list-parameters")            options.listParameters = true;
        else if (arg == "-q" || arg == "--quiet")       options.quiet = true;
        else if (arg.size() > 1 && arg[0] == '-')       throw UsageError ("unknown option '" + arg + "'");
        else                                             positional.push_back (arg);

        if (inlineValue && (arg == "--float" || arg == "--help" || arg == "--list-parameters" || arg == "--quiet"))
            throw UsageError (arg + " takes no value");
    }

    if (options.showHelp)
        return options;
    if (positional.size() > 1)
        throw UsageError ("only one MIDI file can be rendered at a time (got '" + positional[0] + "' and '"
                          + positional[1] + "')");
    if (! positional.empty())
        options.midiFile = positional[0];
    if (options.midiFile.empty() && ! options.listParameters)
        throw UsageError ("no MIDI file given");
    return options;
}

std::string usageText()
{
    return
R"(Usage: zephyrine-render SONG.mid [-o OUT.wav] [options]
Plays a Standard MIDI File (type 0 or 1) through the Zephyrine VST 2 instrument,
or another one, and writes the sound as a WAV file.

Output
  -o, --output FILE        the WAV file to write (default: SONG.wav beside SONG.mid)
  -r, --sample-rate HZ     sample rate, 8000 to 384000 (default 44100)
  -b, --block-size N       samples per processing block, 1 to 8192 (default 512)
      --format pcm24|float32
                           24-bit PCM (default) or 32-bit float samples
      --float              the same as --format float32
      --png FILE           also draw the waveform and a spectrogram as a PNG picture

Sound
  -s, --set NAME=VALUE     set a parameter before the first note; repeatable.
                           NAME is a parameter's index or its name. A name means
                           the first parameter of that name; NAME#2 the second one
                           of that name (Zephyrine has two "A", "D", "S" and "R").
                           Zephyrine also takes Osc.A .. Osc.R, Amp.A .. Amp.R,
                           Wave1 and Wave2, and wave names (Sin, Saw1, Saw2, Tri, Sqr)
                           as values of Wave1 and Wave2.
      --state FILE         load a saved state block into the plug-in before
                           rendering (applied before --set)
      --save-state FILE    save the plug-in's state block after rendering
      --plugin PATH        render through another VST 2 instrument (.so)
      --list-parameters    print the plug-in's parameters with their indices, and stop

Length
      --tail-max SECONDS   longest tail rendered after the last event (default 10)
      --tail-silence SECONDS
                           the tail ends once the output has been silent this long
                           (default 0.5)
      --silence-db DB      the level counted as silence, in dBFS (default -90)
      --max-length SECONDS refuse songs longer than this (default 3600)

Other
  -q, --quiet              no progress bar and no summary
  -h, --help               this text

Parameter changes inside the song: a MIDI text event (meta event 1) reading
"Zephyrine: Crush=0 Wave1=Tri" sets those parameters at its position, while the
song plays, after any --set. The word before the colon is the plug-in's name as
it reports it; events meant for another plug-in are left out, other texts are
ignored.

Exit status: 0 on success, 1 when the render fails, 2 for a command-line mistake.
No output file is written, or changed, unless the whole render succeeds.
)";
}
