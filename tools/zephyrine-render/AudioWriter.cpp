// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "AudioWriter.h"

#include "CrashCleanup.h"
#include "RenderError.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

std::string AudioFormat::describe() const
{
    return std::to_string (bits) + (isFloat ? "-bit float " : "-bit ") + (container == Container::flac ? "FLAC" : "WAV");
}

double WrittenLevels::rms() const
{
    return frames > 0 ? std::sqrt (sumOfSquares / (2.0 * static_cast<double> (frames))) : 0.0;
}

/** Takes frames already converted: float for float output, else integers
    scaled to the format's bits. */
class AudioWriter::Encoder
{
public:
    virtual ~Encoder() = default;
    virtual void write (const float* interleavedFloat, const int32_t* interleavedInt, int frames) = 0;
    virtual void finish() = 0;
};

namespace
{
    void put16 (std::vector<uint8_t>& out, uint32_t v)
    {
        out.push_back (uint8_t (v));
        out.push_back (uint8_t (v >> 8));
    }
    void put32 (std::vector<uint8_t>& out, uint32_t v)
    {
        put16 (out, v & 0xffff);
        put16 (out, v >> 16);
    }
    void putTag (std::vector<uint8_t>& out, const char* tag) { out.insert (out.end(), tag, tag + 4); }

    /** RIFF WAVE: plain PCM at 16 bits; the extensible format (with its
        channel mask and sub-format) for 24 and 32 bits and for float, as
        readers expect for anything beyond 16-bit PCM. */
    class WavEncoder final : public AudioWriter::Encoder
    {
    public:
        WavEncoder (DescriptorStream& s, const AudioFormat& f, double sampleRate) : stream (s), format (f)
        {
            const uint32_t bytesPerSample = static_cast<uint32_t> (format.bits / 8);
            const bool extensible = format.bits > 16 || format.isFloat;
            const auto rate = static_cast<uint32_t> (sampleRate);

            std::vector<uint8_t> h;
            putTag (h, "RIFF");
            put32 (h, 0xffffffffu);
            putTag (h, "WAVE");
            putTag (h, "fmt ");
            put32 (h, extensible ? 40 : 16);
            put16 (h, extensible ? 0xfffe : 1);
            put16 (h, 2);
            put32 (h, rate);
            put32 (h, rate * 2 * bytesPerSample);
            put16 (h, static_cast<uint32_t> (2 * bytesPerSample));
            put16 (h, static_cast<uint32_t> (format.bits));
            if (extensible)
            {
                put16 (h, 22);
                put16 (h, static_cast<uint32_t> (format.bits));
                put32 (h, 3);   // front left, front right
                static const uint8_t guidTail[14] = { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };
                put16 (h, format.isFloat ? 3 : 1);
                h.insert (h.end(), guidTail, guidTail + 14);
            }
            if (format.isFloat)
            {
                putTag (h, "fact");
                put32 (h, 4);
                factAt = h.size();
                put32 (h, 0xffffffffu);
            }
            putTag (h, "data");
            dataSizeAt = h.size();
            put32 (h, 0xffffffffu);
            headerSize = h.size();
            stream.write (h.data(), h.size());
        }

        void write (const float* f, const int32_t* i, int frames) override
        {
            const auto samples = static_cast<size_t> (frames) * 2;
            bytes.clear();
            if (format.isFloat)
            {
                bytes.resize (samples * 4);
                std::memcpy (bytes.data(), f, bytes.size());   // little-endian, as the machine
            }
            else
            {
                const auto width = static_cast<size_t> (format.bits / 8);
                bytes.resize (samples * width);
                for (size_t s = 0; s < samples; ++s)
                    for (size_t b = 0; b < width; ++b)
                        bytes[s * width + b] = static_cast<uint8_t> (static_cast<uint32_t> (i[s]) >> (8 * b));
            }
            stream.write (bytes.data(), bytes.size());
            framesWritten += static_cast<uint64_t> (frames);
        }

        void finish() override
        {
            if (! stream.isSeekable())
                return;   // a pipe: the open-ended sizes stay
            const uint64_t dataBytes = framesWritten * 2 * static_cast<uint64_t> (format.bits / 8);
            auto patch = [&] (size_t at, uint64_t value) {
                uint8_t field[4];
                const auto v = static_cast<uint32_t> (std::min<uint64_t> (value, 0xffffffffu));
                for (int b = 0; b < 4; ++b)
                    field[b] = static_cast<uint8_t> (v >> (8 * b));
                stream.setPosition (static_cast<juce::int64> (at));
                stream.write (field, 4);
            };
            patch (4, headerSize - 8 + dataBytes);
            patch (dataSizeAt, dataBytes);
            if (factAt != 0)
                patch (factAt, framesWritten);
        }

    private:
        DescriptorStream& stream;
        AudioFormat format;
        size_t headerSize = 0, dataSizeAt = 0, factAt = 0;
        uint64_t framesWritten = 0;
        std::vector<uint8_t> bytes;
    };

