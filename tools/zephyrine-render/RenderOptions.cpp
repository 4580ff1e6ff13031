// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "RenderOptions.h"

#include "RenderError.h"
#include "presets/FactoryPresets.h"

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

    bool isNumber (const std::string& text)
    {
        char* end = nullptr;
        errno = 0;
        const double value = std::strtod (text.c_str(), &end);
        return ! text.empty() && end == text.c_str() + text.size() && errno == 0 && std::isfinite (value);
    }

    double parseNumber (const std::string& option, const std::string& text, double low, double high)
    {
        if (! isNumber (text))
            throw UsageError (option + " needs a number, not '" + text + "'");
        const double value = std::strtod (text.c_str(), nullptr);
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

    const std::string shortWithValue = "orbsj";
    const std::string shortFlags = "hqnV";

    /** "-r48000" into "-r" "48000", and "-qn" into "-q" "-n". */
    std::vector<std::string> splitShortOptions (const std::vector<std::string>& arguments)
    {
        std::vector<std::string> result;
        bool optionsEnded = false;
        for (const auto& arg : arguments)
        {
            if (optionsEnded || arg == "--" || arg.size() <= 2 || arg[0] != '-' || arg[1] == '-')
            {
                optionsEnded = optionsEnded || arg == "--";
                result.push_back (arg);
            }
            else if (shortWithValue.find (arg[1]) != std::string::npos)
            {
                result.push_back (arg.substr (0, 2));
                result.push_back (arg.substr (2));
            }
            else if (arg.find_first_not_of (shortFlags, 1) == std::string::npos)
                for (size_t i = 1; i < arg.size(); ++i)
                    result.push_back (std::string ("-") + arg[i]);
            else
                result.push_back (arg);
        }
        return result;
    }
}

