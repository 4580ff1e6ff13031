// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "BlockRenderer.h"

#include <algorithm>
#include <cmath>

BlockRenderer::BlockRenderer (vsthost::Plugin& p, const MidiSchedule& s, TailSettings t)
    : plugin (p), schedule (s), tail (t)
{
}

RenderedAudio BlockRenderer::render (const Progress& progress)
{
    const double rate = plugin.getSampleRate();
    const int64_t blockSize = plugin.getBlockSize();
    const int64_t songEnd = schedule.getEndSample();
    const int64_t hardEnd = songEnd + static_cast<int64_t> (std::llround (tail.maxSeconds * rate));
    const int64_t silenceNeeded = static_cast<int64_t> (std::llround (tail.silenceSeconds * rate));
    const float threshold = static_cast<float> (std::pow (10.0, tail.silenceDb / 20.0));

    const auto numOutputs = static_cast<size_t> (std::max (1, plugin.getNumOutputs()));
    const auto numInputs = static_cast<size_t> (std::max (1, plugin.getNumInputs()));
    std::vector<std::vector<float>> outputs (numOutputs, std::vector<float> (static_cast<size_t> (blockSize)));
    std::vector<std::vector<float>> inputs (numInputs, std::vector<float> (static_cast<size_t> (blockSize)));
    std::vector<float*> outputPointers, inputPointers;
    for (auto& channel : outputs) outputPointers.push_back (channel.data());
    for (auto& channel : inputs)  inputPointers.push_back (channel.data());

    RenderedAudio audio;
    audio.songSamples = songEnd;
    audio.left.reserve (static_cast<size_t> (songEnd + silenceNeeded + blockSize));
    audio.right.reserve (audio.left.capacity());

    // MIDI and parameter writes each keep their own order; a write due at a
    // sample goes in before that sample's MIDI.
    std::vector<ScheduledEvent> midiEvents, parameterEvents;
    for (const auto& e : schedule.getEvents())
        (e.kind == ScheduledEvent::Kind::midi ? midiEvents : parameterEvents).push_back (e);

    size_t nextMidi = 0, nextParameter = 0;
    std::vector<vsthost::MidiEvent> blockMidi;
    int64_t silentRun = 0;
    int64_t position = 0;

    while (position < hardEnd && ! (position >= songEnd && silentRun >= silenceNeeded))
    {
        while (nextParameter < parameterEvents.size() && parameterEvents[nextParameter].sample <= position)
        {
            const auto& setting = parameterEvents[nextParameter++].setting;
            plugin.setParameter (setting.index, setting.value);
        }

        // Blocks keep to a fixed grid; a pending parameter write cuts one short.
        int64_t end = std::min ((position / blockSize + 1) * blockSize, hardEnd);
        if (nextParameter < parameterEvents.size())
            end = std::min (end, parameterEvents[nextParameter].sample);

        blockMidi.clear();
        while (nextMidi < midiEvents.size() && midiEvents[nextMidi].sample < end)
        {
            const auto& e = midiEvents[nextMidi++];
            vsthost::MidiEvent midi;
            midi.deltaFrames = static_cast<int32_t> (std::max<int64_t> (0, e.sample - position));
            std::copy (e.bytes, e.bytes + 3, midi.data);
            blockMidi.push_back (midi);
        }

        const int length = static_cast<int> (end - position);
        if (! blockMidi.empty())
            plugin.sendMidi (blockMidi);

        const auto tempo = schedule.tempoAt (position);
        plugin.setTransport (static_cast<double> (position), tempo.bpm, tempo.ppq, true);

        // Silent inputs, and outputs cleared in case a plug-in leaves some untouched.
        for (auto* channels : { &inputs, &outputs })
            for (auto& channel : *channels)
                std::fill (channel.begin(), channel.begin() + length, 0.0f);
        plugin.processReplacing (inputPointers.data(), outputPointers.data(), length);

        const float* left = outputs[0].data();
        const float* right = outputs[numOutputs > 1 ? 1 : 0].data();
        for (int i = 0; i < length; ++i)
        {
            float l = left[i], r = right[i];
            if (! std::isfinite (l) || ! std::isfinite (r))
            {
                if (audio.firstNonFinite < 0)
                    audio.firstNonFinite = position + i;
                audio.nonFiniteSamples += (std::isfinite (l) ? 0 : 1) + (std::isfinite (r) ? 0 : 1);
                l = std::isfinite (l) ? l : 0.0f;
                r = std::isfinite (r) ? r : 0.0f;
            }
            audio.left.push_back (l);
            audio.right.push_back (r);

            if (position + i >= songEnd)
                silentRun = (std::abs (l) < threshold && std::abs (r) < threshold) ? silentRun + 1 : 0;
        }

        position = end;
        if (progress)
            progress (position, songEnd, position > songEnd);
    }

    return audio;
}
