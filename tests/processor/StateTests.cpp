// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProcessorRig.h"
#include "plugin/StateNumber.h"
#include "presets/FactoryPresets.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace
{
    const std::string defaultText =
        "<t_SETTINGS 0=\"0.329786986\" 1=\"0.691488981\" 2=\"0.5\" 3=\"0\" 4=\"0.819149017\" 5=\"0\" 6=\"0\""
        " 7=\"0.5\" 8=\"0\" 9=\"0.436170012\" 10=\"0\" 11=\"0.0319150016\" 12=\"0.0957449973\" 13=\"0\""
        " 14=\"2\" 15=\"2\" 16=\"1\" 17=\"1\"/>";

    /** A state block around any text, with the length field given or true. */
    std::vector<juce::uint8> blockAround (const std::string& text, std::int64_t lengthField = -1)
    {
        const auto length = (std::uint32_t) (lengthField < 0 ? (std::int64_t) text.size() : lengthField);
        std::string bytes ("VC2!");
        for (int shift = 0; shift < 32; shift += 8)
            bytes += (char) (juce::uint8) (length >> shift);
        bytes += text;
        bytes += std::string (2, '\0');
        return { bytes.begin(), bytes.end() };
    }

    std::array<std::uint32_t, 18> slotBits (JuceFilter& f)
    {
        std::array<std::uint32_t, 18> bits {};
        for (int i = 0; i < 18; ++i)
            bits[(size_t) i] = std::bit_cast<std::uint32_t> (f.parameterValue (i));
        return bits;
    }

    void load (JuceFilter& f, const std::vector<juce::uint8>& b)
    {
        f.loadState (b.data(), (int) b.size());
    }

    void load (JuceFilter& f, const std::string& text)
    {
        load (f, blockAround (text));
    }
}

TEST (State, NewInstanceBlockByteForByte)
{
    JuceFilter filter;
    juce::MemoryBlock block;
    block.append ("stale", 5);
    filter.saveState (block);

    ASSERT_EQ (defaultText.size(), 195u);
    ASSERT_EQ (block.getSize(), 205u);
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());
    const juce::uint8 header[] = { 0x56, 0x43, 0x32, 0x21, 0xc3, 0x00, 0x00, 0x00 };
    EXPECT_EQ (std::memcmp (bytes, header, 8), 0);
    EXPECT_EQ (std::string (reinterpret_cast<const char*> (bytes + 8), 195), defaultText);
    EXPECT_EQ (bytes[203], 0);
    EXPECT_EQ (bytes[204], 0);
}

TEST (State, SaveLoadSaveReproducesEverySlot)
{
    std::mt19937 random (11);
    for (int round = 0; round < 200; ++round)
    {
        JuceFilter source;
        for (int i = 0; i < 18; ++i)
        {
            float v;
            do
                v = std::bit_cast<float> ((std::uint32_t) random());
            while (! std::isfinite (v));
            source.setParameterValue (i, v);
        }

        juce::MemoryBlock first, second;
        source.saveState (first);
        JuceFilter copy;
        copy.loadState (first.getData(), (int) first.getSize());
        copy.saveState (second);

        ASSERT_EQ (first, second);
        ASSERT_EQ (slotBits (source), slotBits (copy));
    }
}