    /** The framework's FLAC writer, fed 32-bit left-aligned integers. The
        encoder goes back to the start at the end to complete the stream's
        header, so for a pipe it writes to a temporary file first. */
    class FlacEncoder final : public AudioWriter::Encoder
    {
    public:
        FlacEncoder (OutputFile& f, const AudioFormat& fmt, double sampleRate) : file (f), format (fmt)
        {
            std::unique_ptr<juce::OutputStream> stream;
            if (file.stream().isSeekable())
                stream = file.borrowStream();
            else
            {
                staging = std::make_unique<juce::TemporaryFile> (juce::File::getSpecialLocation (juce::File::tempDirectory)
                                                                     .getChildFile ("zephyrine-render.flac"));
                CrashCleanup::watch (staging->getFile().getFullPathName().toStdString());
                auto fileStream = std::make_unique<juce::FileOutputStream> (staging->getFile());
                if (! fileStream->openedOk())
                    throw RenderError ("cannot make a temporary file for the FLAC stream: "
                                       + fileStream->getStatus().getErrorMessage().toStdString());
                stream = std::move (fileStream);
            }
            juce::FlacAudioFormat flac;
            writer.reset (flac.createWriterFor (stream.get(), sampleRate, 2, format.bits, {}, 5));
            if (writer == nullptr)
                throw RenderError ("cannot write " + format.describe() + " at " + std::to_string (static_cast<int> (sampleRate)) + " Hz");
            stream.release();   // the writer owns it now
        }

        ~FlacEncoder() override
        {
            writer.reset();
            if (staging != nullptr)
                CrashCleanup::forget (staging->getFile().getFullPathName().toStdString());
        }

        void write (const float*, const int32_t* i, int frames) override
        {
            const auto n = static_cast<size_t> (frames);
            left.resize (n);
            right.resize (n);
            const int shift = 32 - format.bits;
            for (size_t k = 0; k < n; ++k)
            {
                left[k] = static_cast<int> (static_cast<uint32_t> (i[2 * k]) << shift);
                right[k] = static_cast<int> (static_cast<uint32_t> (i[2 * k + 1]) << shift);
            }
            const int* channels[] = { left.data(), right.data(), nullptr };
            if (! writer->write (channels, frames))
                throw RenderError ("the FLAC encoder failed");
        }

        void finish() override
        {
            writer.reset();
            if (staging == nullptr)
                return;
            juce::FileInputStream input (staging->getFile());
            std::vector<char> piece (1 << 16);
            for (int got; (got = input.read (piece.data(), static_cast<int> (piece.size()))) > 0;)
                file.stream().write (piece.data(), static_cast<size_t> (got));
        }

    private:
        OutputFile& file;
        std::unique_ptr<juce::TemporaryFile> staging;
        AudioFormat format;
        std::unique_ptr<juce::AudioFormatWriter> writer;
        std::vector<int> left, right;
    };
}

AudioWriter::AudioWriter (OutputFile& f, const AudioFormat& fmt, double sampleRate, float g)
    : file (f), format (fmt), gain (g)
{
    if (format.container == AudioFormat::Container::flac)
        encoder = std::make_unique<FlacEncoder> (file, format, sampleRate);
    else
        encoder = std::make_unique<WavEncoder> (file.stream(), format, sampleRate);
}

AudioWriter::~AudioWriter() = default;

float AudioWriter::dither()
{
    auto uniform = [this] {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        return static_cast<float> (noise) * (1.0f / 4294967296.0f);
    };
    return uniform() - uniform();   // triangular, -1 to 1 step
}

void AudioWriter::write (const float* left, const float* right, int numFrames)
{
    // Reused from block to block: the memory stays the same however long the song.
    floats.resize (static_cast<size_t> (numFrames) * 2);
    ints.resize (format.isFloat ? 0 : floats.size());
    const double scale = std::ldexp (1.0, format.bits - 1);
    const double largest = scale - 1.0;
    const bool shouldDither = ! format.isFloat && format.bits == 16;

    for (size_t k = 0; k < floats.size(); ++k)
    {
        const float* channel = (k & 1) == 0 ? left : right;
        const float value = channel[k / 2] * gain;
        float out = value;
        if (! format.isFloat)
        {
            double scaled = static_cast<double> (value) * scale + (shouldDither ? dither() : 0.0);
            scaled = std::nearbyint (scaled);
            if (scaled > largest || scaled < -scale)
            {
                ++written.clippedSamples;
                scaled = std::clamp (scaled, -scale, largest);
            }
            ints[k] = static_cast<int32_t> (scaled);
            out = static_cast<float> (scaled / scale);
        }
        floats[k] = out;
        written.peak = std::max (written.peak, std::abs (out));
        written.sumOfSquares += static_cast<double> (out) * out;
    }
    written.frames += numFrames;

    encoder->write (floats.data(), ints.data(), numFrames);
    if (file.stream().failed())
        throw RenderError ("writing the output file '" + file.getName() + "' failed: " + file.stream().getError());
}

void AudioWriter::finish()
{
    encoder->finish();
    if (file.stream().failed())
        throw RenderError ("writing the output file '" + file.getName() + "' failed: " + file.stream().getError());
}
