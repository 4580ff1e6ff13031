// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ProcessorRig.h"
#include "plugin/Crush.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace
{
    bool sameSamples (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int channelA, int channelB)
    {
        return a.getNumSamples() == b.getNumSamples()
               && std::memcmp (a.getReadPointer (channelA), b.getReadPointer (channelB),
                               sizeof (float) * (size_t) a.getNumSamples())
                      == 0;
    }

    enum class NoteState
    {
        none,
        held,
        released
    };

    NoteState noteState (const ProcessorRig& rig, int note)
    {
        for (const auto& v : rig.voices().getVoices())
            if (v.isActive() && v.getNote() == note)
                return v.isReleased() ? NoteState::released : NoteState::held;
        return NoteState::none;
    }
}

TEST (MidiDispatch, NoteOffsAndChannels)
{
    // Velocity 0 releases like a note-off, on any channel; the output of the
    // two forms is identical, and differs from a note left held.
    ProcessorRig offRig, zeroRig, heldRig, otherChannelRig;
    offRig.block (512, { noteOn (0, 60) });
    zeroRig.block (512, { noteOn (0, 60) });
    heldRig.block (512, { noteOn (0, 60) });
    otherChannelRig.block (512, { noteOn (0, 60, 100, 9) });

    const auto a = offRig.block (512, { noteOff (100, 60) });
    const auto b = zeroRig.block (512, { noteOn (100, 60, 0) });
    const auto c = heldRig.block (512);
    const auto d = otherChannelRig.block (512, { noteOn (100, 60, 0, 15) });

    EXPECT_TRUE (sameSamples (a, b, 0, 0));
    EXPECT_TRUE (sameSamples (a, d, 0, 0));
    EXPECT_FALSE (sameSamples (a, c, 0, 0));
    EXPECT_EQ (noteState (zeroRig, 60), NoteState::released);
    EXPECT_EQ (noteState (heldRig, 60), NoteState::held);
}

TEST (MidiDispatch, AllNotesOffCutsOnlyEarlierNotes)
{
    ProcessorRig rig;
    rig.block (256, { noteOn (0, 60), noteOn (10, 62), controller (100, 123, 0, 3), noteOn (200, 64) });
    EXPECT_EQ (rig.activeVoices(), 1);
    EXPECT_EQ (noteState (rig, 64), NoteState::held);

    // Other controllers, program change and pressure leave the note alone.
    rig.block (256, { controller (0, 120, 0), controller (1, 121, 0), controller (2, 64, 127), { 3, { 0xc0, 5 } }, { 4, { 0xd0, 90 } }, { 5, { 0xa0, 64, 90 } } });
    EXPECT_EQ (rig.activeVoices(), 1);
}

TEST (MidiDispatch, ShortAndMalformedMessagesAreIgnored)
{
    ProcessorRig rig;
    rig.block (128, { { 0, { 0x90 } }, { 1, { 0x90, 60 } },   // cut short
                      { 2, { 0x90, 0xc0, 100 } },             // data bytes above 127
                      { 3, { 0x90, 60, 0x85 } },
                      { 4, { 0xf0, 0x90, 60, 100, 0xf7 } } });   // note bytes inside system exclusive
    EXPECT_EQ (rig.activeVoices(), 0);

    rig.block (128, { pitchWheel (0, 0) });
    rig.block (128, { { 0, { 0xe0, 0x7f } }, { 1, { 0xe0, 0x7f, 0x90 } } });
    EXPECT_EQ ((float) rig.filter->getParameterBlock().pitchBend, -1.0f);

    rig.block (128, { noteOn (0, 61) });
    rig.block (128, { { 0, { 0xb0, 123 } }, { 1, { 0x80, 61 } } });
    EXPECT_EQ (rig.activeVoices(), 1);
    EXPECT_EQ (noteState (rig, 61), NoteState::held);
}

