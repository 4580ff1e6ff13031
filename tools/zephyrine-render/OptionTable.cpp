// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "OptionTable.h"

#include "RenderError.h"
#include "presets/FactoryPresets.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
    using Value = Option::Value;
    using Completion = Option::Completion;

    std::string shortNumber (double value)
    {
        char text[32];
        std::snprintf (text, sizeof (text), "%g", value);
        return text;
    }

    double parseNumber (const char* option, const std::string& text, double low, double high)
    {
        if (! isNumberText (text))
            throw UsageError (std::string (option) + " needs a number, not '" + text + "'");
        const double value = std::strtod (text.c_str(), nullptr);
        if (value < low || value > high)
            throw UsageError (std::string (option) + " must lie between " + shortNumber (low) + " and " + shortNumber (high)
                              + ", not " + text);
        return value;
    }

    int parseWholeNumber (const char* option, const std::string& text, int low, int high)
    {
        const double value = parseNumber (option, text, low, high);
        if (value != std::floor (value))
            throw UsageError (std::string (option) + " needs a whole number, not '" + text + "'");
        return static_cast<int> (value);
    }

    constexpr const char* output = "Output";
    constexpr const char* sound = "Sound";
    constexpr const char* length = "Length";
    constexpr const char* other = "Other";
}

bool isNumberText (const std::string& text)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod (text.c_str(), &end);
    return ! text.empty() && end == text.c_str() + text.size() && errno == 0 && std::isfinite (value);
}

