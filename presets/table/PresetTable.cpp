// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// Turns the factory sound list into the C++ table the plug-in is built with,
// and refuses a list with a line that is not a complete, sensible sound:
//   preset-table <factory.txt> <output.cpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
    constexpr int slotCount = 18;

    struct Sound
    {
        std::string name, category, description;
        std::array<float, slotCount> values {};
    };

    struct BadLine
    {
        std::string message;
    };

    std::string trim (const std::string& text)
    {
        const auto first = text.find_first_not_of (" \t\r");
        if (first == std::string::npos)
            return {};
        return text.substr (first, text.find_last_not_of (" \t\r") - first + 1);
    }

    std::vector<std::string> splitFields (const std::string& line)
    {
        std::vector<std::string> fields;
        std::stringstream stream (line);
        std::string field;
        while (std::getline (stream, field, '|'))
            fields.push_back (trim (field));
        return fields;
    }

    // The texts go into C++ string literals and Turtle labels unescaped.
    void checkText (const std::string& what, const std::string& text)
    {
        if (text.empty())
            throw BadLine { what + " is empty" };
        for (const char c : text)
            if (c == '"' || c == '\\' || (unsigned char) c < 0x20)
                throw BadLine { what + " holds a quote, a backslash or a control character" };
    }

    bool isOneOf (float value, std::initializer_list<float> allowed)
    {
        return std::find (allowed.begin(), allowed.end(), value) != allowed.end();
    }

    void checkRanges (const std::array<float, slotCount>& v)
    {
        static const char* const names[] { "Disp", "Rand", "Oct", "OSC A", "OSC D", "OSC S", "OSC R", "Amt", "AMP A",
                                           "AMP D", "AMP S", "AMP R", "Vol", "Arp", "Shape+", "Shape-", "Crush", "Filter" };
        for (int i = 0; i < slotCount; ++i)
        {
            const float x = v[(size_t) i];
            const std::string name = names[i];
            if (i == 2 || i == 13)
            {
                if (! isOneOf (x, { 0.0f, 0.5f, 1.0f }))
                    throw BadLine { name + " must be 0, 0.5 or 1" };
            }
            else if (i == 14 || i == 15)
            {
                if (! isOneOf (x, { 1.0f, 2.0f, 3.0f, 4.0f, 5.0f }))
                    throw BadLine { name + " must be a shape from 1 to 5" };
            }
            else if (i == 16 || i == 17)
            {
                if (! isOneOf (x, { 0.0f, 1.0f }))
                    throw BadLine { name + " must be 0 or 1" };
            }
            else if (! (x >= 0.0f && x <= 1.0f))
                throw BadLine { name + " must lie between 0 and 1" };
        }
        if (v[12] <= 0.0f)
            throw BadLine { "Vol 0 is silent" };

        // The oscillator's negative half-cycle vanishes as the asymmetry
        // nears 1; the sum of its parts must leave room.
        const float worstAsymmetry = (v[0] + v[7] - 0.5f) * 0.5f + v[1] * 0.25f;
        if (worstAsymmetry > 0.9f)
            throw BadLine { "Disp, Amt and Rand together bend the wave too far (asymmetry up to "
                            + std::to_string (worstAsymmetry) + ", at most 0.9)" };
    }

    Sound parseLine (const std::string& line)
    {
        const auto fields = splitFields (line);
        if (fields.size() != 4)
            throw BadLine { "needs four fields between bars (name | category | 18 values | description), has "
                            + std::to_string (fields.size()) };

        Sound sound { fields[0], fields[1], fields[3], {} };
        checkText ("the name", sound.name);
        checkText ("the category", sound.category);
        checkText ("the description", sound.description);

        std::stringstream numbers (fields[2]);
        std::string token;
        int count = 0;
        while (numbers >> token)
        {
            char* end = nullptr;
            errno = 0;
            const float value = std::strtof (token.c_str(), &end);
            if (end != token.c_str() + token.size() || errno != 0 || ! std::isfinite (value))
                throw BadLine { "'" + token + "' is not a number" };
            if (count < slotCount)
                sound.values[(size_t) count] = value;
            ++count;
        }
        if (count != slotCount)
            throw BadLine { "has " + std::to_string (count) + " values, needs " + std::to_string (slotCount) };
        checkRanges (sound.values);
        return sound;
    }

    std::string lower (std::string text)
    {
        for (auto& c : text)
            c = (char) std::tolower ((unsigned char) c);
        return text;
    }

    // This program never sets a locale, so the C locale's point is used.
    std::string nineDigits (float value)
    {
        char text[48];
        std::snprintf (text, sizeof (text), "%.9g", (double) value);
        return text;
    }

    std::string floatLiteral (float value)
    {
        std::string result = nineDigits (value) + "f";
        if (result.find_first_of (".e") == std::string::npos)
            result.insert (result.size() - 1, ".0");
        return result;
    }

    void writeTable (std::ostream& out, const std::vector<Sound>& sounds)
    {
        out << "// Generated from presets/factory.txt by preset-table; edit that file instead.\n"
               "#include \"FactoryPresets.h\"\n\n"
               "namespace factorypresets\n{\n"
               "    namespace\n    {\n"
               "        constexpr Sound sounds[] {\n";
        for (const auto& s : sounds)
        {
            out << "            { \"" << s.name << "\", \"" << s.category << "\", \"" << s.description << "\",\n              { ";
            for (int i = 0; i < slotCount; ++i)
                out << floatLiteral (s.values[(size_t) i]) << (i + 1 < slotCount ? ", " : " },\n");
            out << "              \"<t_SETTINGS";
            for (int i = 0; i < slotCount; ++i)
                out << " " << i << "=\\\"" << nineDigits (s.values[(size_t) i]) << "\\\"";
            out << "/>\" },\n";
        }
        out << "        };\n    }\n\n"
               "    std::span<const Sound> all() noexcept { return sounds; }\n}\n";
    }
}

int main (int argc, char* argv[])
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: preset-table <factory.txt> <output.cpp>\n");
        return 2;
    }

    std::ifstream in (argv[1]);
    if (! in)
    {
        std::fprintf (stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }

    std::vector<Sound> sounds;
    std::set<std::string> names, stems;
    std::string line;
    int lineNumber = 0, errors = 0;
    while (std::getline (in, line))
    {
        ++lineNumber;
        const auto content = trim (line);
        if (content.empty() || content[0] == '#')
            continue;
        try
        {
            auto sound = parseLine (content);
            if (! names.insert (lower (sound.name)).second)
                throw BadLine { "the name '" + sound.name + "' is taken by an earlier line" };
            std::string stem;
            for (const char c : sound.name)
                if (std::isalnum ((unsigned char) c))
                    stem += (char) std::tolower ((unsigned char) c);
            if (! stems.insert (stem).second)
                throw BadLine { "the name '" + sound.name + "' gives the same file name as an earlier one" };
            sounds.push_back (std::move (sound));
        }
        catch (const BadLine& bad)
        {
            std::fprintf (stderr, "%s:%d: error: %s\n", argv[1], lineNumber, bad.message.c_str());
            ++errors;
        }
    }
    if (errors == 0 && (sounds.empty() || sounds.front().name != "Default"))
    {
        std::fprintf (stderr, "%s: error: the first sound must be 'Default', the engine's own\n", argv[1]);
        ++errors;
    }
    if (errors > 0)
        return 1;

    std::ostringstream table;
    writeTable (table, sounds);

    std::ofstream out (argv[2]);
    out << table.str();
    if (! out)
    {
        std::fprintf (stderr, "%s: cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
