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
      - for Zephyrine, in every format: its song names (Osc.A .. Amp.R,
        Wave1, Wave2, ...), its LV2/VST3 names ("Osc A", "P1 Wave") and its
        VST 2 names ("A" is the first of the two), ignoring case;
      - NAME: the first parameter called NAME, else the first one whose name
        matches ignoring case.
    Values are numbers; Zephyrine's wave parameters also take wave names.
    Zephyrine's values are its own slot values, as its VST 2 build and its
    state hold them; for its VST3 and LV2 builds they are turned into the
    0..1 those hosts work in, so a song sounds the same through all three. */
class ParameterNames
{
public:
    enum class Dialect
    {
        other,            // any other plug-in: names as reported, values as given
        zephyrineSlots,   // Zephyrine's VST 2 build: values are slot values
        zephyrineHost     // its VST3 and LV2 builds: values in the host's 0..1
    };

    /** names: the plug-in's parameter names by index. */
    ParameterNames (std::vector<std::string> names, Dialect dialect);

    /** Which dialect a plug-in speaks, from its name, format and parameters:
        Zephyrine's VST 2 build lists its slots in order, with its short
        names; a VST3 or LV2 host lists them with its host names, in an order
        of its own, perhaps with parameters of its own (a bypass). */
    static Dialect dialectOf (const std::string& pluginName, const std::string& formatName,
                              const std::vector<std::string>& names);

    bool isZephyrine() const noexcept { return dialect != Dialect::other; }

    /** The index of a name; throws RenderError naming it when it is unknown
        or out of range. */
    int resolve (const std::string& name) const;

    /** Parses "NAME=VALUE"; throws RenderError naming the problem. */
    ParameterSetting parse (const std::string& assignment) const;

    /** Parses several assignments separated by spaces, commas or semicolons. */
    std::vector<ParameterSetting> parseList (const std::string& text) const;

    int size() const noexcept { return static_cast<int> (names.size()); }
    const std::string& nameOf (int index) const { return names.at (static_cast<size_t> (index)); }

    /** The other names this parameter takes, e.g. "Amp.A, Amp A" for index 8, or "". */
    std::string aliasOf (int index) const;

private:
    float parseValue (int index, const std::string& text, const std::string& assignment) const;
    int zephyrineSlotCalled (const std::string& name) const;
    int slotAt (int index) const;   // Zephyrine's slot shown at this index, or -1

    std::vector<std::string> names;
    Dialect dialect;
    std::vector<int> indexOfSlot;   // Zephyrine: where each slot's parameter is; hosts may order them their way
};
