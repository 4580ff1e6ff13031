// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

/** How a saved slot value is read back from its text. */
namespace statenumber
{
    /** Reads a decimal number at the start of the text: white space skipped,
        an optional sign, digits with an optional point, an optional exponent;
        reading stops at the first character that cannot continue the number.
        No hexadecimal, no "inf" or "nan". Text that does not begin with a
        number gives 0.0. Too large a magnitude gives an infinity, too small
        a zero, as strtod would; the C locale's point is used in any locale. */
    double read (const char* text) noexcept;

    /** Narrows to float as IEEE rounding would, including the overflow to
        ±infinity that a plain cast leaves undefined. */
    float narrow (double value) noexcept;
}
