// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ParameterText.h"

#include "HostParameters.h"
#include "engine/Envelope.h"
#include "engine/FloatRules.h"
#include "engine/ParameterBlock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace
{
    // Every envelope segment lasts 5 u T steps at u steps per second per
    // step rate: 2.5 T seconds for both envelopes (the amplitude envelope
    // steps twice per host sample at u = rate, the oscillator envelope once
    // per 16 samples at u = rate / 32).
    constexpr double secondsPerUnit = 2.5;

    enum class Unit
    {
        seconds,
        decibels,         // 20 log10 of the value
        squareDecibels,   // 40 log10: the amplitude follows the level squared
        percent,
        choice
    };

    Unit unitOf (int slot) noexcept
    {
        switch (slot)
        {
            case ParameterBlock::oscAttack:
            case ParameterBlock::oscDecay:
            case ParameterBlock::oscRelease:
            case ParameterBlock::ampAttack:
            case ParameterBlock::ampDecay:
            case ParameterBlock::ampRelease: return Unit::seconds;
            case ParameterBlock::vol: return Unit::decibels;
            case ParameterBlock::ampSustain: return Unit::squareDecibels;
            case ParameterBlock::disp:
            case ParameterBlock::rand:
            case ParameterBlock::oscSustain:
            case ParameterBlock::amt: return Unit::percent;
            default: return Unit::choice;
        }
    }

    float minimumTime (int slot) noexcept
    {
        switch (slot)
        {
            case ParameterBlock::oscAttack:
            case ParameterBlock::ampAttack: return Envelope::minimumAttack;
            case ParameterBlock::oscDecay:
            case ParameterBlock::ampDecay: return Envelope::minimumDecay;
            default: return Envelope::minimumRelease;
        }
    }

    // printf's %.Ng in the C locale, whatever locale is set.
    std::string number (double value, int significantDigits)
    {
        char text[40];
        const auto result = std::to_chars (std::begin (text), std::end (text), value,
                                           std::chars_format::general, significantDigits);
        return result.ec == std::errc() ? std::string (text, result.ptr) : std::string ("0");
    }

    std::string fixed (double value, int decimals)
    {
        char text[400];
        const auto result = std::to_chars (std::begin (text), std::end (text), value,
                                           std::chars_format::fixed, decimals);
        return result.ec == std::errc() ? std::string (text, result.ptr) : std::string ("0");
    }

    std::string decibels (double gain)
    {
        if (! (gain > 0.0))
            return "-inf dB";
        const double dB = 20.0 * std::log10 (gain);
        // Round first, so that a tiny negative value does not read "-0.0".
        const double rounded = std::round (dB * 10.0) / 10.0;
        return fixed (rounded == 0.0 ? 0.0 : rounded, 1) + " dB";
    }

    // The step of a stepped slot that the engine plays, as the host lists it.
    std::string choiceText (int slot, float value)
    {
        using namespace hostparameters;
        switch (table[(size_t) slot].kind)
        {
            case Kind::toggle: return floatrules::isSwitchOn (value) ? "On" : "Off";
            case Kind::waveShape:
            {
                const int id = floatrules::truncateToInt (value);
                return id >= 1 && id <= 5 ? waveShapeNames[id - 1] : "(none)";
            }
            case Kind::threeSteps:
            {
                const int step = std::clamp (floatrules::truncateToInt (value * 2.0f), 0, 2);
                return slot == ParameterBlock::oct ? octaveNames[step] : arpNames[step];
            }
            case Kind::continuous: break;
        }
        return {};
    }

    std::string_view trim (std::string_view text) noexcept
    {
        while (! text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix (1);
        while (! text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix (1);
        return text;
    }

    bool equalsIgnoringCase (std::string_view a, std::string_view b) noexcept
    {
        return a.size() == b.size()
               && std::equal (a.begin(), a.end(), b.begin(), [] (char x, char y) {
                      const auto lower = [] (char c) { return c >= 'A' && c <= 'Z' ? (char) (c - 'A' + 'a') : c; };
                      return lower (x) == lower (y);
                  });
    }

    // A leading number (an optional sign, digits, a point), and the rest.
    std::optional<double> leadingNumber (std::string_view text, std::string_view& rest) noexcept
    {
        if (! text.empty() && text.front() == '+')
            text.remove_prefix (1);
        double value = 0.0;
        const auto result = std::from_chars (text.data(), text.data() + text.size(), value, std::chars_format::fixed);
        if (result.ec != std::errc() || ! floatrules::isFinite ((float) value))
            return std::nullopt;
        rest = trim (text.substr ((size_t) (result.ptr - text.data())));
        return value;
    }
}

namespace parametertext
{
    bool isTime (int slot) noexcept
    {
        return slot >= 0 && slot < ParameterBlock::slotCount && unitOf (slot) == Unit::seconds;
    }

    double segmentSeconds (int slot, float slotValue) noexcept
    {
        if (! isTime (slot))
            return 0.0;
        const float minimum = minimumTime (slot);
        return secondsPerUnit * (double) (slotValue >= minimum ? slotValue : minimum);
    }

    std::string describe (int slot, float value)
    {
        if (slot < 0 || slot >= ParameterBlock::slotCount)
            return {};

        switch (unitOf (slot))
        {
            case Unit::seconds:
            {
                const double seconds = segmentSeconds (slot, value);
                if (! floatrules::isFinite ((float) seconds))
                    return "inf s";
                return seconds < 0.1 ? number (seconds * 1000.0, 2) + " ms" : number (seconds, 3) + " s";
            }
            case Unit::decibels: return decibels (floatrules::isNaN (value) ? 0.0 : std::fabs ((double) value));
            case Unit::squareDecibels:
            {
                const double level = std::min ((double) value, 1.0);   // the decay stops at the top
                return decibels (level > 0.0 ? level * level : 0.0);
            }
            case Unit::percent:
                return floatrules::isNaN (value) ? "0 %" : number ((double) value * 100.0, 3) + " %";
            case Unit::choice: break;
        }
        return choiceText (slot, value);
    }

    std::optional<float> parse (int slot, std::string_view text)
    {
        if (slot < 0 || slot >= ParameterBlock::slotCount)
            return std::nullopt;
        text = trim (text);

        const Unit unit = unitOf (slot);
        if (unit == Unit::choice)
        {
            using namespace hostparameters;
            for (float candidate : { 0.0f, 0.5f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f })
                if (equalsIgnoringCase (text, choiceText (slot, candidate))
                    && (table[(size_t) slot].kind != Kind::waveShape || candidate >= 1.0f))
                    return candidate;
            return std::nullopt;
        }

        if ((unit == Unit::decibels || unit == Unit::squareDecibels) && equalsIgnoringCase (text, "-inf dB"))
            return 0.0f;

        std::string_view rest;
        const auto number = leadingNumber (text, rest);
        if (! number)
            return std::nullopt;

        switch (unit)
        {
            case Unit::seconds:
                if (equalsIgnoringCase (rest, "ms"))
                    return (float) (*number / 1000.0 / secondsPerUnit);
                if (rest.empty() || equalsIgnoringCase (rest, "s"))
                    return (float) (*number / secondsPerUnit);
                return std::nullopt;
            case Unit::decibels:
            case Unit::squareDecibels:
                if (! rest.empty() && ! equalsIgnoringCase (rest, "dB"))
                    return std::nullopt;
                return (float) std::pow (10.0, *number / (unit == Unit::decibels ? 20.0 : 40.0));
            case Unit::percent:
                if (! rest.empty() && rest != "%")
                    return std::nullopt;
                return (float) (*number / 100.0);
            case Unit::choice: break;
        }
        return std::nullopt;
    }
}
