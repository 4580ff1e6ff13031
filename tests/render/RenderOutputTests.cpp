// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.

// What the renderer does to the files it is given: devices, links, owners,
// several outputs at once, pipes, formats, signals and memory.

#include "RenderTestSupport.h"

#include <FLAC/stream_decoder.h>
#include <gtest/gtest.h>
#include <juce_graphics/juce_graphics.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>

using namespace rendertest;

namespace
{
    std::vector<std::string> probeArgs (const std::string& midi, const std::string& out, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args { midi, "-o", out, "--plugin", probePlugin() };
        args.insert (args.end(), extra.begin(), extra.end());
        return args;
    }

    /** Runs the program by itself and gives its exit status and peak memory in kB. */
    std::pair<int, long> runMeasured (const std::vector<std::string>& arguments)
    {
        std::vector<std::string> all { RENDER_PROGRAM };
        all.insert (all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back (a.data());
        argv.push_back (nullptr);

        const pid_t child = fork();
        if (child == 0)
        {
            execv (argv[0], argv.data());
            _exit (127);
        }
        int status = 0;
        rusage usage {};
        wait4 (child, &status, 0, &usage);
        return { WIFEXITED (status) ? WEXITSTATUS (status) : -1, usage.ru_maxrss };
    }

    int shell (const std::string& command)
    {
        const int status = std::system (command.c_str());
        return WIFEXITED (status) ? WEXITSTATUS (status) : -1;
    }

    std::string quoted (const std::string& text)
    {
        return "'" + text + "'";
    }

    /** Decodes a stereo FLAC file into floats, with libFLAC itself. */
    std::optional<Wav> readFlac (const std::string& path)
    {
        struct Sink
        {
            Wav wav;
            int bits = 0;
        };
        Sink sink;
        auto* decoder = FLAC__stream_decoder_new();
        auto onWrite = [] (const FLAC__StreamDecoder*, const FLAC__Frame* frame, const FLAC__int32* const buffer[], void* data) {
            auto& s = *static_cast<Sink*> (data);
            const double scale = std::ldexp (1.0, static_cast<int> (frame->header.bits_per_sample) - 1);
            s.bits = static_cast<int> (frame->header.bits_per_sample);
            s.wav.sampleRate = frame->header.sample_rate;
            for (unsigned i = 0; i < frame->header.blocksize; ++i)
            {
                s.wav.left.push_back (static_cast<float> (buffer[0][i] / scale));
                s.wav.right.push_back (static_cast<float> (buffer[frame->header.channels > 1 ? 1 : 0][i] / scale));
            }
            return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
        };
        auto onError = [] (const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {};
        const bool ok = FLAC__stream_decoder_init_file (decoder, path.c_str(), onWrite, nullptr, onError, &sink)
                            == FLAC__STREAM_DECODER_INIT_STATUS_OK
                        && FLAC__stream_decoder_process_until_end_of_stream (decoder);
        FLAC__stream_decoder_delete (decoder);
        if (! ok)
            return std::nullopt;
        sink.wav.bitsPerSample = sink.bits;
        return sink.wav;
    }

    float largestDifference (const Wav& a, const Wav& b)
    {
        float largest = a.left.size() == b.left.size() ? 0.0f : 1.0e9f;
        for (size_t i = 0; i < std::min (a.left.size(), b.left.size()); ++i)
            largest = std::max ({ largest, std::abs (a.left[i] - b.left[i]), std::abs (a.right[i] - b.right[i]) });
        return largest;
    }
}

TEST (RenderOutputs, WritesThroughDevicesFollowsLinksKeepsOwnerAndMode)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);

    // Devices are written to, never replaced.
    auto run = runRenderer (probeArgs (midi, "/dev/null", { "--png", "/dev/null", "--save-state", "/dev/null" }));
    EXPECT_EQ (run.exitCode, 0) << run.output;
    struct stat info
    {
    };
    ASSERT_EQ (stat ("/dev/null", &info), 0);
    EXPECT_TRUE (S_ISCHR (info.st_mode));

    // A link stays a link; its target gets the sound.
    folder.file ("target.wav").replaceWithText ("old");
    ASSERT_EQ (symlink (folder.path ("target.wav").c_str(), folder.path ("link.wav").c_str()), 0);
    run = runRenderer (probeArgs (midi, folder.path ("link.wav")));
    EXPECT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (folder.file ("link.wav").isSymbolicLink());
    EXPECT_TRUE (readWav (folder.file ("target.wav")).has_value());

