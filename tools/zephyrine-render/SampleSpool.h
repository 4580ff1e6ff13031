// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/** The rendered sound kept on disk rather than in memory, for the work that
    needs it twice (normalising, the picture): a temporary file of
    interleaved floats, removed when done or when the program is stopped. */
class SampleSpool
{
public:
    SampleSpool();   // throws RenderError when no temporary file can be made
    ~SampleSpool();

    SampleSpool (const SampleSpool&) = delete;
    SampleSpool& operator= (const SampleSpool&) = delete;

    void append (const float* left, const float* right, int numFrames);
    int64_t size() const noexcept { return frames; }
    float peak() const noexcept { return largest; }

    /** Frames [start, start + count); zeros outside the sound. */
    void read (int64_t start, int count, float* left, float* right) const;

private:
    std::string path;
    int fd = -1;
    int64_t frames = 0;
    float largest = 0.0f;
    std::vector<float> scratch;
    mutable std::vector<float> readScratch;
};
