// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstTestHost.h"

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

using namespace vsttest;

TEST (VstDescriptor, MainHandsOutTheInstrumentsDescriptor)
{
    HostRecorder recorder;
    auto plugin = load (&recorder);
    ASSERT_NE (plugin, nullptr);
    const auto* e = plugin->getEffect();

    EXPECT_EQ (e->magic, 0x56737450);
    EXPECT_EQ (e->numPrograms, 1);
    EXPECT_EQ (e->numParams, 18);
    EXPECT_EQ (e->numInputs, 0);
    EXPECT_EQ (e->numOutputs, 2);
    EXPECT_EQ (e->flags, 305);
    EXPECT_EQ (e->initialDelay, 0);
    EXPECT_EQ (e->float1, 1.0f);   // ioRatio
    for (char c : e->_pad2)        // realQualities, offQualities
        EXPECT_EQ (c, 0);
    EXPECT_EQ (e->uniqueID, ('T' << 24) | ('i' << 16) | ('W' << 8) | 'h');
    EXPECT_EQ (e->version, 1);
    EXPECT_NE (e->dispatcher, nullptr);
    EXPECT_NE (e->process, nullptr);
    EXPECT_NE (e->processReplacing, nullptr);
    EXPECT_NE (e->setParameter, nullptr);
    EXPECT_NE (e->getParameter, nullptr);

    // The version question comes first, before any instance exists; MIDI is
    // asked for during construction.
    const auto calls = recorder.snapshot();
    ASSERT_GE (calls.size(), 2u);
    EXPECT_EQ (calls[0].opcode, audioMasterVersion);
    EXPECT_FALSE (calls[0].hadEffect);
    EXPECT_EQ (calls[1].opcode, audioMasterWantMidi);
    EXPECT_EQ (calls[1].value, 1);
}

TEST (VstDescriptor, HostWithoutVersionGetsNothing)
{
    HostRecorder recorder;
    vsthost::HostOptions options;
    options.hostVersion = 0;
    options.handler = recorder.handler();

    auto result = vsthost::Plugin::load (pluginPath, options);
    EXPECT_FALSE (result);
    EXPECT_EQ (result.error, vsthost::LoadError::entryReturnedNull);
    ASSERT_EQ (recorder.snapshot().size(), 1u);   // nothing was made after the refusal
}