    // A replaced file keeps its mode, and its owner when we may give it.
    const auto kept = folder.path ("kept.wav");
    folder.file ("kept.wav").replaceWithText ("old");
    chmod (kept.c_str(), 0640);
    const bool root = geteuid() == 0;
    if (root)
    {
        EXPECT_EQ (chown (kept.c_str(), 65534, 65534), 0);
    }
    run = runRenderer (probeArgs (midi, kept));
    EXPECT_EQ (run.exitCode, 0) << run.output;
    ASSERT_EQ (stat (kept.c_str(), &info), 0);
    EXPECT_EQ (info.st_mode & 07777, 0640u);
    if (root)
    {
        EXPECT_EQ (info.st_uid, 65534u);
    }

    // --no-clobber leaves an existing file alone.
    folder.file ("kept.wav").replaceWithText ("mine");
    run = runRenderer (probeArgs (midi, kept, { "-n" }));
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (contains (run.output, "exists (and --no-clobber was given)")) << run.output;
    EXPECT_EQ (folder.file ("kept.wav").loadFileAsString(), "mine");
}

TEST (RenderOutputs, CommitsEveryOutputOrNone)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    folder.file ("h.wav").replaceWithText ("keep me");

    // The picture cannot be written: the sound, complete, is not put in place either.
    auto run = runRenderer (probeArgs (midi, folder.path ("h.wav"), { "--png", "/dev/full" }));
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (contains (run.output, "No space left on device")) << run.output;
    EXPECT_EQ (folder.file ("h.wav").loadFileAsString(), "keep me");
    EXPECT_EQ (folder.contents(), (std::vector<std::string> { "h.wav", "note.mid" }));

    // A full disk under the sound itself.
    const auto disk = folder.file ("small");
    disk.createDirectory();
    if (mount ("tmpfs", disk.getFullPathName().toRawUTF8(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no small disk can be mounted here (needs root)";
    disk.getChildFile ("h.wav").replaceWithText ("keep me");
    run = runRenderer (probeArgs (midi, disk.getChildFile ("h.wav").getFullPathName().toStdString(), { "--set", "1=0.5" }));
    const auto left = disk.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*")
                      + disk.getNumberOfChildFiles (juce::File::findFiles, ".*");
    const auto kept = disk.getChildFile ("h.wav").loadFileAsString();
    umount (disk.getFullPathName().toRawUTF8());
    EXPECT_EQ (run.exitCode, 1);
    EXPECT_TRUE (contains (run.output, "No space left on device")) << run.output;
    EXPECT_EQ (kept, "keep me");
    EXPECT_EQ (left, 1);
}

TEST (RenderOutputs, ReadsStandardInputWritesStandardOutput)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const std::string program = RENDER_PROGRAM;
    const auto common = " --plugin " + quoted (probePlugin()) + " --set 1=0.25 --tail-max 1 -r48000 -b64";

    ASSERT_EQ (runRenderer (probeArgs (midi, folder.path ("file.wav"), { "--set", "1=0.25", "--tail-max", "1", "-r", "48000", "-b", "64" })).exitCode, 0);
    ASSERT_EQ (shell (quoted (program) + " -" + common + " -o - < " + quoted (midi) + " > " + quoted (folder.path ("piped.wav"))
                      + " 2> " + quoted (folder.path ("messages.txt"))),
               0);
    const auto piped = readWav (folder.file ("piped.wav")), file = readWav (folder.file ("file.wav"));
    ASSERT_TRUE (piped && file);
    EXPECT_EQ (piped->left, file->left);
    EXPECT_EQ (piped->sampleRate, 48000.0);
    EXPECT_TRUE (folder.file ("messages.txt").loadFileAsString().contains ("Rendered 1.50 s to standard output"));

    // Through a pipe the header's sizes stay open; the data is the same.
    ASSERT_EQ (shell (quoted (program) + " " + quoted (midi) + common + " -q -o - | cat > " + quoted (folder.path ("cat.wav"))), 0);
    juce::MemoryBlock a, b;
    folder.file ("cat.wav").loadFileAsData (a);
    folder.file ("piped.wav").loadFileAsData (b);
    ASSERT_EQ (a.getSize(), b.getSize());
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (static_cast<const char*> (a.getData()) + 4), 0xffffffffu);
    EXPECT_EQ (std::memcmp (static_cast<const char*> (a.getData()) + 100, static_cast<const char*> (b.getData()) + 100, a.getSize() - 100), 0);

    // /dev/stdout is a link to the pipe: written through, not replaced.
    ASSERT_EQ (shell (quoted (program) + " " + quoted (midi) + common + " -o /dev/stdout 2> /dev/null | cat > " + quoted (folder.path ("link.wav"))), 0);
    EXPECT_EQ (folder.file ("link.wav").getSize(), folder.file ("cat.wav").getSize());

    // FLAC through a pipe is the same stream as in a file, its header completed.
    ASSERT_EQ (shell (quoted (program) + " " + quoted (midi) + common + " -q --format flac -o - | cat > " + quoted (folder.path ("piped.flac"))), 0);
    ASSERT_EQ (shell (quoted (program) + " " + quoted (midi) + common + " -q -o " + quoted (folder.path ("file.flac"))), 0);
    EXPECT_TRUE (folder.file ("piped.flac").hasIdenticalContentTo (folder.file ("file.flac")));

    // "--" ends the options; a file may then start with a dash.
    const auto dashed = runRenderer ({ "--plugin", probePlugin(), "-o", folder.path ("d.wav"), "--", "-song.mid" });
    EXPECT_EQ (dashed.exitCode, 1);
    EXPECT_TRUE (contains (dashed.output, "'-song.mid' does not exist")) << dashed.output;
    EXPECT_TRUE (contains (runRenderer ({ "--version" }).output, "zephyrine-render 1."));
    const auto empty = runRenderer ({ midi, "-o", "" });
    EXPECT_EQ (empty.exitCode, 2);
}