TEST (State, RejectedBlocksChangeNothing)
{
    ProcessorRig rig;
    rig.filter->setParameterValue (4, 0.375f);
    rig.block (128, { noteOn (0, 60), pitchWheel (0, 12288) });
    const auto before = slotBits (*rig.filter);

    auto wrongMagic = blockAround (defaultText);
    wrongMagic[0] = 0x57;
    const std::vector<juce::uint8> rejected[] = {
        std::vector<juce::uint8> { 0x56, 0x43, 0x32, 0x21, 0xc3, 0, 0, 0 },
        wrongMagic,
        blockAround (defaultText, 0),             // zero length field
        blockAround (defaultText, 0x80000000u),   // 2^31: no text at all
        blockAround (defaultText, 0xffffffffu),
        blockAround (defaultText, 60),               // cut inside the attributes
        blockAround (defaultText.substr (0, 100)),   // cut after a closing quote
        blockAround ("<settings 0=\"1\"/>"),
        blockAround ("<t_SETTINGS 0=\"1\" 1=\"2\">"),   // never closed
        blockAround ("not xml at all>"),
        blockAround ("<!DOCTYPE t [<!ENTITY a \"X&a;\">]><t_SETTINGS 0=\"&a;\"/>"),   // endless expansion
        blockAround (std::string ("\0<t_SETTINGS/>", 14)),
        blockAround ("<t_SETTINGS 0=\"1\"><?x?>y</t_SETTINGS>"),   // the parser would loop for ever
    };

    for (const auto& b : rejected)
    {
        load (*rig.filter, b);
        EXPECT_EQ (slotBits (*rig.filter), before);
        EXPECT_EQ (rig.activeVoices(), 1);
    }

    rig.filter->loadState (nullptr, 100);
    rig.filter->loadState (rejected[0].data(), -5);
    EXPECT_EQ (slotBits (*rig.filter), before);
    EXPECT_EQ ((float) rig.filter->getParameterBlock().pitchBend, 0.5f);
}

TEST (State, TolerantLoading)
{
    ProcessorRig rig;

    // Element name ignoring case; a missing attribute reads 0, not the default.
    rig.block (128, { noteOn (0, 60), pitchWheel (0, 0) });
    load (*rig.filter, std::string ("<T_Settings 16=\"0\"/>"));
    EXPECT_EQ (rig.activeVoices(), 0);   // a load silences
    EXPECT_EQ ((float) rig.filter->getParameterBlock().pitchBend, -1.0f);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ (std::bit_cast<std::uint32_t> (rig.filter->parameterValue (i)), 0u) << i;

    // Number texts, extra attributes, children, a declaration and white space.
    load (*rig.filter, std::string ("<?xml version=\"1.0\"?>\n<t_settings 0=\" 0.25abc\" 1=\"abc\" 2='1e-3'"
                                    " 3=\"-7.5E1x\" 4=\"+.5\" 5=\"0x10\" 6=\"inf\" 7=\"1e400\" 8=\"-1e400\""
                                    " 9=\"1e-400\" 10=\"&#32;3\" x=\"9\" 17=\"1\" 17=\"0\">"
                                    "<child 0=\"5\"/>text</t_settings>\n"));
    const float expected[18] = { 0.25f, 0.0f, 0.001f, -75.0f, 0.5f, 0.0f, 0.0f,
                                 std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                 0.0f, 3.0f, 0, 0, 0, 0, 0, 0, 1.0f };
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ (rig.filter->parameterValue (i), expected[i]) << i;

    // A length field beyond the data is cut to the data given.
    auto longer = blockAround (defaultText, 100000);
    longer.pop_back();   // neither the zero byte nor the pad
    longer.pop_back();
    load (*rig.filter, longer);
    EXPECT_EQ (rig.filter->parameterValue (12), 0.0957449973f);

    // A length field shorter than the text ends it there; here on the "/>".
    load (*rig.filter, blockAround ("<t_SETTINGS 0=\"0.5\"/> trailing", 21));
    EXPECT_EQ (rig.filter->parameterValue (0), 0.5f);
    EXPECT_EQ (rig.filter->parameterValue (12), 0.0f);
}