const std::vector<Option>& optionTable()
{
    static const std::vector<Option> table {
        { 'o', "output", Value::required, "FILE|DIR", output,
          "the file to write (default: SONG.wav beside SONG.mid);\nwith several songs, a folder for NAME.wav of each",
          Completion::files, "",
          [] (RenderOptions& o, const std::string& v) { o.outputFile = v; } },
        { 0, "format", Value::required, "wav|flac", output, "the file type (default: from the name, else WAV)",
          Completion::words, "wav flac",
          [] (RenderOptions& o, const std::string& v) {
              if (v != "wav" && v != "flac")
                  throw UsageError ("--format must be wav or flac, not '" + v + "'");
              o.container = v == "flac" ? RenderOptions::Container::flac : RenderOptions::Container::wav;
          } },
        { 0, "bits", Value::required, "16|24|32", output, "bit depth of the samples (default 24); 16 is dithered",
          Completion::words, "16 24 32",
          [] (RenderOptions& o, const std::string& v) {
              if (v != "16" && v != "24" && v != "32")
                  throw UsageError ("--bits must be 16, 24 or 32, not '" + v + "'");
              o.bits = std::stoi (v);
              o.isFloat = false;
          } },
        { 0, "float", Value::none, "", output, "32-bit float samples (WAV only)", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) {
              o.isFloat = true;
              o.bits = 32;
          } },
        { 'r', "sample-rate", Value::required, "HZ", output, "sample rate, 8000 to 384000 (default 44100)",
          Completion::words, "44100 48000 88200 96000",
          [] (RenderOptions& o, const std::string& v) { o.sampleRate = parseWholeNumber ("--sample-rate", v, 8000, 384000); } },
        { 'b', "block-size", Value::required, "N", output,
          "samples per processing block, 1 to 8192 (default 512);\nnot the bit depth: that is --bits", Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.blockSize = parseWholeNumber ("--block-size", v, 1, 8192); } },
        { 0, "gain", Value::required, "DB", output, "amplify (or, negative, attenuate) the output", Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.gainDb = parseNumber ("--gain", v, -120, 60); } },
        { 0, "normalize", Value::optional, "DB", output, "scale so that the peak is DB dBFS (default -1)",
          Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.normalizeDb = v.empty() ? -1.0 : parseNumber ("--normalize", v, -120, 0); } },
        { 0, "png", Value::required, "FILE", output, "also draw the waveform and a spectrogram as a picture",
          Completion::files, "!*.png",
          [] (RenderOptions& o, const std::string& v) { o.pictureFile = v; } },
        { 'n', "no-clobber", Value::none, "", output, "never replace an existing file", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) { o.noClobber = true; } },
        { 'j', "jobs", Value::required, "N", output, "songs rendered at once (default: one per core)", Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.jobs = parseWholeNumber ("--jobs", v, 1, 256); } },

        { 's', "set", Value::required, "NAME=VALUE", sound,
          "set a parameter before the first note; repeatable.\nNAME is a parameter's index or its name; NAME#2 the\n"
          "second parameter of that name. Zephyrine takes its\nnames in every format (see --list-parameters), wave\n"
          "names (Sin, Saw1, Saw2, Tri, Sqr) for Wave1 and Wave2,\nand its own values (Wave1=4, Oct=0.5) in every format",
          Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.assignments.push_back (v); } },
        { 0, "state", Value::required, "FILE", sound, "load a saved state block before rendering (then --set)",
          Completion::files, "", [] (RenderOptions& o, const std::string& v) { o.stateFile = v; } },
        { 0, "preset", Value::required, "NAME", sound,
          "start from a factory sound (then --set); quote names\nwith spaces: --preset \"Glass Pad\"", Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) {
              const auto* found = factorypresets::find (v);
              if (found == nullptr)
              {
                  std::string close;
                  for (const auto& match : factorypresets::closeMatches (v))
                      close += (close.empty() ? "; did you mean '" : "', '") + match;
                  throw UsageError ("there is no factory sound called '" + v + "'" + (close.empty() ? "" : close + "'?")
                                    + " (--list-presets lists them)");
              }
              o.presetName = found->name;
          } },
        { 0, "list-presets", Value::none, "", sound, "print the factory sounds and stop", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) { o.listPresets = true; } },
        { 0, "save-state", Value::required, "FILE", sound, "save the plug-in's state block after rendering",
          Completion::files, "", [] (RenderOptions& o, const std::string& v) { o.saveStateFile = v; } },
        { 0, "plugin", Value::required, "PLUGIN", sound,
          "the instrument: a VST 2 library (.so), a VST3 bundle\n(.vst3), an LV2 bundle folder or an LV2 plug-in's URI",
          Completion::files, "!*.@(so|vst3|lv2)", [] (RenderOptions& o, const std::string& v) { o.pluginPath = v; } },
        { 0, "list-parameters", Value::none, "", sound, "print the plug-in's parameters and stop", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) { o.listParameters = true; } },

        { 0, "tail-max", Value::required, "SECONDS", length,
          "longest tail after the last event (default 10); a\nsound still playing there is faded out over 10 ms",
          Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.tailMaxSeconds = parseNumber ("--tail-max", v, 0, 600); } },
        { 0, "tail-silence", Value::required, "SECONDS", length, "the tail ends after this much silence (default 0.5)",
          Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.tailSilenceSeconds = parseNumber ("--tail-silence", v, 0, 60); } },
        { 0, "silence-db", Value::required, "DB", length, "the level counted as silence, in dBFS (default -90)",
          Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.silenceDb = parseNumber ("--silence-db", v, -200, 0); } },
        { 0, "max-length", Value::required, "SECONDS", length, "refuse songs longer than this (default 3600)",
          Completion::nothing, "",
          [] (RenderOptions& o, const std::string& v) { o.maxLengthSeconds = parseNumber ("--max-length", v, 1, 86400); } },

        { 'q', "quiet", Value::none, "", other, "no progress bar and no summary", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) { o.quiet = true; } },
        { 'V', "version", Value::none, "", other, "the program's version", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) { o.showVersion = true; } },
        { 'h', "help", Value::none, "", other, "this text", Completion::nothing, "",
          [] (RenderOptions& o, const std::string&) { o.showHelp = true; } },
    };
    return table;
}