RenderOptions parseCommandLine (const std::vector<std::string>& rawArguments)
{
    const auto arguments = splitShortOptions (rawArguments);
    RenderOptions options;
    bool optionsEnded = false;

    for (size_t i = 0; i < arguments.size(); ++i)
    {
        std::string arg = arguments[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-')
        {
            options.midiFiles.push_back (arg);
            continue;
        }
        if (arg == "--")
        {
            optionsEnded = true;
            continue;
        }

        std::optional<std::string> inlineValue;
        // Accept both "--option value" and "--option=value".
        if (arg.rfind ("--", 0) == 0)
            if (const auto eq = arg.find ('='); eq != std::string::npos)
            {
                inlineValue = arg.substr (eq + 1);
                arg = arg.substr (0, eq);
            }

        auto value = [&]() -> std::string {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= arguments.size())
                throw UsageError (arg + " needs a value");
            return arguments[++i];
        };
        bool takesNoValue = false;

        if (arg == "-h" || arg == "--help")
        {
            options.showHelp = true;
            takesNoValue = true;
        }
        else if (arg == "-V" || arg == "--version")
        {
            options.showVersion = true;
            takesNoValue = true;
        }
        else if (arg == "-o" || arg == "--output")
            options.outputFile = value();
        else if (arg == "-r" || arg == "--sample-rate")
            options.sampleRate = parseWholeNumber ("--sample-rate", value(), 8000, 384000);
        else if (arg == "-b" || arg == "--block-size")
            options.blockSize = parseWholeNumber ("--block-size", value(), 1, 8192);
        else if (arg == "--bits" || arg == "--bit-depth")
        {
            const auto text = value();
            if (text != "16" && text != "24" && text != "32")
                throw UsageError ("--bits must be 16, 24 or 32, not '" + text + "'");
            options.bits = std::atoi (text.c_str());
            options.isFloat = false;
        }
        else if (arg == "--float")
        {
            options.isFloat = true;
            options.bits = 32;
            takesNoValue = true;
        }
        else if (arg == "--format")
        {
            const auto name = value();
            if (name == "wav")
                options.container = RenderOptions::Container::wav;
            else if (name == "flac")
                options.container = RenderOptions::Container::flac;
            else if (name == "pcm16" || name == "16")
            {
                options.bits = 16;
                options.isFloat = false;
            }
            else if (name == "pcm24" || name == "24")
            {
                options.bits = 24;
                options.isFloat = false;
            }
            else if (name == "pcm32")
            {
                options.bits = 32;
                options.isFloat = false;
            }
            else if (name == "float32" || name == "float" || name == "32")
            {
                options.bits = 32;
                options.isFloat = true;
            }
            else
                throw UsageError ("--format must be wav, flac, pcm16, pcm24, pcm32 or float32, not '" + name + "'");
        }
        else if (arg == "--gain")
            options.gainDb = parseNumber (arg, value(), -120, 60);
        else if (arg == "--normalize" || arg == "--normalise")
        {
            // The level is optional: taken from the next argument only when that is a number.
            if (inlineValue || (i + 1 < arguments.size() && isNumber (arguments[i + 1])))
                options.normalizeDb = parseNumber ("--normalize", value(), -120, 0);
            else
                options.normalizeDb = -1.0;
        }
        else if (arg == "-s" || arg == "--set")
            options.assignments.push_back (value());
        else if (arg == "--state")
            options.stateFile = value();
        else if (arg == "--preset")
        {
            options.presetName = value();
            const auto* sound = factorypresets::find (options.presetName);
            if (sound == nullptr)
            {
                std::string close;
                for (const auto& match : factorypresets::closeMatches (options.presetName))
                    close += (close.empty() ? "; did you mean '" : "', '") + match;
                throw UsageError ("there is no factory sound called '" + options.presetName + "'"
                                  + (close.empty() ? "" : close + "'?") + " (--list-presets lists them)");
            }
            options.presetName = sound->name;
        }
        else if (arg == "--list-presets")
        {
            options.listPresets = true;
            takesNoValue = true;
        }
        else if (arg == "--save-state")
            options.saveStateFile = value();
        else if (arg == "--png")
            options.pictureFile = value();
        else if (arg == "--plugin")
            options.pluginPath = value();
        else if (arg == "--tail-max")
            options.tailMaxSeconds = parseNumber (arg, value(), 0, 600);
        else if (arg == "--tail-silence")
            options.tailSilenceSeconds = parseNumber (arg, value(), 0, 60);
        else if (arg == "--silence-db")
            options.silenceDb = parseNumber (arg, value(), -200, 0);
        else if (arg == "--max-length")
            options.maxLengthSeconds = parseNumber (arg, value(), 1, 86400);
        else if (arg == "-j" || arg == "--jobs")
            options.jobs = parseWholeNumber ("--jobs", value(), 1, 256);
        else if (arg == "-n" || arg == "--no-clobber")
        {
            options.noClobber = true;
            takesNoValue = true;
        }
        else if (arg == "--list-parameters")
        {
            options.listParameters = true;
            takesNoValue = true;
        }
        else if (arg == "-q" || arg == "--quiet")
        {
            options.quiet = true;
            takesNoValue = true;
        }
        else
            throw UsageError ("unknown option '" + arg + "'");

        if (inlineValue && takesNoValue)
            throw UsageError (arg + " takes no value");
    }

    if (options.showHelp || options.showVersion)
        return options;
    if (options.outputFile && options.outputFile->empty())
        throw UsageError ("-o needs a file name, not an empty text");
    if (options.container == RenderOptions::Container::flac && (options.isFloat || options.bits == 32))
        throw UsageError ("FLAC holds 16 or 24 bits; use --bits 16 or 24, or a WAV file for 32 bits");
    if (options.normalizeDb && options.gainDb != 0.0)
        throw UsageError ("--gain and --normalize do not go together: --normalize sets the level");
    if (! options.presetName.empty() && ! options.stateFile.empty())
        throw UsageError ("--preset and --state both set the whole sound; give one of them");
    if (options.listParameters || options.listPresets)
        return options;
    if (options.midiFiles.empty())
        throw UsageError ("no MIDI file given");

    const bool batch = options.midiFiles.size() > 1;
    for (const auto& file : options.midiFiles)
        if (file == "-" && batch)
            throw UsageError ("standard input ('-') can only be rendered on its own");
    if (batch && options.outputFile == "-")
        throw UsageError ("several songs cannot all go to standard output");
    if (batch && (! options.pictureFile.empty() || ! options.saveStateFile.empty()))
        throw UsageError ("--png and --save-state take one song at a time");
    if (options.midiFiles.front() == "-" && ! options.outputFile)
        throw UsageError ("a song from standard input needs -o FILE (or -o - for standard output)");
    return options;
}