TEST (MidiDispatch, PitchWheelLastEventWins)
{
    ProcessorRig rig;
    const auto& bend = rig.filter->getParameterBlock().pitchBend;

    rig.block (64, { pitchWheel (0, 16383), pitchWheel (10, 0) });
    EXPECT_EQ ((float) bend, -1.0f);
    rig.block (64, { pitchWheel (0, 0, 4), pitchWheel (30, 16383, 11) });
    EXPECT_EQ ((float) bend, 0.9998779296875f);
    rig.block (64, { pitchWheel (0, 5), pitchWheel (63, 8192) });
    EXPECT_EQ ((float) bend, 0.0f);
    rig.block (64, { pitchWheel (0, 12288) });
    rig.block (64);
    EXPECT_EQ ((float) bend, 0.5f);   // kept until the next wheel event
}

TEST (MidiDispatch, EmptyBlockStillDispatchesAndEmptiesTheBuffer)
{
    ProcessorRig rig;
    rig.block (0, { noteOn (0, 60), noteOn (0, 67) });
    EXPECT_EQ (rig.activeVoices(), 2);
    EXPECT_TRUE (rig.midi.isEmpty());

    rig.block (0, { noteOff (0, 60) });
    EXPECT_EQ (noteState (rig, 60), NoteState::released);
    EXPECT_EQ (noteState (rig, 67), NoteState::held);

    rig.block (300, { noteOn (5, 72) });
    EXPECT_TRUE (rig.midi.isEmpty());
    EXPECT_EQ (noteState (rig, 72), NoteState::held);
}

TEST (Crush, QuantiserSteps)
{
    EXPECT_EQ (crush::quantise (0.02f), 0.03125f);
    EXPECT_EQ (crush::quantise (0.015625f), 0.0f);      // tie to even
    EXPECT_EQ (crush::quantise (0.046875f), 0.0625f);   // tie to even
    EXPECT_EQ (crush::quantise (-0.015625f), 0.0f);
    EXPECT_EQ (crush::quantise (-0.05f), -0.0625f);
    EXPECT_EQ (crush::quantise (0.0f), 0.0f);

    // Beyond the int range the step count saturates instead of wrapping.
    EXPECT_EQ (crush::quantise (1.0e9f), 67108864.0f);
    EXPECT_EQ (crush::quantise (-1.0e30f), -67108864.0f);
    EXPECT_EQ (crush::quantise (std::numeric_limits<float>::infinity()), 67108864.0f);
    EXPECT_EQ (crush::quantise (std::numeric_limits<float>::quiet_NaN()), 0.0f);

    EXPECT_FALSE (crush::isOn (0.0f));
    EXPECT_FALSE (crush::isOn (0.5f));
    EXPECT_FALSE (crush::isOn (-0.5f));
    EXPECT_TRUE (crush::isOn (0.5000001f));
    EXPECT_TRUE (crush::isOn (-0.51f));
    EXPECT_TRUE (crush::isOn (1.0f));
    EXPECT_TRUE (crush::isOn (1.0e30f));   // low bits of the rounding would say 0
    EXPECT_TRUE (crush::isOn (-1.0e30f));
    EXPECT_TRUE (crush::isOn (4294967296.0f));
    EXPECT_TRUE (crush::isOn (std::numeric_limits<float>::infinity()));
    EXPECT_FALSE (crush::isOn (std::numeric_limits<float>::quiet_NaN()));
}

TEST (Crush, AppliedToTheBlockWhenSwitchedOn)
{
    const auto run = [] (float crushValue) {
        ProcessorRig rig;
        rig.filter->setParameterValue (ParameterBlock::vol, 0.7f);
        rig.filter->setParameterValue (ParameterBlock::crush, crushValue);
        rig.block (512, { noteOn (0, 57), noteOn (0, 64) });
        return rig.block (2048);
    };

    const auto onSteps = [] (const juce::AudioBuffer<float>& b) {
        for (int i = 0; i < b.getNumSamples(); ++i)
            if (b.getSample (0, i) * 32.0f != std::round (b.getSample (0, i) * 32.0f))
                return false;
        return true;
    };

    for (float on : { 1.0f, 0.5000001f, -3.0f, 1.0e30f })
    {
        const auto b = run (on);
        EXPECT_TRUE (onSteps (b)) << on;
        EXPECT_GT (peak (b.getReadPointer (0), b.getNumSamples()), 0.1);
    }

    const auto off = run (0.0f);
    EXPECT_FALSE (onSteps (off));
    EXPECT_TRUE (sameSamples (off, run (0.5f), 0, 0));
    EXPECT_TRUE (sameSamples (off, run (std::numeric_limits<float>::quiet_NaN()), 0, 0));
}

