// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "RenderOptions.h"

#include <string>
#include <vector>

/** One command-line option: everything the parser, --help and the bash
    completion know of it. Adding an option is adding one entry. */
struct Option
{
    enum class Value
    {
        none,       // a switch
        required,   // "--name VALUE", "--name=VALUE", "-x VALUE", "-xVALUE"
        optional    // "--name", "--name=VALUE", or a number as the next argument
    };

    /** What the completion offers for the value. */
    enum class Completion
    {
        nothing,   // a number or a text: nothing to offer
        words,     // the words of completionText
        files      // files matching completionText (bash's -X filter; empty: any), and folders
    };

    char shortName;         // 0: none
    const char* longName;   // without the dashes
    Value value;
    const char* valueName;   // as --help shows it, e.g. "FILE|DIR"
    const char* section;     // the heading it is listed under
    const char* help;        // the text of --help; '\n' starts another line
    Completion completion;
    const char* completionText;

    /** Takes the value (empty for a switch) into the options; throws
        UsageError naming the option when the value is wrong. */
    void (*apply) (RenderOptions& options, const std::string& value);
};

/** Whether the text is a finite number as a whole. */
bool isNumberText (const std::string& text);

/** Every option, in the order --help lists them, sections in the order of
    their first option. */
const std::vector<Option>& optionTable();