std::string usageText()
{
    return
        R"(Usage: zephyrine-render SONG.mid [-o OUT.wav] [options]
       zephyrine-render SONG.mid... -o FOLDER/ [options]
Plays Standard MIDI Files (type 0 or 1) through the Zephyrine instrument, or
another VST 2, VST3 or LV2 instrument, and writes the sound as WAV or FLAC.
"-" stands for standard input (SONG) or standard output (OUT); "--" ends the
options. An existing output file is replaced, unless -n is given.

Output
  -o, --output FILE|DIR  the file to write (default: SONG.wav beside SONG.mid);
                         with several songs, a folder for NAME.wav of each
      --format wav|flac  the file type (default: from the name, else WAV)
      --bits 16|24|32    bit depth of the samples (default 24); 16 is dithered
      --float            32-bit float samples (WAV only)
  -r, --sample-rate HZ   sample rate, 8000 to 384000 (default 44100)
  -b, --block-size N     samples per processing block, 1 to 8192 (default 512);
                         not the bit depth: that is --bits
      --gain DB          amplify (or, negative, attenuate) the output
      --normalize[=DB]   scale so that the peak is DB dBFS (default -1)
      --png FILE         also draw the waveform and a spectrogram as a picture
  -n, --no-clobber       never replace an existing file
  -j, --jobs N           songs rendered at once (default: one per core)

Sound
  -s, --set NAME=VALUE   set a parameter before the first note; repeatable.
                         NAME is a parameter's index or its name; NAME#2 the
                         second parameter of that name. Zephyrine also takes
                         Osc.A .. Osc.R, Amp.A .. Amp.R, Wave1 and Wave2, and
                         wave names (Sin, Saw1, Saw2, Tri, Sqr) as their values
      --state FILE       load a saved state block before rendering (then --set)
      --preset NAME      start from a factory sound (then --set); quote names
                         with spaces: --preset "Glass Pad"
      --list-presets     print the factory sounds and stop
      --save-state FILE  save the plug-in's state block after rendering
      --plugin PLUGIN    the instrument: a VST 2 library (.so), a VST3 bundle
                         (.vst3), an LV2 bundle folder or an LV2 plug-in's URI
      --list-parameters  print the plug-in's parameters and stop

Length
      --tail-max SECONDS longest tail after the last event (default 10); a
                         sound still playing there is faded out over 10 ms
      --tail-silence SECONDS
                         the tail ends after this much silence (default 0.5)
      --silence-db DB    the level counted as silence, in dBFS (default -90)
      --max-length SECONDS
                         refuse songs longer than this (default 3600)

Other
  -q, --quiet            no progress bar and no summary
  -V, --version          the program's version
  -h, --help             this text

Parameter changes inside the song: a MIDI text event (meta event 1) reading
"Zephyrine: Crush=0 Wave1=Tri" sets those parameters at its position, while
the song plays, after any --set. The word before the colon is the plug-in's
name as it reports it; events meant for another plug-in are left out.

Exit status: 0 when every song was rendered, 1 when one failed, 2 for a
command-line mistake. No output file is written, or changed, unless its whole
render succeeds.
)";
}
