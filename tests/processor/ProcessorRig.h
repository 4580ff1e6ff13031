// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "engine/ParameterBlock.h"
#include "engine/VoiceManager.h"
#include "plugin/JuceFilter.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

/** A MIDI event as a test writes it: position and up to three bytes. */
struct TestEvent
{
    int position;
    std::vector<juce::uint8> bytes;
};

inline TestEvent noteOn (int position, int note, int velocity = 100, int channel = 0)
{
    return { position, { (juce::uint8) (0x90 | channel), (juce::uint8) note, (juce::uint8) velocity } };
}

inline TestEvent noteOff (int position, int note, int channel = 0)
{
    return { position, { (juce::uint8) (0x80 | channel), (juce::uint8) note, 64 } };
}

inline TestEvent controller (int position, int number, int value, int channel = 0)
{
    return { position, { (juce::uint8) (0xb0 | channel), (juce::uint8) number, (juce::uint8) value } };
}

inline TestEvent pitchWheel (int position, int value, int channel = 0)
{
    return { position, { (juce::uint8) (0xe0 | channel), (juce::uint8) (value & 127), (juce::uint8) (value >> 7) } };
}

/** One processor driven the way the host adapter drives it: prepared, and
    each block processed under callbackLock into a two-channel output. */
struct ProcessorRig
{
    std::unique_ptr<JuceFilter> filter = std::make_unique<JuceFilter>();
    juce::AudioBuffer<float> input { 0, 0 };
    juce::MidiBuffer midi;

    explicit ProcessorRig (double sampleRate = 44100.0, int blockSize = 512)
    {
        filter->prepare (sampleRate, blockSize);
    }

    /** Processes one block of the given length and returns it, channel 0
        followed by channel 1. */
    juce::AudioBuffer<float> block (int numSamples, std::initializer_list<TestEvent> events = {},
                                    bool accumulate = false, int numChannels = 2)
    {
        juce::AudioBuffer<float> output (numChannels, numSamples);
        output.clear();
        processInto (output, events, accumulate);
        return output;
    }

    void processInto (juce::AudioBuffer<float>& output, std::initializer_list<TestEvent> events, bool accumulate)
    {
        midi.clear();
        for (const auto& e : events)
            midi.addEvent (e.bytes.data(), (int) e.bytes.size(), e.position);

        const juce::ScopedLock sl (filter->callbackLock);
        filter->process (input, output, accumulate, midi);
    }

    /** Channel 0 of many blocks of one size, joined. */
    std::vector<float> render (int totalSamples, int blockSize)
    {
        std::vector<float> out;
        while ((int) out.size() < totalSamples)
        {
            const int n = std::min (blockSize, totalSamples - (int) out.size());
            const auto b = block (n);
            out.insert (out.end(), b.getReadPointer (0), b.getReadPointer (0) + n);
        }
        return out;
    }

    const VoiceManager& voices() const { return filter->getVoiceManager(); }

    int activeVoices() const
    {
        int n = 0;
        for (const auto& v : voices().getVoices())
            n += v.isActive() ? 1 : 0;
        return n;
    }
};

inline double peak (const float* samples, int count)
{
    double p = 0.0;
    for (int i = 0; i < count; ++i)
        p = std::max (p, (double) std::abs (samples[i]));
    return p;
}

inline double peak (const std::vector<float>& s) { return peak (s.data(), (int) s.size()); }
