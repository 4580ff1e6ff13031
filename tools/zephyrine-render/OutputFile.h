// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string>

/** A stream onto a file descriptor that remembers the system's reason for
    the first failed write, so that a message can say "No space left on device". */
class DescriptorStream final : public juce::OutputStream
{
public:
    /** owns: close the descriptor when done. */
    DescriptorStream (int fd, bool owns);
    ~DescriptorStream() override;

    void flush() override;
    bool setPosition (juce::int64 position) override;
    juce::int64 getPosition() override { return position; }
    bool write (const void* data, size_t size) override;

    /** Flushes and closes; false on any failure. */
    bool close();
    bool failed() const noexcept { return ! error.empty(); }
    const std::string& getError() const noexcept { return error; }
    bool isSeekable() const noexcept { return seekable; }

private:
    void fail (int errorNumber);
    void writeAll (const char* bytes, size_t size);

    int fd;
    bool owns, seekable;
    juce::int64 position = 0;
    std::vector<char> buffer;
    std::string error;
};

/** An output of the render. A regular file (new or existing) is written
    under a temporary name in its folder and renamed into place only by
    commit(), keeping an existing file's owner and mode; so a failed render
    never leaves a partial file, nor harms one that was there. A symbolic
    link is followed to its target. A character device or a FIFO named by
    the user, and "-" (standard output), are written straight through.
    Opened at once, so that an unwritable path is reported before any work. */
class OutputFile
{
public:
    /** what: how the file is called in messages, e.g. "output file".
        noClobber: refuse to replace an existing file. Throws RenderError. */
    OutputFile (const std::string& path, const std::string& what, bool noClobber);
    ~OutputFile();   // removes the temporary file unless committed

    OutputFile (const OutputFile&) = delete;
    OutputFile& operator= (const OutputFile&) = delete;

    DescriptorStream& stream() { return *output; }

    /** A stream that writes through to stream() without owning it, for
        writers that insist on deleting the stream they are given. */
    std::unique_ptr<juce::OutputStream> borrowStream();

    /** Written straight through (device, FIFO, standard output). */
    bool isDirect() const noexcept { return direct; }

    /** Flushes and closes; throws RenderError with the system's reason when
        anything failed to be written. Call for every output before commit(). */
    void finish();

    /** Renames the finished file into place; throws RenderError. */
    void commit();

    /** The name for messages: the target's path, or "standard output". */
    const std::string& getName() const noexcept { return name; }

private:
    std::string description, target, name, temporary;
    bool direct = false, finished = false;
    std::unique_ptr<DescriptorStream> output;
};