TEST (RenderOutputs, FormatsLevelsAndDither)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const std::vector<std::string> sound { "--set", "0=0.1", "--set", "1=0.6", "--tail-max", "0.2" };
    auto render = [&] (const std::string& name, std::vector<std::string> extra) {
        extra.insert (extra.end(), sound.begin(), sound.end());
        const auto run = runRenderer (probeArgs (midi, folder.path (name), extra));
        EXPECT_EQ (run.exitCode, 0) << name << ": " << run.output;
        return run.output;
    };

    render ("ref.wav", { "--float" });
    render ("s24.flac", {});
    render ("s16.flac", { "--bits", "16" });
    render ("flac.out", { "--format", "flac", "--bits", "24" });
    const auto ref = readWav (folder.file ("ref.wav"));
    const auto s24 = readFlac (folder.path ("s24.flac")), s16 = readFlac (folder.path ("s16.flac"));
    ASSERT_TRUE (ref && s24 && s16 && readFlac (folder.path ("flac.out")));
    EXPECT_EQ (s24->bitsPerSample, 24);
    EXPECT_LE (largestDifference (*ref, *s24), 0.5f / 8388608.0f);
    // 16 bits with dither: within one and a half steps, and not merely rounded.
    EXPECT_LE (largestDifference (*ref, *s16), 1.5f / 32768.0f);
    EXPECT_GT (largestDifference (*ref, *s16), 0.5f / 32768.0f);

    // 32-bit float in the extensible format, with its sub-format.
    juce::MemoryBlock bytes;
    folder.file ("ref.wav").loadFileAsData (bytes);
    const auto* b = static_cast<const uint8_t*> (bytes.getData());
    EXPECT_EQ (b[20] | (b[21] << 8), 0xfffe);
    EXPECT_EQ (b[44] | (b[45] << 8), 3);

    // The summary gives the levels written: after clipping, after normalising.
    const auto loud = render ("loud.wav", { "--gain", "12" });
    EXPECT_TRUE (contains (loud, "peak 0.0 dBFS")) << loud;
    EXPECT_TRUE (contains (loud, "samples clipped")) << loud;
    EXPECT_TRUE (contains (render ("norm.wav", { "--normalize=-6" }), "peak -6.0 dBFS"));
    const auto norm = readWav (folder.file ("norm.wav"));
    ASSERT_TRUE (norm);
    EXPECT_NEAR (norm->right[5000], 0.6f * 0.501187f / (0.1f + 100.0f / 127.0f), 1.0e-4f);

    const auto unknown = runRenderer (probeArgs (midi, folder.path ("x.mp3")));
    EXPECT_EQ (unknown.exitCode, 2);
    EXPECT_TRUE (contains (unknown.output, "use .wav or .flac"));
}

