// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "ChordRender.h"

#include "plugin/JuceFilter.h"

std::vector<float> chordrender::render (const factorypresets::Sound& sound)
{
    constexpr int blockSize = 512;
    constexpr int chord[] { 60, 64, 67 };
    const auto total = (int) (totalSeconds * sampleRate);
    const auto release = (int) (heldSeconds * sampleRate);

    JuceFilter filter;
    const auto state = factorypresets::stateBlock (sound);
    filter.loadState (state.data(), (int) state.size());
    filter.prepare (sampleRate, blockSize);

    std::vector<float> result;
    result.reserve ((size_t) total);
    juce::AudioBuffer<float> input (0, blockSize), output (2, blockSize);
    juce::MidiBuffer midi;
    for (int start = 0; start < total; start += blockSize)
    {
        midi.clear();
        for (const int note : chord)
        {
            if (start == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
            if (release >= start && release < start + blockSize)
                midi.addEvent (juce::MidiMessage::noteOff (1, note), release - start);
        }
        output.clear();
        {
            const juce::ScopedLock sl (filter.callbackLock);
            filter.process (input, output, false, midi);
        }
        const int count = std::min (blockSize, total - start);
        result.insert (result.end(), output.getReadPointer (0), output.getReadPointer (0) + count);
    }
    return result;
}
