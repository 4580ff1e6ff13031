// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "BlockRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

BlockRenderer::BlockRenderer (Instrument& i, const MidiSchedule& s, TailSettings t, int block, double rate)
    : instrument (i), schedule (s), tail (t), blockSize (block), sampleRate (rate)
{
}

RenderResult BlockRenderer::render (const Sink& sink, const Progress& progress)
{
    const int64_t songEnd = schedule.getEndSample();
    const int64_t hardEnd = songEnd + static_cast<int64_t> (std::llround (tail.maxSeconds * sampleRate));
    const int64_t silenceNeeded = static_cast<int64_t> (std::llround (tail.silenceSeconds * sampleRate));
    const int64_t fadeLength = std::max<int64_t> (1, std::llround (fadeSeconds * sampleRate));
    const int64_t fadeStart = hardEnd - fadeLength;
    const float threshold = static_cast<float> (std::pow (10.0, tail.silenceDb / 20.0));

    std::vector<float> left (static_cast<size_t> (blockSize)), right (static_cast<size_t> (blockSize));

    RenderResult result;
    result.songSamples = songEnd;

    // MIDI and parameter writes each keep their own order; a write due at a
    // sample goes in before that sample's MIDI.
    std::vector<ScheduledEvent> midiEvents, parameterEvents;
    for (const auto& e : schedule.getEvents())
        (e.kind == ScheduledEvent::Kind::midi ? midiEvents : parameterEvents).push_back (e);

    size_t nextMidi = 0, nextParameter = 0;
    std::vector<InstrumentMidi> blockMidi;
    int64_t silentRun = 0;
    int64_t position = 0;
    bool lastWasSilent = true;

    while (position < hardEnd && ! (position >= songEnd && silentRun >= silenceNeeded))
    {
        while (nextParameter < parameterEvents.size() && parameterEvents[nextParameter].sample <= position)
        {
            const auto& setting = parameterEvents[nextParameter++].setting;
            instrument.setParameter (setting.index, setting.value);
        }

        // Blocks keep to a fixed grid; a pending parameter write cuts one short.
        int64_t end = std::min ((position / blockSize + 1) * blockSize, hardEnd);
        if (nextParameter < parameterEvents.size())
            end = std::min (end, parameterEvents[nextParameter].sample);

        blockMidi.clear();
        while (nextMidi < midiEvents.size() && midiEvents[nextMidi].sample < end)
        {
            const auto& e = midiEvents[nextMidi++];
            InstrumentMidi midi;
            midi.offset = static_cast<int> (std::max<int64_t> (0, e.sample - position));
            std::copy (e.bytes, e.bytes + 3, midi.bytes);
            blockMidi.push_back (midi);
        }

        const int length = static_cast<int> (end - position);
        const auto tempo = schedule.tempoAt (position);
        instrument.process (blockMidi, left.data(), right.data(), length,
                            { static_cast<double> (position), tempo.bpm, tempo.ppq });

        for (int i = 0; i < length; ++i)
        {
            float& l = left[static_cast<size_t> (i)];
            float& r = right[static_cast<size_t> (i)];
            if (! std::isfinite (l) || ! std::isfinite (r))
            {
                if (result.firstNonFinite < 0)
                    result.firstNonFinite = position + i;
                result.nonFiniteSamples += (std::isfinite (l) ? 0 : 1) + (std::isfinite (r) ? 0 : 1);
                l = std::isfinite (l) ? l : 0.0f;
                r = std::isfinite (r) ? r : 0.0f;
            }

            lastWasSilent = std::abs (l) < threshold && std::abs (r) < threshold;
            if (position + i >= songEnd)
                silentRun = lastWasSilent ? silentRun + 1 : 0;

            // Silence is judged before the fade, which only shapes the sound's end.
            if (position + i >= fadeStart)
            {
                const auto gain = static_cast<float> (hardEnd - (position + i) - 1) / static_cast<float> (fadeLength);
                l *= gain;
                r *= gain;
            }
        }

        sink (left.data(), right.data(), length);
        position = end;
        result.frames = position;
        if (progress)
            progress (position, songEnd, position > songEnd);
    }

    result.cutAtTailLimit = position >= hardEnd && ! lastWasSilent && ! (position >= songEnd && silentRun >= silenceNeeded);
    return result;
}