TEST (VstDispatcher, NamesNumbersAndFixedAnswers)
{
    auto plugin = load();
    auto& p = *plugin;

    EXPECT_EQ (p.getEffectName(), "Zephyrine");
    EXPECT_EQ (p.getProductString(), "Zephyrine");
    EXPECT_EQ (p.getVendorString(), "Tin Whistlers");
    char name[64];
    EXPECT_EQ (p.dispatch (effGetEffectName, 0, 0, name), 1);
    EXPECT_EQ (p.dispatch (effGetVendorString, 0, 0, name), 1);
    EXPECT_EQ (p.dispatch (effGetProductString, 0, 0, name), 1);

    EXPECT_EQ (p.getVendorVersion(), 1000);
    EXPECT_EQ (p.getVstVersion(), 2300);
    EXPECT_EQ (p.getPlugCategory(), 2);
    EXPECT_EQ (p.dispatch (effIdentify), 0x4E764566);
    EXPECT_EQ (p.dispatch (effCanBeAutomated, 7), 1);
    EXPECT_EQ (p.dispatch (vsttest::effGetNumProgramCategories), 1);
    EXPECT_EQ (p.dispatch (vsttest::effConnectInput, 0, 1), 1);
    EXPECT_EQ (p.dispatch (vsttest::effConnectOutput, 1, 1), 1);
    EXPECT_EQ (p.dispatch (vsttest::effKeysRequired), 1);
    EXPECT_EQ (p.dispatch (effGetCurrentMidiProgram), -1);
    EXPECT_EQ (p.dispatch (effSetTotalSampleToProcess, 0, 12345), 12345);
    EXPECT_EQ (p.dispatch (vsttest::effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f), 1);
    EXPECT_EQ (p.dispatch (vsttest::effGetVu), 0);
    EXPECT_EQ (p.dispatch (effOpen), 0);

    // Programs: one, called "Default"; selecting is a no-op.
    EXPECT_EQ (p.dispatch (effGetProgram), 0);
    EXPECT_EQ (p.dispatch (effSetProgram, 0, 0), 0);
    EXPECT_EQ (p.dispatch (effSetProgram, 0, 5), 0);
    EXPECT_EQ (p.dispatch (effGetProgram), 0);
    char program[kVstMaxProgNameLen + 16];
    std::memset (program, 0x55, sizeof (program));
    EXPECT_EQ (p.dispatch (effGetProgramName, 0, 0, program), 0);
    EXPECT_STREQ (program, "Default");
    EXPECT_EQ (p.dispatch (effGetProgramNameIndexed, 0, 0, program), 1);
    EXPECT_STREQ (program, "Default");
    EXPECT_EQ (p.dispatch (effGetProgramNameIndexed, 1, 0, program), 0);
    EXPECT_EQ (p.dispatch (effGetProgramNameIndexed, -1, 0, program), 0);

    // A long name, even one without its zero byte, is kept to 24 characters.
    char longName[40];
    std::memset (longName, 'x', sizeof (longName));
    EXPECT_EQ (p.dispatch (effSetProgramName, 0, 0, longName), 0);
    std::memset (program, 0x55, sizeof (program));
    p.dispatch (effGetProgramName, 0, 0, program);
    EXPECT_EQ (std::string (program), std::string (24, 'x'));
    EXPECT_EQ ((unsigned char) program[kVstMaxProgNameLen], 0x55);
    p.dispatch (effSetProgramName, 0, 0, const_cast<char*> ("Pad"));
    p.dispatch (effGetProgramName, 0, 0, program);
    EXPECT_STREQ (program, "Pad");

    // Both arrangement pointers come back null.
    void* in = &p;
    void* out = &p;
    EXPECT_EQ (p.dispatch (effGetSpeakerArrangement, 0, (intptr_t) &in, &out), 0);
    EXPECT_EQ (in, nullptr);
    EXPECT_EQ (out, nullptr);

    // Names fit the nominal 8 bytes; labels are empty.
    EXPECT_EQ (p.getParameterName (17), "Filter");
    EXPECT_EQ (p.getParameterName (14), "None");
    EXPECT_EQ (p.getParameterName (3), "A");
    EXPECT_EQ (p.getParameterName (18), "");
    EXPECT_EQ (p.getParameterLabel (0), "");
    char paramName[16];
    std::memset (paramName, 0x55, sizeof (paramName));
    p.dispatch (effGetParamName, 17, 0, paramName);
    EXPECT_EQ (paramName[6], 0);
    EXPECT_EQ ((unsigned char) paramName[7], 0x55);
}

TEST (VstDispatcher, CapabilityTable)
{
    auto plugin = load();
    EXPECT_EQ (plugin->canDo ("receiveVstEvents"), 1);
    EXPECT_EQ (plugin->canDo ("receiveVstMidiEvents"), 1);
    EXPECT_EQ (plugin->canDo ("receiveVstTimeInfo"), 1);
    EXPECT_EQ (plugin->canDo ("conformsToWindowRules"), 1);
    EXPECT_EQ (plugin->canDo ("sendVstEvents"), -1);
    EXPECT_EQ (plugin->canDo ("sendVstMidiEvent"), -1);

    // The usual singular spelling, prefixes and extensions are unknown.
    EXPECT_EQ (plugin->canDo ("receiveVstMidiEvent"), 0);
    EXPECT_EQ (plugin->canDo ("receiveVstEventsX"), 0);
    EXPECT_EQ (plugin->canDo ("sendVstMidiEvents"), 0);
    EXPECT_EQ (plugin->canDo ("bypass"), 0);
    EXPECT_EQ (plugin->canDo (""), 0);
    EXPECT_EQ (plugin->dispatch (effCanDo, 0, 0, nullptr), 0);
}

