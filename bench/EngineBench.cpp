// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The engine's cost per host sample, with the default sound (filter on) at
// 44.1 kHz in blocks of 512. "realtime" is seconds of audio per second of
// CPU on one core.
#include "engine/ParameterBlock.h"
#include "engine/VoiceLanes.h"
#include "engine/VoiceManager.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace
{
    constexpr int blockSize = 512;
    constexpr double sampleRate = 44100.0;

    struct Engine
    {
        ParameterBlock parameters;
        std::unique_ptr<VoiceManager> voices = std::make_unique<VoiceManager> (parameters);
        std::vector<float> block = std::vector<float> (blockSize);

        Engine()
        {
            for (int i = 0; i < ParameterBlock::slotCount; ++i)
                voices->parameterChanged (i);
            parameters.set (ParameterBlock::ampSustain, 1.0f);   // notes keep sounding
            voices->parameterChanged (ParameterBlock::ampSustain);
        }

        void renderBlock()
        {
            std::fill (block.begin(), block.end(), 0.0f);
            voices->render (block.data(), blockSize);
            benchmark::DoNotOptimize (block.data());
        }
    };

    void report (benchmark::State& state)
    {
        const double samples = (double) state.iterations() * blockSize;
        state.counters["samples"] = benchmark::Counter (samples, benchmark::Counter::kIsRate);
        state.counters["realtime"] = benchmark::Counter (samples / sampleRate, benchmark::Counter::kIsRate);
    }

    // The second argument limits the rendering path: 0 the widest there is,
    // 1 the baseline (SSE2) lanes, 2 voice by voice.
    voicelanes::Path pathFor (std::int64_t limit)
    {
        return limit == 0 ? voicelanes::Path::avx2 : (limit == 1 ? voicelanes::Path::baseline : voicelanes::Path::voiceByVoice);
    }

    void heldVoices (benchmark::State& state)
    {
        voicelanes::limitPath (pathFor (state.range (1)));
        Engine engine;
        for (int n = 0; n < state.range (0); ++n)
            engine.voices->noteOn (48 + 3 * n, 100, 0);

        for (auto _ : state)
            engine.renderBlock();
        report (state);
    }

    // Nine voices, one of them always fading: a new note every block steals
    // the oldest held voice.
    void nineWithOneFading (benchmark::State& state)
    {
        voicelanes::limitPath (pathFor (state.range (0)));
        Engine engine;
        for (int n = 0; n < 8; ++n)
            engine.voices->noteOn (48 + 3 * n, 100, 0);

        int note = 0;
        for (auto _ : state)
        {
            engine.voices->noteOn (60 + (note++ % 12), 100, 0);
            engine.renderBlock();
        }
        report (state);
    }
}

BENCHMARK (heldVoices)->ArgsProduct ({ { 1, 8 }, { 0, 1, 2 } })->Unit (benchmark::kMicrosecond);
BENCHMARK (nineWithOneFading)->Arg (0)->Arg (1)->Arg (2)->Unit (benchmark::kMicrosecond);
BENCHMARK_MAIN();
