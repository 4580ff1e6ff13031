// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "SampleSpool.h"

#include "CrashCleanup.h"
#include "RenderError.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

SampleSpool::SampleSpool()
{
    const char* folder = std::getenv ("TMPDIR");
    std::string pattern = std::string (folder != nullptr && *folder != 0 ? folder : "/tmp") + "/zephyrine-render-XXXXXX";
    fd = mkstemp (pattern.data());
    if (fd < 0)
        throw RenderError ("cannot make a temporary file in '" + pattern.substr (0, pattern.rfind ('/')) + "': " + std::strerror (errno));
    path = pattern;
    CrashCleanup::watch (path);
}

SampleSpool::~SampleSpool()
{
    close (fd);
    unlink (path.c_str());
    CrashCleanup::forget (path);
}

void SampleSpool::append (const float* left, const float* right, int numFrames)
{
    scratch.resize (static_cast<size_t> (numFrames) * 2);
    for (size_t i = 0; i < static_cast<size_t> (numFrames); ++i)
    {
        scratch[2 * i] = left[i];
        scratch[2 * i + 1] = right[i];
        largest = std::max ({ largest, std::abs (left[i]), std::abs (right[i]) });
    }
    const auto bytes = scratch.size() * sizeof (float);
    const auto offset = static_cast<off_t> (frames) * 2 * static_cast<off_t> (sizeof (float));
    if (pwrite (fd, scratch.data(), bytes, offset) != static_cast<ssize_t> (bytes))
        throw RenderError (std::string ("writing the temporary file '") + path + "' failed: "
                           + std::strerror (errno != 0 ? errno : ENOSPC));
    frames += numFrames;
}

void SampleSpool::read (int64_t start, int count, float* left, float* right) const
{
    std::fill (left, left + count, 0.0f);
    std::fill (right, right + count, 0.0f);
    const int64_t from = std::max<int64_t> (start, 0), to = std::min<int64_t> (start + count, frames);
    if (to <= from)
        return;
    readScratch.resize (static_cast<size_t> (to - from) * 2);
    const auto bytes = readScratch.size() * sizeof (float);
    if (pread (fd, readScratch.data(), bytes, static_cast<off_t> (from) * 8) != static_cast<ssize_t> (bytes))
        throw RenderError (std::string ("reading the temporary file '") + path + "' failed");
    for (int64_t i = from; i < to; ++i)
    {
        left[i - start] = readScratch[static_cast<size_t> (2 * (i - from))];
        right[i - start] = readScratch[static_cast<size_t> (2 * (i - from) + 1)];
    }
}
