// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <array>

// The editor's fixed geometry: where each control sits and what is painted
// where. Nothing here moves at run time; the window is 500 x 200 for good.
namespace editorlayout
{
    struct Box
    {
        int x, y, w, h;
    };

    struct PaintedText
    {
        const char* text;
        Box box;
    };

    inline constexpr int width = 500;
    inline constexpr int height = 200;

    inline constexpr unsigned int backgroundColour = 0xfff0eedd;
    inline constexpr unsigned int inkColour = 0xff000000;

    /** The two wave-shape boxes, "P1" (slot 14) then "P2" (slot 15). */
    inline constexpr std::array<Box, 2> waveShapeBounds { { { 40, 24, 96, 24 },
                                                            { 40, 56, 96, 24 } } };

    /** One slider per slot 0 to 13, in slot order. */
    inline constexpr std::array<Box, 14> sliderBounds { {
        { 40, 88, 96, 16 },     // 0  Disp
        { 40, 112, 96, 16 },    // 1  Rand
        { 40, 136, 96, 16 },    // 2  Oct
        { 200, 24, 96, 16 },    // 3  osc A
        { 200, 48, 96, 16 },    // 4  osc D
        { 200, 72, 96, 16 },    // 5  osc S
        { 200, 96, 96, 16 },    // 6  osc R
        { 200, 136, 96, 16 },   // 7  Amt
        { 360, 25, 96, 16 },    // 8  amp A (one pixel below its label)
        { 360, 49, 96, 16 },    // 9  amp D
        { 360, 73, 96, 16 },    // 10 amp S
        { 360, 97, 96, 16 },    // 11 amp R
        { 360, 136, 96, 16 },   // 12 Vol
        { 40, 160, 96, 16 },    // 13 Arp
    } };

    /** The "Crush" (slot 16) and "Filter" (slot 17) toggles. */
    inline constexpr std::array<Box, 2> toggleBounds { { { 340, 164, 64, 24 },
                                                         { 416, 164, 64, 24 } } };

    /** Row labels: 15 plain, right-aligned, ending four pixels left of their controls. */
    inline constexpr std::array<PaintedText, 16> rowLabels { {
        { "P1", { 12, 24, 24, 24 } },
        { "P2", { 12, 56, 24, 24 } },
        { "Disp", { -4, 88, 40, 16 } },
        { "Rand", { -4, 112, 40, 16 } },
        { "Oct", { 4, 136, 32, 16 } },
        { "Arp", { 4, 160, 32, 16 } },
        { "A", { 164, 24, 32, 16 } },
        { "D", { 168, 48, 28, 16 } },
        { "S", { 168, 72, 28, 16 } },
        { "R", { 168, 96, 28, 16 } },
        { "Amt", { 168, 136, 28, 16 } },
        { "A", { 328, 24, 28, 16 } },
        { "D", { 328, 48, 28, 16 } },
        { "S", { 328, 72, 28, 16 } },
        { "R", { 328, 96, 28, 16 } },
        { "Vol", { 328, 136, 28, 16 } },
    } };

    /** Column headings: 15 bold, centred over their columns' controls. */
    inline constexpr std::array<PaintedText, 3> headings { {
        { "OSC", { 40, 0, 96, 24 } },
        { "OSC Env", { 200, 0, 96, 24 } },
        { "AMP Env", { 360, 0, 96, 24 } },
    } };

    /** The title: 20 bold, centred. */
    inline constexpr PaintedText title { "The Zephyrine", { 156, 176, 160, 30 } };

    /** The one-pixel separators between the columns, full height. */
    inline constexpr std::array<Box, 2> separators { { { 152, 0, 1, 200 },
                                                       { 312, 0, 1, 200 } } };

    /** The typeface pinned as the default sans-serif, so the picture does not
        depend on which other fonts a machine has. */
    inline constexpr const char* sansSerifTypeface = "DejaVu Sans";
}
