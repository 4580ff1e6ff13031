// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// The renderer's table of options against what is made from it and what is
// written beside it: the parser, --help, the bash completion, the manual page.

#include "OptionTable.h"
#include "RenderError.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace
{
    std::string readFile (const char* path)
    {
        std::ifstream file (path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::set<std::string> tableSpellings()
    {
        std::set<std::string> spellings;
        for (const auto& option : optionTable())
        {
            spellings.insert (std::string ("--") + option.longName);
            if (option.shortName != 0)
                spellings.insert (std::string ("-") + option.shortName);
        }
        return spellings;
    }

    /** A value each option takes, in the form its synopsis shows. */
    std::string sampleValue (const Option& option)
    {
        const std::string shown = option.valueName;
        if (shown.find ('|') != std::string::npos && shown != "FILE|DIR")
            return shown.substr (0, shown.find ('|'));   // the first choice
        if (shown == "NAME=VALUE")
            return "Vol=0.5";
        if (shown == "HZ")
            return "48000";
        if (shown == "NAME")
            return "Glass Pad";   // a factory sound
        if (shown == "DB")
            return "-3";
        if (shown == "N" || shown == "SECONDS")
            return "2";
        return "x.wav";
    }

    std::string runBash (const std::string& script)
    {
        const auto path = (std::filesystem::temp_directory_path() / ("completion-" + std::to_string (getpid()) + ".sh")).string();
        std::ofstream (path) << script;
        std::string output;
        if (auto* pipe = popen (("bash " + path + " 2>&1").c_str(), "r"))
        {
            char buffer[4096];
            while (const auto n = std::fread (buffer, 1, sizeof (buffer), pipe))
                output.append (buffer, n);
            pclose (pipe);
        }
        std::remove (path.c_str());
        return output;
    }
}

TEST (CommandLine, EveryOptionParsesInEachOfItsSpellings)
{
    for (const auto& option : optionTable())
    {
        const std::string name = std::string ("--") + option.longName;
        std::vector<std::vector<std::string>> spellings;
        if (option.value == Option::Value::none)
        {
            spellings.push_back ({ name });
            if (option.shortName != 0)
                spellings.push_back ({ std::string ("-") + option.shortName });
            EXPECT_THROW (parseCommandLine ({ "a.mid", name + "=1" }), UsageError) << name;
        }
        else
        {
            const auto value = sampleValue (option);
            spellings.push_back ({ name + "=" + value });
            spellings.push_back ({ name, value });
            if (option.shortName != 0)
                spellings.push_back ({ std::string ("-") + option.shortName + value });
        }

        for (auto arguments : spellings)
        {
            arguments.insert (arguments.begin(), "a.mid");
            EXPECT_NO_THROW (parseCommandLine (arguments)) << arguments[1];
        }
    }

    EXPECT_THROW (parseCommandLine ({ "a.mid", "--bit-depth", "16" }), UsageError);
    EXPECT_THROW (parseCommandLine ({ "a.mid", "--normalise" }), UsageError);
    EXPECT_THROW (parseCommandLine ({ "a.mid", "--format", "pcm16" }), UsageError);
    EXPECT_THROW (parseCommandLine ({ "a.mid", "-qnr48000" }), UsageError);   // a value only after the first letter
    const auto grouped = parseCommandLine ({ "a.mid", "-qn", "-r48000", "--normalize", "-6", "b.mid" });
    EXPECT_TRUE (grouped.quiet && grouped.noClobber);
    EXPECT_EQ (grouped.sampleRate, 48000.0);
    EXPECT_EQ (grouped.normalizeDb, -6.0);
    EXPECT_EQ (grouped.midiFiles, (std::vector<std::string> { "a.mid", "b.mid" }));
}

TEST (CommandLine, HelpListsEveryOptionOfTheTable)
{
    const auto help = usageText();
    for (const auto& option : optionTable())
    {
        const std::string name = std::string ("--") + option.longName;
        EXPECT_NE (help.find (name + (option.value == Option::Value::required ? " " : "")), std::string::npos) << name;
        if (option.shortName != 0)
        {
            EXPECT_NE (help.find (std::string ("-") + option.shortName + ", " + name), std::string::npos) << name;
        }
    }
    for (const auto& line : { "Output", "Sound", "Length", "Other" })
        EXPECT_NE (help.find (std::string ("\n") + line + "\n"), std::string::npos) << line;
}

TEST (CommandLine, ManualPageDescribesTheOptionsOfTheTableAndNoOthers)
{
    const auto page = readFile (MANUAL_PAGE);
    ASSERT_FALSE (page.empty()) << MANUAL_PAGE;
    const auto from = page.find (".SH OPTIONS");
    const auto to = page.find (".SH ", from + 1);
    ASSERT_NE (from, std::string::npos);
    const auto options = page.substr (from, to - from);

    // Each option is the head of a ".TP" entry: "\-o", "\-\-sample\-rate".
    std::set<std::string> described;
    const std::regex head (R"(\.TP\n\.BR? (\\-(?:\\-)?[a-zA-Z](?:[a-z]|\\-)*)(?: ", " (\\-\\-(?:[a-z]|\\-)+))?)");
    for (std::sregex_iterator i (options.begin(), options.end(), head), end; i != end; ++i)
        for (size_t group = 1; group <= 2; ++group)
            if ((*i)[group].matched)
                described.insert (std::regex_replace ((*i)[group].str(), std::regex (R"(\\-)"), "-"));

    EXPECT_EQ (described, tableSpellings());
}

TEST (CommandLine, BashCompletionOffersTheTablesOptionsAndValues)
{
    const auto script = readFile (COMPLETION_SCRIPT);
    ASSERT_EQ (script, bashCompletionScript()) << COMPLETION_SCRIPT << " is out of date";

    auto complete = [&] (const std::string& line) {
        return runBash (script + "\nCOMP_WORDS=(" + line + ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                        + "_zephyrine_render\necho \"[${COMPREPLY[*]}]\"\n");
    };
    EXPECT_NE (complete ("zephyrine-render --sa").find ("[--sample-rate --save-state]"), std::string::npos);
    EXPECT_NE (complete ("zephyrine-render --format ''").find ("[wav flac]"), std::string::npos);
    EXPECT_NE (complete ("zephyrine-render -r 4").find ("[44100 48000]"), std::string::npos);
    EXPECT_NE (complete ("zephyrine-render --set ''").find ("[]"), std::string::npos);
}
