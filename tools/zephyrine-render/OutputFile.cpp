// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "OutputFile.h"

#include "CrashCleanup.h"
#include "RenderError.h"

namespace
{
    class BorrowedStream final : public juce::OutputStream
    {
    public:
        explicit BorrowedStream (juce::OutputStream& s) : target (s) {}

        void flush() override                                   { target.flush(); }
        bool setPosition (juce::int64 position) override        { return target.setPosition (position); }
        juce::int64 getPosition() override                      { return target.getPosition(); }
        bool write (const void* data, size_t size) override     { return target.write (data, size); }

    private:
        juce::OutputStream& target;
    };
}

OutputFile::OutputFile (const std::string& path, const std::string& what)
    : target (juce::File::getCurrentWorkingDirectory().getChildFile (path)), description (what)
{
    const auto name = description + " '" + path + "'";
    if (path.empty())
        throw RenderError (description + " has an empty name");
    if (target.isDirectory())
        throw RenderError (name + " is a folder");
    if (! target.getParentDirectory().isDirectory())
        throw RenderError (name + " cannot be written: the folder '"
                           + target.getParentDirectory().getFullPathName().toStdString() + "' does not exist");
    if (target.exists() && ! target.hasWriteAccess())
        throw RenderError (name + " cannot be written: permission denied");

    temporary = std::make_unique<juce::TemporaryFile> (target, juce::TemporaryFile::useHiddenFile);
    CrashCleanup::watch (temporary->getFile().getFullPathName().toStdString());
    output = std::make_unique<juce::FileOutputStream> (temporary->getFile());
    if (! output->openedOk())
    {
        CrashCleanup::forget (temporary->getFile().getFullPathName().toStdString());
        throw RenderError (name + " cannot be written: " + output->getStatus().getErrorMessage().toStdString());
    }
}

OutputFile::~OutputFile()
{
    output.reset();
    CrashCleanup::forget (temporary->getFile().getFullPathName().toStdString());
    temporary.reset();      // deletes the temporary file if it is still there
}

juce::FileOutputStream& OutputFile::stream()
{
    jassert (output != nullptr);
    return *output;
}

std::unique_ptr<juce::OutputStream> OutputFile::borrowStream()
{
    return std::make_unique<BorrowedStream> (stream());
}

void OutputFile::commit()
{
    const auto name = description + " '" + target.getFullPathName().toStdString() + "'";
    if (output == nullptr)
        throw RenderError (name + " was already written");
    output->flush();
    const bool ok = output->getStatus().wasOk();
    output.reset();
    if (! ok)
        throw RenderError (name + " could not be written completely (disk full?)");

    if (! temporary->overwriteTargetFileWithTemporary())
        throw RenderError (name + " could not be put in place");
    CrashCleanup::forget (temporary->getFile().getFullPathName().toStdString());
}