TEST (VstDispatcher, EveryOtherOpcodeAnswersZero)
{
    auto plugin = load();
    const std::set<int> listed { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 19, 22, 23, 24, 25, 26,
                                 28, 29, 31, 32, 35, 43, 45, 47, 48, 49, 51, 57, 58, 63, 69, 73 };

    // Pointer arguments point at a zeroed buffer, big enough for any structure.
    std::vector<intptr_t> scratch (1024, 0);

    for (int opcode = 0; opcode <= 200; ++opcode)
    {
        if (listed.count (opcode) != 0)
            continue;

        EXPECT_EQ (plugin->dispatch (opcode, 0, 0, nullptr, 0.0f), 0) << "opcode " << opcode;
        EXPECT_EQ (plugin->dispatch (opcode, 1, 1, scratch.data(), 1.0f), 0) << "opcode " << opcode;
    }

    // Still alive and well.
    EXPECT_EQ (plugin->getEffectName(), "Zephyrine");
}

TEST (VstDispatcher, DisplayTextNeverPassesTheNominalEightBytes)
{
    auto plugin = load();
    auto& p = *plugin;

    struct Case
    {
        float value;
        const char* exact;
    };
    const Case cases[] = {
        { 0.25f, "0.25" },
        { 2.0f, "2" },
        { 0.0f, "0" },
        { 1.0f, "1" },
        { -0.5f, "-0.5" },
        { 0.329786986f, nullptr },
        { 0.1f, nullptr },
        { 1.0e-5f, nullptr },
        { -1.23456e-7f, nullptr },
        { 3.4e38f, nullptr },
        { -3.4e38f, nullptr },
        { 123456789.0f, nullptr },
        { -0.000123f, nullptr },
        { -1.0e-30f, nullptr },
        { 0.0957449973f, nullptr },
        { -0.0319150016f, nullptr },
    };

    for (const auto& c : cases)
    {
        p.setParameter (0, c.value);

        char text[64];
        std::memset (text, 0x55, sizeof (text));
        EXPECT_EQ (p.dispatch (effGetParamDisplay, 0, 0, text), 0);

        const auto length = ::strnlen (text, sizeof (text));
        ASSERT_LE (length, 7u) << c.value;
        for (size_t i = 8; i < sizeof (text); ++i)
            ASSERT_EQ ((unsigned char) text[i], 0x55) << "byte " << i << " written for " << c.value;

        if (c.exact != nullptr)
        {
            EXPECT_STREQ (text, c.exact);
        }
        else
        {
            // Rounded, never cut: it still reads back as nearly the same number.
            const double readBack = std::strtod (text, nullptr);
            EXPECT_NEAR (readBack, (double) c.value, std::abs ((double) c.value) * 0.05) << text;
        }
    }

    // Texts that are no numbers still fit.
    for (float special : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity() })
    {
        p.setParameter (3, special);
        char text[64];
        std::memset (text, 0x55, sizeof (text));
        p.dispatch (effGetParamDisplay, 3, 0, text);
        EXPECT_LE (::strnlen (text, sizeof (text)), 7u);
        EXPECT_EQ ((unsigned char) text[8], 0x55);
    }

    // Out-of-range indices read the nearest slot.
    p.setParameter (17, 0.5f);
    EXPECT_EQ (p.getParameterDisplay (40), "0.5");
    EXPECT_EQ (p.getParameter (40), 0.5f);
}

TEST (VstDispatcher, NullPointersFromTheHostAreHarmless)
{
    auto plugin = load();
    auto& p = *plugin;

    for (int opcode : { effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                        effGetChunk, effSetChunk, effProcessEvents, effGetProgramNameIndexed, effGetEffectName,
                        effGetVendorString, effGetProductString, effCanDo, effGetSpeakerArrangement, effEditOpen })
        p.dispatch (opcode, 0, 0, nullptr);

    EXPECT_EQ (p.dispatch (effGetChunk, 0, 0, nullptr), 0);
    EXPECT_EQ (p.dispatch (effProcessEvents, 0, 0, nullptr), 1);
    EXPECT_EQ (p.dispatch (effEditOpen, 0, 0, nullptr), 0);   // no window to embed into
    EXPECT_EQ (p.getEffectName(), "Zephyrine");
}
