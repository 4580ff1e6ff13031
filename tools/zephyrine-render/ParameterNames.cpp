// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ParameterNames.h"

#include "RenderError.h"
#include "plugin/HostParameters.h"
#include "plugin/ParameterInfo.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{
    using hostparameters::Kind;

    Kind kindOf (int index) { return hostparameters::table[static_cast<size_t> (index)].kind; }

    bool equalsIgnoringCase (const std::string& a, const std::string& b)
    {
        return a.size() == b.size()
               && std::equal (a.begin(), a.end(), b.begin(), [] (char x, char y) { return std::tolower (static_cast<unsigned char> (x)) == std::tolower (static_cast<unsigned char> (y)); });
    }

    bool allDigits (const std::string& text)
    {
        return ! text.empty() && std::all_of (text.begin(), text.end(), [] (char c) { return std::isdigit (static_cast<unsigned char> (c)); });
    }

    std::string trim (const std::string& text)
    {
        const auto first = text.find_first_not_of (" \t");
        if (first == std::string::npos)
            return {};
        return text.substr (first, text.find_last_not_of (" \t") - first + 1);
    }
}

ParameterNames::ParameterNames (std::vector<std::string> parameterNames, Dialect d)
    : names (std::move (parameterNames)), dialect (d)
{
    if (dialect == Dialect::other)
        return;

    for (int slot = 0; slot < hostparameters::count; ++slot)
    {
        int index = slot;
        if (dialect == Dialect::zephyrineHost)
            index = static_cast<int> (std::find (names.begin(), names.end(), hostparameters::table[static_cast<size_t> (slot)].name)
                                      - names.begin());
        indexOfSlot.push_back (index);
    }
}

ParameterNames::Dialect ParameterNames::dialectOf (const std::string& pluginName, const std::string& formatName,
                                                   const std::vector<std::string>& reported)
{
    if (pluginName != "Zephyrine" || reported.size() < static_cast<size_t> (hostparameters::count))
        return Dialect::other;

    if (formatName == "VST 2")
    {
        for (int i = 0; i < hostparameters::count; ++i)
            if (reported[static_cast<size_t> (i)] != parameterinfo::name (i))
                return Dialect::other;
        return Dialect::zephyrineSlots;
    }

    for (const auto& description : hostparameters::table)
        if (std::count (reported.begin(), reported.end(), description.name) != 1)
            return Dialect::other;
    return Dialect::zephyrineHost;
}

int ParameterNames::slotAt (int index) const
{
    const auto found = std::find (indexOfSlot.begin(), indexOfSlot.end(), index);
    return found == indexOfSlot.end() ? -1 : static_cast<int> (found - indexOfSlot.begin());
}

int ParameterNames::zephyrineSlotCalled (const std::string& name) const
{
    if (! isZephyrine())
        return -1;

    for (int i = 0; i < hostparameters::count; ++i)
        if (equalsIgnoringCase (name, hostparameters::songNames[static_cast<size_t> (i)])
            || equalsIgnoringCase (name, hostparameters::table[static_cast<size_t> (i)].name))
            return indexOfSlot[static_cast<size_t> (i)];
    for (int i = 0; i < hostparameters::count; ++i)
        if (equalsIgnoringCase (name, parameterinfo::name (i)))
            return indexOfSlot[static_cast<size_t> (i)];
    return -1;
}

int ParameterNames::resolve (const std::string& name) const
{
    const int count = size();

    if (allDigits (name))
    {
        const long index = name.size() > 9 ? count : std::strtol (name.c_str(), nullptr, 10);
        if (index >= count)
            throw RenderError ("parameter index " + name + " is out of range: the plug-in has "
                               + std::to_string (count) + " parameters, 0 to " + std::to_string (count - 1));
        return static_cast<int> (index);
    }

    if (const auto hash = name.rfind ('#'); hash != std::string::npos && allDigits (name.substr (hash + 1)))
    {
        const auto base = name.substr (0, hash);
        const auto wanted = std::strtol (name.substr (hash + 1, 6).c_str(), nullptr, 10);
        long seen = 0;
        for (int i = 0; i < count; ++i)
            if (names[static_cast<size_t> (i)] == base && ++seen == wanted)
                return i;
        throw RenderError ("unknown parameter '" + name + "': there are " + std::to_string (seen)
                           + " parameters called '" + base + "'");
    }

    if (const int slot = zephyrineSlotCalled (name); slot >= 0)
        return slot;

    for (int i = 0; i < count; ++i)
        if (names[static_cast<size_t> (i)] == name)
            return i;
    for (int i = 0; i < count; ++i)
        if (equalsIgnoringCase (names[static_cast<size_t> (i)], name))
            return i;

    throw RenderError ("unknown parameter '" + name + "' (try --list-parameters, or give an index)");
}

float ParameterNames::parseValue (int index, const std::string& text, const std::string& assignment) const
{
    const int slot = slotAt (index);
    auto asGiven = [&] (float value) {
        return slot >= 0 && dialect == Dialect::zephyrineHost ? hostparameters::hostValueFor (kindOf (slot), value) : value;
    };

    if (slot >= 0 && kindOf (slot) == Kind::waveShape)
        for (size_t i = 0; i < std::size (hostparameters::waveShapeNames); ++i)
            if (equalsIgnoringCase (text, hostparameters::waveShapeNames[i]))
                return asGiven (static_cast<float> (i + 1));

    errno = 0;
    char* end = nullptr;
    const float value = std::strtof (text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE || ! std::isfinite (value))
        throw RenderError ("bad value in '" + assignment + "': '" + text + "' is not a finite number");
    return asGiven (value);
}

ParameterSetting ParameterNames::parse (const std::string& assignment) const
{
    const auto eq = assignment.find ('=');
    if (eq == std::string::npos)
        throw RenderError ("'" + assignment + "' is not of the form NAME=VALUE");

    const auto name = trim (assignment.substr (0, eq));
    const auto valueText = trim (assignment.substr (eq + 1));
    if (name.empty())
        throw RenderError ("'" + assignment + "' names no parameter");

    ParameterSetting setting;
    setting.index = resolve (name);
    setting.value = parseValue (setting.index, valueText, assignment);
    return setting;
}

std::vector<ParameterSetting> ParameterNames::parseList (const std::string& text) const
{
    std::vector<ParameterSetting> settings;
    std::string current;
    auto flush = [&] {
        if (! current.empty())
            settings.push_back (parse (current));
        current.clear();
    };

    for (char c : text)
    {
        if (c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\n' || c == '\r')
            flush();
        else
            current += c;
    }
    flush();
    return settings;
}

std::string ParameterNames::aliasOf (int index) const
{
    std::string result;
    auto add = [&result] (const std::string& alias) { result += (result.empty() ? "" : ", ") + alias; };

    const auto& name = nameOf (index);
    const auto position = std::count (names.begin(), names.begin() + index, name) + 1;
    if (position > 1)
        add (name + "#" + std::to_string (position));

    if (const int slot = slotAt (index); slot >= 0)
    {
        const std::string song = hostparameters::songNames[static_cast<size_t> (slot)];
        const std::string host = hostparameters::table[static_cast<size_t> (slot)].name;
        if (song != name)
            add (song);
        if (host != name && host != song)
            add (host);
    }
    return result;
}