TEST (RenderOutputs, MemoryStaysFlatInTheSongsLength)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    // A never-silent sound keeps the tail going: 2 s against 3 minutes at 96 kHz.
    auto peakMemory = [&] (const char* tail) {
        const auto [status, kilobytes] = runMeasured (probeArgs (midi, folder.path ("long.wav"), { "--set", "1=0.5", "-r", "96000", "-b", "8192", "--tail-max", tail, "-q" }));
        EXPECT_EQ (status, 0);
        return kilobytes;
    };
    const long shortSong = peakMemory ("2"), longSong = peakMemory ("180");
    EXPECT_EQ (folder.file ("long.wav").getSize(), 68 + 6 * (48001 + 96000 * 180));
    EXPECT_LT (longSong - shortSong, 8 * 1024) << shortSong << " kB against " << longSong << " kB";
}

TEST (RenderOutputs, HangupLeavesNothingBehind)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto before = folder.contents();
    for (int signalNumber : { SIGHUP, SIGTERM })
    {
        std::vector<std::string> all { RENDER_PROGRAM };
        for (const auto& a : probeArgs (midi, folder.path ("out.wav"), { "--set", "1=0.5", "--tail-max", "600", "-b", "1", "-q", "--png", folder.path ("out.png") }))
            all.push_back (a);
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back (a.data());
        argv.push_back (nullptr);
        const auto spoolFolder = folder.path ("");
        const pid_t child = fork();
        if (child == 0)
        {
            setenv ("TMPDIR", spoolFolder.c_str(), 1);   // the picture's spool too must go
            execv (argv[0], argv.data());
            _exit (127);
        }
        // Wait until the render is under way: the partial sound and picture, and the spool.
        for (int waited = 0; waited < 400 && folder.contents().size() < before.size() + 3; ++waited)
            std::this_thread::sleep_for (std::chrono::milliseconds (50));
        EXPECT_EQ (folder.contents().size(), before.size() + 3);
        kill (child, signalNumber);
        int status = 0;
        waitpid (child, &status, 0);
        EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == signalNumber) << signalNumber;
        EXPECT_EQ (folder.contents(), before) << signalNumber;
    }
}

TEST (RenderOutputs, TailLimitFadesOutAndSaysSo)
{
    TempFolder folder;
    const auto midi = writeSingleNote (folder);
    const auto run = runRenderer (probeArgs (midi, folder.path ("t.wav"), { "--set", "1=0.5", "--tail-max", "0.5", "--float" }));
    ASSERT_EQ (run.exitCode, 0);
    EXPECT_TRUE (contains (run.output, "still playing")) << run.output;
    const auto wav = readWav (folder.file ("t.wav"));
    ASSERT_TRUE (wav);
    const auto n = wav->right.size();
    EXPECT_EQ (wav->right[n - 442], 0.5f);   // before the 10 ms fade
    EXPECT_NEAR (wav->right[n - 221], 0.25f, 0.01f);
    EXPECT_EQ (wav->right[n - 1], 0.0f);

    // A tail that ends in silence is neither faded nor reported.
    const auto quiet = runRenderer (probeArgs (midi, folder.path ("q.wav"), { "--tail-max", "2" }));
    EXPECT_FALSE (contains (quiet.output, "still playing")) << quiet.output;
}

TEST (RenderOutputs, SilenceLooksSilent)
{
    TempFolder folder;
    juce::MidiMessageSequence track;
    track.addEvent (juce::MidiMessage::noteOn (1, 60, static_cast<juce::uint8> (0)), 0.0);   // a note-on of velocity 0 is a note-off
    track.addEvent (juce::MidiMessage::controllerEvent (1, 7, 100), 960.0);
    const auto midi = writeMidi (folder, "silent.mid", { track });
    const auto run = runRenderer (probeArgs (midi, folder.path ("s.wav"), { "--png", folder.path ("s.png") }));
    ASSERT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (contains (run.output, "peak -inf dBFS")) << run.output;

    const auto image = juce::ImageFileFormat::loadFrom (folder.file ("s.png"));
    ASSERT_TRUE (image.isValid());
    // Inside the spectrogram, grid lines aside, everything is dark.
    double brightness = 0.0;
    int pixels = 0;
    for (int y = 360; y < 660; y += 3)
        for (int x = 90; x < 1240; x += 3, ++pixels)
            brightness += image.getPixelAt (x, y).getBrightness();
    EXPECT_LT (brightness / pixels, 0.03);
}
