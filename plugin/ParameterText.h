// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <optional>
#include <string>
#include <string_view>

/** What a slot's value means to a musician, in the engine's own units:
    envelope times in seconds, volume and amplitude sustain in decibels,
    depths in per cent, and the names of the stepped settings. Shown by the
    LV2 and VST3 hosts, the app's status line and the guide; the VST 2
    display texts are the plain numbers of parameterinfo. Texts never follow
    the locale. */
namespace parametertext
{
    /** How long the whole segment of an envelope time lasts, in seconds: a
        full attack from 0 to 1, a full decay from 1 to 0, a release from
        full level. Both envelopes run on this one scale at every sample
        rate. 0 for a slot that is not a time. */
    double segmentSeconds (int slot, float slotValue) noexcept;

    /** True for the six envelope-time slots. */
    bool isTime (int slot) noexcept;

    /** The value as a musician reads it, e.g. "0.75 s", "12 ms", "-20.4 dB",
        "33 %", "Saw1", "+1", "On". Any float gives a text; a slot outside
        0..17 gives "". */
    std::string describe (int slot, float slotValue);

    /** The slot value a text stands for: a text of describe(), or a number
        in the slot's unit with or without it ("0.5" is 0.5 s for a time,
        "-6" is -6 dB for the volume; "ms" is also understood). Nothing for
        a text that reads as no value of the slot. */
    std::optional<float> parse (int slot, std::string_view text);
}