TEST (State, NumberReader)
{
    using statenumber::read;
    EXPECT_EQ (read (" 0.25abc"), 0.25);
    EXPECT_EQ (read ("\t\n -1.5E2xyz"), -150.0);
    EXPECT_EQ (read ("1e-3"), 0.001);
    EXPECT_EQ (read ("1e"), 1.0);
    EXPECT_EQ (read ("1e+"), 1.0);
    EXPECT_EQ (read ("2.e1"), 20.0);
    EXPECT_EQ (read ("-.5"), -0.5);
    EXPECT_EQ (read ("5."), 5.0);
    EXPECT_EQ (read ("0x1p4"), 0.0);
    EXPECT_EQ (read ("00012"), 12.0);
    for (const char* zero : { "", ".", "-", "+", "e5", ".e5", "abc", "inf", "nan", "infinity", " - 1", "--1" })
        EXPECT_EQ (read (zero), 0.0) << zero;
    EXPECT_TRUE (std::signbit (read ("-0")));
    EXPECT_EQ (read (nullptr), 0.0);

    // Out of double range: infinities and zeros, as strtod gives them.
    EXPECT_EQ (read ("1e400"), HUGE_VAL);
    EXPECT_EQ (read ("-123.4e99999999999999999999"), -HUGE_VAL);
    EXPECT_EQ (read ("1e-400"), 0.0);
    EXPECT_EQ (read (("0." + std::string (399, '0') + "1e400").c_str()), 1.0);
    EXPECT_EQ (read (std::string (400, '9').c_str()), HUGE_VAL);
    EXPECT_EQ (read (("0." + std::string (400, '0') + "7").c_str()), 0.0);

    // Narrowing as IEEE rounding does, without undefined casts.
    using statenumber::narrow;
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ (narrow (3.4028234663852886e38), std::numeric_limits<float>::max());
    EXPECT_EQ (narrow (0x1.fffffefffffffp127), std::numeric_limits<float>::max());
    EXPECT_EQ (narrow (0x1.ffffffp127), inf);
    EXPECT_EQ (narrow (-1.0e300), -inf);
    EXPECT_EQ (narrow (HUGE_VAL), inf);
    EXPECT_EQ (narrow (1.0e-50), 0.0f);
    EXPECT_EQ (narrow (0.1), 0.1f);
}

TEST (State, FuzzedBlocksNeverCorruptTheSlots)
{
    // A block is either taken whole (every voice stopped) or not at all (the
    // held note and every slot as they were).
    ProcessorRig rig (44100.0, 64);
    std::mt19937 random (2026);
    juce::MemoryBlock valid;
    rig.filter->saveState (valid);
    const auto* validBytes = static_cast<const juce::uint8*> (valid.getData());

    int accepted = 0;
    for (int n = 0; n < 4000; ++n)
    {
        if (rig.activeVoices() == 0)
            rig.block (16, { noteOn (0, 40 + n % 40) });
        const auto before = slotBits (*rig.filter);

        std::vector<juce::uint8> b (validBytes, validBytes + valid.getSize());
        switch (n % 4)
        {
            case 0:   // random bytes, often with the magic
                b.resize (random() % 64);
                for (auto& x : b)
                    x = (juce::uint8) random();
                if (b.size() > 4 && random() % 2 == 0)
                    std::memcpy (b.data(), validBytes, 4);
                break;
            case 1:   // a few bytes changed
                for (int k = 1 + (int) (random() % 4); --k >= 0;)
                    b[random() % b.size()] = (juce::uint8) random();
                break;
            case 2:   // cut short, or a different length field
                if (random() % 2 == 0)
                    b.resize (random() % b.size());
                else
                    b[4 + random() % 4] = (juce::uint8) random();
                break;
            default:   // bytes of the text swapped for XML-ish characters
                for (int k = 1 + (int) (random() % 3); --k >= 0;)
                    b[8 + random() % 195] = (juce::uint8) "<>/\"'=&; e.-+0\x80\xff"[random() % 17];
                break;
        }

        load (*rig.filter, b);
        if (rig.activeVoices() > 0)
            ASSERT_EQ (slotBits (*rig.filter), before) << "rejected block " << n << " changed a slot";
        else
            ++accepted;

        rig.filter->setParameterValue (2, 0.5f);   // keep notes in tune for the next round
        for (int i : { 12, 14, 15 })
            if (! std::isfinite (rig.filter->parameterValue (i)))
                rig.filter->setParameterValue (i, 1.0f);
        const auto out = rig.block (64);
        for (int i = 0; i < 64; ++i)
            ASSERT_TRUE (std::isfinite (out.getSample (0, i)));
    }
    EXPECT_GT (accepted, 100);
    EXPECT_LT (accepted, 3900);
}

