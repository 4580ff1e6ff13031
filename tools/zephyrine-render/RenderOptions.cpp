// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "RenderOptions.h"

#include "OptionTable.h"
#include "RenderError.h"

#include <algorithm>

namespace
{
    const Option* findLong (const std::string& name)
    {
        for (const auto& option : optionTable())
            if (name == option.longName)
                return &option;
        return nullptr;
    }

    const Option* findShort (char name)
    {
        for (const auto& option : optionTable())
            if (option.shortName != 0 && option.shortName == name)
                return &option;
        return nullptr;
    }

    std::string spelling (const Option& option)
    {
        return std::string ("--") + option.longName;
    }

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
                continue;
            }

            const auto* first = findShort (arg[1]);
            const bool allSwitches = std::all_of (arg.begin() + 1, arg.end(), [] (char c) {
                const auto* option = findShort (c);
                return option != nullptr && option->value == Option::Value::none;
            });
            if (first != nullptr && first->value != Option::Value::none)
            {
                result.push_back (arg.substr (0, 2));
                result.push_back (arg.substr (2));
            }
            else if (allSwitches)
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

        // Both "--option value" and "--option=value".
        std::optional<std::string> inlineValue;
        if (arg.rfind ("--", 0) == 0)
            if (const auto eq = arg.find ('='); eq != std::string::npos)
            {
                inlineValue = arg.substr (eq + 1);
                arg = arg.substr (0, eq);
            }

        const Option* option = arg.rfind ("--", 0) == 0 ? findLong (arg.substr (2))
                                                        : (arg.size() == 2 ? findShort (arg[1]) : nullptr);
        if (option == nullptr)
            throw UsageError ("unknown option '" + arg + "'");

        std::string value;
        switch (option->value)
        {
            case Option::Value::none:
                if (inlineValue)
                    throw UsageError (arg + " takes no value");
                break;

            case Option::Value::required:
                if (inlineValue)
                    value = *inlineValue;
                else if (i + 1 < arguments.size())
                    value = arguments[++i];
                else
                    throw UsageError (arg + " needs a value");
                break;

            case Option::Value::optional:
                // Taken from the next argument only when that is a number.
                if (inlineValue)
                    value = *inlineValue;
                else if (i + 1 < arguments.size() && isNumberText (arguments[i + 1]))
                    value = arguments[++i];
                if (inlineValue && value.empty())
                    throw UsageError (spelling (*option) + "= needs a value after the '='");
                break;
        }
        option->apply (options, value);
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

namespace
{
    constexpr size_t helpColumn = 25;

    std::vector<std::string> lines (const char* text)
    {
        std::vector<std::string> result (1);
        for (const char* c = text; *c != 0; ++c)
            if (*c == '\n')
                result.emplace_back();
            else
                result.back() += *c;
        return result;
    }

    /** "  -o, --output FILE|DIR", as --help shows an option. */
    std::string synopsis (const Option& option)
    {
        std::string text = option.shortName != 0 ? std::string ("  -") + option.shortName + ", " : std::string ("      ");
        text += spelling (option);
        if (option.value == Option::Value::required)
            text += std::string (" ") + option.valueName;
        else if (option.value == Option::Value::optional)
            text += std::string ("[=") + option.valueName + "]";
        return text;
    }
}

std::string usageText()
{
    std::string text =
        R"(Usage: zephyrine-render SONG.mid [-o OUT.wav] [options]
       zephyrine-render SONG.mid... -o FOLDER/ [options]
Plays Standard MIDI Files (type 0 or 1) through the Zephyrine instrument, or
another VST 2, VST3 or LV2 instrument, and writes the sound as WAV or FLAC.
"-" stands for standard input (SONG) or standard output (OUT); "--" ends the
options. An existing output file is replaced, unless -n is given.
)";

    std::string section;
    for (const auto& option : optionTable())
    {
        if (section != option.section)
        {
            section = option.section;
            text += "\n" + section + "\n";
        }
        auto left = synopsis (option);
        const auto help = lines (option.help);
        // A long synopsis stands on a line of its own.
        if (left.size() + 1 > helpColumn)
            left += "\n" + std::string (helpColumn, ' ');
        else
            left.resize (helpColumn, ' ');
        text += left + help.front() + "\n";
        for (size_t i = 1; i < help.size(); ++i)
            text += std::string (helpColumn, ' ') + help[i] + "\n";
    }

    return text + R"(
Parameter changes inside the song: a MIDI text event (meta event 1) reading
"Zephyrine: Crush=0 Wave1=Tri" sets those parameters at its position, while
the song plays, after any --set. The word before the colon is the plug-in's
name as it reports it; events meant for another plug-in are left out.

Exit status: 0 when every song was rendered, 1 when one failed, 2 for a
command-line mistake. No output file is written, or changed, unless its whole
render succeeds.
)";
}

std::string bashCompletionScript()
{
    std::string valueCases, optionWords;
    for (const auto& option : optionTable())
    {
        if (! optionWords.empty())
            optionWords += ' ';
        optionWords += spelling (option);
        // After an optional value the next word may as well be a song.
        if (option.value != Option::Value::required)
            continue;

        std::string pattern;
        if (option.shortName != 0)
            pattern.append ("-").append (1, option.shortName).append ("|");
        pattern += spelling (option);
        std::string action;
        switch (option.completion)
        {
            case Option::Completion::nothing: action = "return"; break;
            case Option::Completion::words:
                action = std::string ("COMPREPLY=($(compgen -W \"") + option.completionText + "\" -- \"$cur\")); return";
                break;
            case Option::Completion::files:
                action = std::string ("COMPREPLY=($(compgen -f ")
                         + (*option.completionText != 0 ? std::string ("-X '") + option.completionText + "' " : std::string())
                         + "-o plusdirs -- \"$cur\")); compopt -o filenames 2>/dev/null; return";
                break;
        }
        valueCases += "        " + pattern + ") " + action + " ;;\n";
    }

    return "# bash completion for zephyrine-render, made from its table of options\n"
           "_zephyrine_render()\n"
           "{\n"
           "    local cur prev\n"
           "    cur=${COMP_WORDS[COMP_CWORD]}\n"
           "    prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    case $prev in\n"
           + valueCases
           + "    esac\n"
             "    if [[ $cur == -* ]]; then\n"
             "        COMPREPLY=($(compgen -W \""
           + optionWords
           + "\" -- \"$cur\"))\n"
             "        return\n"
             "    fi\n"
             "    COMPREPLY=($(compgen -f -X '!*.@(mid|midi|MID|MIDI|smf)' -o plusdirs -- \"$cur\"))\n"
             "    compopt -o filenames 2>/dev/null\n"
             "}\n"
             "complete -F _zephyrine_render zephyrine-render\n";
}
