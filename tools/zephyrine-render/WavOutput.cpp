// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "WavOutput.h"

#include "RenderError.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>

void writeWav (OutputFile& file, const RenderedAudio& audio, double sampleRate, RenderOptions::SampleFormat format)
{
    const int bits = format == RenderOptions::SampleFormat::float32 ? 32 : 24;
    juce::WavAudioFormat wav;
    auto stream = file.borrowStream();
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate, 2, bits, {}, 0));
    if (writer != nullptr)
        stream.release();       // the writer owns it now
    else
        throw RenderError ("cannot write a " + std::to_string (bits) + "-bit WAV file at "
                           + std::to_string (static_cast<int> (sampleRate)) + " Hz");

    // In pieces, so that the writer's conversion buffers stay small.
    constexpr int64_t piece = 65536;
    for (int64_t start = 0; start < audio.size(); start += piece)
    {
        const auto count = static_cast<int> (std::min (piece, audio.size() - start));
        const float* channels[] = { audio.left.data() + start, audio.right.data() + start };
        if (! writer->writeFromFloatArrays (channels, 2, count))
            throw RenderError ("writing the WAV file '" + file.getTarget().getFullPathName().toStdString() + "' failed");
    }
}