TEST (State, HostileTextsLoadQuickly)
{
    // Deep nesting, heaps of attributes, entity tricks and sheer size: bounded
    // time, no crash. The parser is kept from recursing and from texts far
    // larger than any state.
    const auto start = std::chrono::steady_clock::now();
    JuceFilter filter;

    std::string deep = "<t_SETTINGS 3=\"0.5\">";
    for (int i = 0; i < 8000; ++i)
        deep += "<a>";
    for (int i = 0; i < 8000; ++i)
        deep += "</a>";
    deep += "</t_SETTINGS>";
    load (filter, deep);
    EXPECT_EQ (filter.parameterValue (3), 0.5f);

    std::string wide = "<t_SETTINGS";
    for (int i = 0; i < 5000; ++i)
        wide += " a" + std::to_string (i) + "=\"1\"";
    wide += " 5=\"0.75\"/>";
    load (filter, wide);
    EXPECT_EQ (filter.parameterValue (5), 0.75f);
    EXPECT_EQ (filter.parameterValue (3), 0.0f);

    std::string huge = "<t_SETTINGS 5=\"0.5\"";
    for (int i = 0; i < 400000; ++i)
        huge += " b" + std::to_string (i) + "=\"1\"";
    huge += "/>";
    load (filter, huge);
    EXPECT_EQ (filter.parameterValue (5), 0.75f);

    std::string laughs = "<!DOCTYPE t [<!ENTITY a \"xxxxxxxxxx\">";
    for (char c = 'b'; c <= 'k'; ++c)
        laughs += std::string ("<!ENTITY ") + c + " \"" + std::string (10, '&') + "\">";
    laughs += "]><t_SETTINGS 0=\"&k;\"/>";
    load (filter, laughs);
    EXPECT_EQ (filter.parameterValue (5), 0.75f);

    EXPECT_LT (std::chrono::steady_clock::now() - start, std::chrono::seconds (10));
}

TEST (State, FactorySoundsAreStateBlocksOfTheirValues)
{
    // The first sound is the engine's own: a new instance is program 0.
    JuceFilter fresh;
    juce::MemoryBlock saved;
    fresh.saveState (saved);
    const auto first = factorypresets::stateBlock (factorypresets::all().front());
    EXPECT_STREQ (factorypresets::all().front().name, "Default");
    EXPECT_TRUE (saved.matches (first.data(), first.size()));

    for (const auto& sound : factorypresets::all())
    {
        JuceFilter filter;
        const auto block = factorypresets::stateBlock (sound);
        filter.loadState (block.data(), (int) block.size());
        for (int i = 0; i < 18; ++i)
            EXPECT_EQ (std::bit_cast<std::uint32_t> (filter.parameterValue (i)), std::bit_cast<std::uint32_t> (sound.values[(size_t) i])) << sound.name << " slot " << i;
        juce::MemoryBlock again;
        filter.saveState (again);
        EXPECT_TRUE (again.matches (block.data(), block.size())) << sound.name;
    }

    EXPECT_EQ (factorypresets::find ("GLASS PAD"), factorypresets::find ("Glass Pad"));
    EXPECT_EQ (factorypresets::find ("Glass"), nullptr);
    EXPECT_EQ (factorypresets::closeMatches ("Glas Pad").front(), "Glass Pad");
    EXPECT_EQ (factorypresets::fileStem ("Eight-Bit Square"), "Eight-Bit_Square");
}
