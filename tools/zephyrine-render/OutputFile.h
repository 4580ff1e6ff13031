// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <string>

/** A file written under a temporary name in the target's folder and renamed
    into place only by commit(), so that a failed render never leaves a
    partial or corrupt file, nor harms one that was there. Opened at once, so
    that an unwritable path is reported before any work is done. */
class OutputFile
{
public:
    /** what: how the file is called in messages, e.g. "output file". Throws
        RenderError when the file cannot be created. */
    OutputFile (const std::string& path, const std::string& what);
    ~OutputFile();      // removes the temporary file unless committed

    /** The stream to write. */
    juce::FileOutputStream& stream();

    /** A stream that writes through to stream() without owning it, for
        writers that insist on deleting the stream they are given. */
    std::unique_ptr<juce::OutputStream> borrowStream();

    /** Flushes, closes and renames into place; throws RenderError when
        anything failed to be written or the rename fails. */
    void commit();

    const juce::File& getTarget() const noexcept       { return target; }

private:
    juce::File target;
    std::string description;
    std::unique_ptr<juce::TemporaryFile> temporary;
    std::unique_ptr<juce::FileOutputStream> output;
};
