// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "OutputFile.h"

#include "CrashCleanup.h"
#include "RenderError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>

namespace
{
    constexpr size_t bufferSize = 1 << 16;

    class BorrowedStream final : public juce::OutputStream
    {
    public:
        explicit BorrowedStream (juce::OutputStream& s) : target (s) {}

        void flush() override { target.flush(); }
        bool setPosition (juce::int64 position) override { return target.setPosition (position); }
        juce::int64 getPosition() override { return target.getPosition(); }
        bool write (const void* data, size_t size) override { return target.write (data, size); }

    private:
        juce::OutputStream& target;
    };

    std::string folderOf (const std::string& path)
    {
        const auto slash = path.rfind ('/');
        return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr (0, slash));
    }

    std::string absolute (const std::string& path)
    {
        return juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (path.c_str())).getFullPathName().toStdString();
    }

    /** Follows symbolic links, dangling ones too, to the file they name. */
    std::string followLinks (std::string path, const std::string& name)
    {
        for (int hops = 0; hops < 40; ++hops)
        {
            struct stat info
            {
            };
            if (lstat (path.c_str(), &info) != 0 || ! S_ISLNK (info.st_mode))
                return path;
            char link[PATH_MAX];
            const auto length = readlink (path.c_str(), link, sizeof (link) - 1);
            if (length < 0)
                return path;
            const std::string next (link, static_cast<size_t> (length));
            path = next.front() == '/' ? next : folderOf (path) + "/" + next;
        }
        throw RenderError (name + " cannot be written: too many levels of symbolic links");
    }
}

DescriptorStream::DescriptorStream (int descriptor, bool ownsIt)
    : fd (descriptor), owns (ownsIt), seekable (lseek (descriptor, 0, SEEK_CUR) >= 0)
{
    buffer.reserve (bufferSize);
}

DescriptorStream::~DescriptorStream()
{
    close();
}

void DescriptorStream::fail (int errorNumber)
{
    if (error.empty())
        error = std::strerror (errorNumber);
}

void DescriptorStream::writeAll (const char* bytes, size_t size)
{
    size_t done = 0;
    while (done < size && error.empty())
    {
        const auto written = ::write (fd, bytes + done, size - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail (written < 0 ? errno : ENOSPC);
        else
            done += static_cast<size_t> (written);
    }
}

void DescriptorStream::flush()
{
    writeAll (buffer.data(), buffer.size());
    buffer.clear();
}

bool DescriptorStream::write (const void* data, size_t size)
{
    if (! error.empty())
        return false;
    const auto* bytes = static_cast<const char*> (data);
    if (buffer.size() + size > bufferSize)
        flush();
    if (size >= bufferSize)
        writeAll (bytes, size);   // large writes go straight out, without growing the buffer
    else
        buffer.insert (buffer.end(), bytes, bytes + size);
    position += static_cast<juce::int64> (size);
    return error.empty();
}

bool DescriptorStream::setPosition (juce::int64 newPosition)
{
    flush();
    if (! seekable || lseek (fd, static_cast<off_t> (newPosition), SEEK_SET) < 0)
        return false;
    position = newPosition;
    return true;
}

bool DescriptorStream::close()
{
    if (fd < 0)
        return error.empty();
    flush();
    if (owns && ::close (fd) != 0)
        fail (errno);
    fd = -1;
    return error.empty();
}

OutputFile::OutputFile (const std::string& path, const std::string& what, bool noClobber)
    : description (what)
{
    if (path.empty())
        throw RenderError (description + " has an empty name");
    if (path == "-")
    {
        name = "standard output";
        direct = true;
        output = std::make_unique<DescriptorStream> (STDOUT_FILENO, false);
        return;
    }

    const auto quoted = description + " '" + path + "'";
    const auto full = absolute (path);
    name = full;

    struct stat info
    {
    };
    const bool exists = stat (full.c_str(), &info) == 0;   // through any links
    if (exists && S_ISDIR (info.st_mode))
        throw RenderError (quoted + " is a folder");
    if (exists && (S_ISCHR (info.st_mode) || S_ISFIFO (info.st_mode)))
    {
        // What the user named is a device or a pipe: write to it, never replace it.
        const int fd = open (full.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            throw RenderError (quoted + " cannot be written: " + std::strerror (errno));
        direct = true;
        output = std::make_unique<DescriptorStream> (fd, true);
        return;
    }

    // The file a link leads to is the one replaced; a dangling link is followed by hand.
    if (exists)
    {
        char resolved[PATH_MAX];
        target = realpath (full.c_str(), resolved) != nullptr ? std::string (resolved) : full;
    }
    else
        target = followLinks (full, quoted);
    name = target;

    if (exists && ! S_ISREG (info.st_mode))
        throw RenderError (quoted + " is not a regular file, a character device or a FIFO");
    if (exists && noClobber)
        throw RenderError (quoted + " exists (and --no-clobber was given)");

    const auto folder = folderOf (target);
    struct stat folderInfo
    {
    };
    if (stat (folder.c_str(), &folderInfo) != 0 || ! S_ISDIR (folderInfo.st_mode))
        throw RenderError (quoted + " cannot be written: the folder '" + folder + "' does not exist");
    if (exists && access (target.c_str(), W_OK) != 0)
        throw RenderError (quoted + " cannot be written: " + std::strerror (errno));

    std::random_device random;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
    {
        char suffix[16];
        std::snprintf (suffix, sizeof (suffix), ".%08x", random());
        temporary = (folder == "/" ? "" : folder) + "/." + target.substr (target.rfind ('/') + 1) + suffix + ".part";
        fd = open (temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            throw RenderError (quoted + " cannot be written: " + std::strerror (errno));
    }
    if (fd < 0)
        throw RenderError (quoted + " cannot be written: no free temporary name");
    CrashCleanup::watch (temporary);

    // A replaced file keeps its owner and mode.
    if (exists)
    {
        if (fchown (fd, info.st_uid, info.st_gid) != 0)
        {
        }   // not ours to give away: keep our own
        fchmod (fd, info.st_mode & 07777);
    }
    output = std::make_unique<DescriptorStream> (fd, true);
}

OutputFile::~OutputFile()
{
    output.reset();
    if (! temporary.empty())
    {
        unlink (temporary.c_str());
        CrashCleanup::forget (temporary);
    }
}

std::unique_ptr<juce::OutputStream> OutputFile::borrowStream()
{
    return std::make_unique<BorrowedStream> (*output);
}

void OutputFile::finish()
{
    if (finished)
        return;
    const bool ok = output->close();
    finished = true;
    if (! ok)
        throw RenderError ("writing the " + description + " '" + name + "' failed: " + output->getError());
}

void OutputFile::commit()
{
    finish();
    if (temporary.empty())
        return;
    if (rename (temporary.c_str(), target.c_str()) != 0)
        throw RenderError ("the " + description + " '" + name + "' could not be put in place: " + std::strerror (errno));
    CrashCleanup::forget (temporary);
    temporary.clear();
}
