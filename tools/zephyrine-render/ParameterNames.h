// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <string>
#include <vector>

/** One parameter write: an index and the value to give it. */
struct ParameterSetting
{
    int index = 0;
    float value = 0.0f;
};

/** Turns "NAME=VALUE" texts into parameter writes, with the names the
    plug-in reports. Names need not be unique, so a name is resolved as:
      - digits: that index;
      - NAME#k: the k-th parameter (from 1) called NAME;
      - for Zephyrine: Osc.A, Osc.D, Osc.S, Osc.R, Amp.A .. Amp.R, Wave1, Wave2;
      - NAME: the first parameter called NAME, else the first one whose name
        matches ignoring case.
    Values are numbers; Zephyrine's wave parameters also take wave names. */
class ParameterNames
{
public:
    /** names: the plug-in's parameter names by index; zephyrine: whether its
        own aliases apply (the plug-in reports itself as Zephyrine). */
    ParameterNames (std::vector<std::string> names, bool zephyrine);

    /** The index of a name; throws RenderError naming it when it is unknown
        or out of range. */
    int resolve (const std::string& name) const;

    /** Parses "NAME=VALUE"; throws RenderError naming the problem. */
    ParameterSetting parse (const std::string& assignment) const;

    /** Parses several assignments separated by spaces, commas or semicolons. */
    std::vector<ParameterSetting> parseList (const std::string& text) const;

    int size() const noexcept { return static_cast<int> (names.size()); }
    const std::string& nameOf (int index) const { return names.at (static_cast<size_t> (index)); }

    /** The extra names this plug-in takes, e.g. "Amp.A" for index 8, or "". */
    std::string aliasOf (int index) const;

private:
    float parseValue (int index, const std::string& text, const std::string& assignment) const;

    std::vector<std::string> names;
    bool zephyrine;
};