TEST (Output, ReplaceAccumulateAndChannels)
{
    ProcessorRig plain, summed, narrow, wide;
    for (auto* rig : { &plain, &summed, &narrow, &wide })
        rig->block (512, { noteOn (0, 60), noteOn (7, 72) });

    const auto reference = plain.block (512);
    EXPECT_TRUE (sameSamples (reference, reference, 0, 1));
    EXPECT_GT (peak (reference.getReadPointer (0), 512), 0.01);

    juce::AudioBuffer<float> prefilled (2, 512);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 512; ++i)
            prefilled.setSample (c, i, 0.25f + (float) c);
    summed.processInto (prefilled, {}, true);
    for (int i = 0; i < 512; ++i)
    {
        ASSERT_EQ (prefilled.getSample (0, i), 0.25f + reference.getSample (0, i));
        ASSERT_EQ (prefilled.getSample (1, i), 1.25f + reference.getSample (1, i));
    }

    // Replacing: whatever the output held is gone, extra channels are cleared.
    juce::AudioBuffer<float> three (3, 512);
    for (int c = 0; c < 3; ++c)
        juce::FloatVectorOperations::fill (three.getWritePointer (c), 9.0f, 512);
    wide.processInto (three, {}, false);
    EXPECT_TRUE (sameSamples (three, reference, 0, 0));
    EXPECT_TRUE (sameSamples (three, reference, 1, 1));
    EXPECT_EQ (peak (three.getReadPointer (2), 512), 0.0);

    // A mix so quiet that it underflows holds zeros of both signs: the two
    // outputs carry them alike, replacing and adding (to zeros of the sign
    // that keeps them).
    for (bool accumulate : { false, true })
    {
        ProcessorRig quiet;
        quiet.filter->setParameterValue (12, 3.0e-38f);
        quiet.filter->setParameterValue (16, 0.0f);
        juce::AudioBuffer<float> b (2, 512);
        for (int c = 0; c < 2; ++c)
            juce::FloatVectorOperations::fill (b.getWritePointer (c), -0.0f, 512);
        quiet.processInto (b, { noteOn (0, 60), noteOn (0, 64), noteOn (0, 67) }, accumulate);
        int negativeZeros = 0;
        for (int i = 0; i < 512; ++i)
            negativeZeros += b.getSample (0, i) == 0.0f && std::signbit (b.getSample (0, i)) ? 1 : 0;
        EXPECT_GT (negativeZeros, 0);
        EXPECT_EQ (std::memcmp (b.getReadPointer (0), b.getReadPointer (1), 512 * sizeof (float)), 0) << accumulate;
    }

    // One channel gets the mono mix; none is tolerated.
    const auto mono = narrow.block (512, {}, false, 1);
    EXPECT_TRUE (sameSamples (mono, reference, 0, 0));
    narrow.block (512, {}, false, 0);
}

TEST (Output, WithoutScratchBufferTheBlockIsSilentButNotesCount)
{
    JuceFilter filter;
    juce::AudioBuffer<float> in (0, 0), out (2, 256);
    juce::MidiBuffer midi;
    const juce::uint8 on[] = { 0x90, 60, 100 };
    midi.addEvent (on, 3, 0);
    juce::FloatVectorOperations::fill (out.getWritePointer (0), 1.0f, 256);

    filter.process (in, out, false, midi);
    EXPECT_EQ (peak (out.getReadPointer (0), 256), 0.0);
    EXPECT_TRUE (midi.isEmpty());
    EXPECT_TRUE (filter.getVoiceManager().getVoices()[0].isActive());

    filter.prepare (44100.0, 256);
    filter.process (in, out, false, midi);
    EXPECT_GT (peak (out.getReadPointer (0), 256), 0.0);

    filter.releaseBuffers();
    juce::FloatVectorOperations::fill (out.getWritePointer (1), 0.5f, 256);
    filter.process (in, out, true, midi);
    EXPECT_EQ (out.getSample (1, 100), 0.5f);
}

