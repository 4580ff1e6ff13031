// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include "OutputFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/** How the sound is stored. */
struct AudioFormat
{
    enum class Container
    {
        wav,
        flac
    };

    Container container = Container::wav;
    int bits = 24;          // 16, 24 or 32
    bool isFloat = false;   // 32-bit float, WAV only

    std::string describe() const;   // e.g. "24-bit WAV", "16-bit FLAC", "32-bit float WAV"
};

/** Level figures of what was written: after gain, clipping and quantisation. */
struct WrittenLevels
{
    int64_t frames = 0;
    float peak = 0.0f;
    double sumOfSquares = 0.0;
    int64_t clippedSamples = 0;   // values beyond full scale, clipped (integer formats)

    double rms() const;
};

/** Turns float blocks into an audio file on a stream, as they come: memory
    does not grow with the song. Integer formats clip at full scale and, at
    16 bits, add triangular (TPDF) dither of one step, from a fixed seed so
    that a render is reproducible. A stream that cannot seek (a pipe) gets a
    WAV header with open-ended sizes. */
class AudioWriter
{
public:
    AudioWriter (OutputFile& file, const AudioFormat& format, double sampleRate, float gain);
    ~AudioWriter();

    /** Throws RenderError with the system's reason when the stream failed. */
    void write (const float* left, const float* right, int numFrames);
    /** Completes the file (sizes in the header); throws RenderError. */
    void finish();

    const WrittenLevels& levels() const noexcept { return written; }

    class Encoder;

private:
    OutputFile& file;
    AudioFormat format;
    float gain;
    uint32_t noise = 0x9e3779b9u;
    WrittenLevels written;
    std::unique_ptr<Encoder> encoder;
    std::vector<float> floats;
    std::vector<int32_t> ints;

    float dither();
};
