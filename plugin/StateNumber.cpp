// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "StateNumber.h"

#include <charconv>
#include <limits>

namespace
{
    bool isDigit (char c) noexcept { return c >= '0' && c <= '9'; }

    bool isSpace (char c) noexcept
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

    // Decimal exponent of the leading non-zero digit of digits[begin, end)
    // with the point after pointPosition digits, plus the written exponent.
    // Only its sign matters: it tells an overflow from an underflow.
    long long magnitude (const char* digits, const char* point, const char* end, long long exponent) noexcept
    {
        long long position = point - digits;   // digits before the point
        for (const char* p = digits; p < end; ++p)
        {
            if (*p == '.')
                continue;
            --position;
            if (*p != '0')
                return position + exponent;
        }
        return 0;
    }
}

namespace statenumber
{
    double read (const char* text) noexcept
    {
        if (text == nullptr)
            return 0.0;

        const char* p = text;
        while (isSpace (*p))
            ++p;

        bool negative = false;
        if (*p == '+' || *p == '-')
            negative = *p++ == '-';

        const char* const start = p;
        int digitCount = 0;
        while (isDigit (*p))
        {
            ++p;
            ++digitCount;
        }

        const char* point = p;
        if (*p == '.')
        {
            const char* q = p + 1;
            while (isDigit (*q))
            {
                ++q;
                ++digitCount;
            }
            if (digitCount > 0)
                p = q;
        }

        if (digitCount == 0)
            return 0.0;

        const char* const mantissaEnd = p;
        long long exponent = 0;

        if (*p == 'e' || *p == 'E')
        {
            const char* q = p + 1;
            bool negativeExponent = false;
            if (*q == '+' || *q == '-')
                negativeExponent = *q++ == '-';

            if (isDigit (*q))
            {
                constexpr long long exponentCap = 1000000000LL;   // far beyond any double
                for (; isDigit (*q); ++q)
                    if (exponent < exponentCap)
                        exponent = exponent * 10 + (*q - '0');
                exponent = negativeExponent ? -exponent : exponent;
                p = q;
            }
        }

        double value = 0.0;
        const auto result = std::from_chars (start, p, value, std::chars_format::general);

        if (result.ec == std::errc::result_out_of_range)
            value = magnitude (start, point, mantissaEnd, exponent) > 0
                        ? std::numeric_limits<double>::infinity()
                        : 0.0;
        else if (result.ec != std::errc())
            value = 0.0;

        return negative ? -value : value;
    }

    float narrow (double value) noexcept
    {
        // Halfway between the largest float and 2^128: from here on IEEE
        // round-to-nearest gives infinity.
        constexpr double overflow = 0x1.ffffffp127;

        if (value >= overflow)
            return std::numeric_limits<float>::infinity();
        if (value <= -overflow)
            return -std::numeric_limits<float>::infinity();
        return (float) value;
    }
}