TEST (Output, IndependentOfBlockSegmentation)
{
    // The voices render whole sub-blocks and the hold buffer carries the
    // rest, so any segmentation gives the same samples; events placed on a
    // boundary common to both take effect at the same sample.
    constexpr int total = 6912;   // 12 × (512 + 64)
    const auto play = [] (std::initializer_list<int> pattern) {
        ProcessorRig rig (44100.0, 64);
        std::vector<float> out;
        bool first = true;
        while ((int) out.size() < total)
            for (int size : pattern)
            {
                std::initializer_list<TestEvent> none {};
                const int at = (int) out.size();
                const auto b = first        ? rig.block (size, { noteOn (0, 48), noteOn (0, 55) })
                               : at == 2304 ? rig.block (size, { noteOff (0, 48) })
                                            : rig.block (size, none);
                first = false;
                out.insert (out.end(), b.getReadPointer (0), b.getReadPointer (0) + size);
            }
        out.resize (total);
        return out;
    };

    const auto steady = play ({ 64 });
    const auto alternating = play ({ 512, 64 });
    EXPECT_GT (peak (steady), 0.01);
    EXPECT_EQ (steady, alternating);

    // Without events after the first block, even odd sizes and empty blocks agree.
    const auto sound = [] (std::initializer_list<int> pattern) {
        ProcessorRig rig (48000.0, 333);
        rig.block (64, { noteOn (0, 60) });
        std::vector<float> out;
        while ((int) out.size() < total)
            for (int size : pattern)
            {
                const auto b = rig.block (size);
                out.insert (out.end(), b.getReadPointer (0), b.getReadPointer (0) + size);
            }
        out.resize (total);
        return out;
    };
    EXPECT_EQ (sound ({ 64 }), sound ({ 512, 0, 1, 100, 17, 333, 64 }));
}

TEST (Output, HostileValuesRatesAndBlockSizesStayFinite)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = { nan, inf, -inf, 1.0e30f, -1.0e30f, 1.0e-45f, -0.0f, 3.0e9f };
    const double rates[] = { 1.0, 7.0, 8000.0, 44100.0, 192000.0, 768000.0,
                             0.0, -44100.0, std::nan (""), HUGE_VAL, 1.0e300, 5.0e-324 };
    const int sizes[] = { 0, 1, 2, 15, 16, 17, 100, 511, 513, 1024 };

    size_t sizeIndex = 0;
    for (double rate : rates)
    {
        ProcessorRig rig (rate, 512);
        int note = 20;
        for (int slot = 0; slot < ParameterBlock::slotCount; ++slot)
            for (float value : values)
            {
                rig.filter->setParameterValue (slot, value);
                const int size = sizes[sizeIndex++ % std::size (sizes)];
                note = (note + 7) % 128;
                const auto b = rig.block (size, { noteOn (0, note), pitchWheel (0, note * 128), noteOff (size / 2, note - 14) });
                for (int c = 0; c < 2; ++c)
                    for (int i = 0; i < size; ++i)
                        ASSERT_TRUE (std::isfinite (b.getSample (c, i))) << "rate " << rate << " slot " << slot << " value " << value;

                // The two outputs are one signal, down to the sign of a zero.
                ASSERT_EQ (std::memcmp (b.getReadPointer (0), b.getReadPointer (1), sizeof (float) * (size_t) size), 0)
                    << "rate " << rate << " slot " << slot << " value " << value;
            }
    }

    // Absurd preparation sizes neither crash nor stop the next block.
    for (int expected : { -5, 0, std::numeric_limits<int>::max() })
    {
        ProcessorRig rig (44100.0, expected);
        const auto b = rig.block (512, { noteOn (0, 60) });
        EXPECT_GT (peak (b.getReadPointer (0), 512), 0.0);
    }
}
