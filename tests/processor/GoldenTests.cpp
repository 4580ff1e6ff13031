// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
//
// The sound, pinned bit for bit: each scenario renders through the processor
// (crush and both channels included) and is reduced to a 64-bit FNV-1a hash
// of its samples' bits. Any change to the arithmetic, however small, shows.
// ZEPHYRINE_GOLDEN_PRINT=1 prints the table of the current hashes.
#include "ProcessorRig.h"
#include "engine/VoiceLanes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();

    /** Something that happens at an absolute sample time: a MIDI message, or
        a parameter write (status 0) applied before the block holding it. */
    struct Step
    {
        int time;
        int status, first, second;
        float value = 0.0f;
    };

    Step on (int t, int note, int velocity = 100) { return { t, 0x90, note, velocity }; }
    Step off (int t, int note) { return { t, 0x80, note, 64 }; }
    Step wheel (int t, int position) { return { t, 0xe0, position & 127, position >> 7 }; }
    Step allOff (int t) { return { t, 0xb0, 123, 0 }; }
    Step set (int t, int slot, float value) { return { t, 0, slot, 0, value }; }

    struct Scenario
    {
        std::string name;
        double rate;
        int blockSize;
        int length;
        std::vector<Step> steps;
    };

    std::vector<Step> chord (std::vector<Step> more = {}, int releaseAt = 14000)
    {
        std::vector<Step> s;
        for (int n : { 48, 55, 60, 64, 67, 71, 74, 79 })
            s.push_back (on (3 * n, n));
        for (int n : { 48, 60, 67, 74 })
            s.push_back (off (releaseAt + n, n));
        s.insert (s.begin(), more.begin(), more.end());
        return s;
    }

    std::vector<Step> settings (std::initializer_list<std::pair<int, float>> slots, std::vector<Step> then)
    {
        std::vector<Step> s;
        for (const auto& [slot, value] : slots)
            s.push_back (set (0, slot, value));
        s.insert (s.end(), then.begin(), then.end());
        return s;
    }

    struct Hasher
    {
        std::uint64_t h = 14695981039346656037ull;

        void add (float x)
        {
            const std::uint32_t bits = std::bit_cast<std::uint32_t> (x);
            for (int i = 0; i < 4; ++i)
            {
                h ^= (bits >> (8 * i)) & 0xffu;
                h *= 1099511628211ull;
            }
        }
    };

    std::uint64_t render (const Scenario& s, bool& channelsAgree)
    {
        ProcessorRig rig (s.rate, s.blockSize);
        Hasher hasher;
        channelsAgree = true;

        for (int start = 0; start < s.length; start += s.blockSize)
        {
            const int n = std::min (s.blockSize, s.length - start);
            rig.midi.clear();
            for (const Step& step : s.steps)
            {
                if (step.time < start || step.time >= start + n)
                    continue;
                if (step.status == 0)
                {
                    rig.filter->setParameterValue (step.first, step.value);
                    continue;
                }
                const juce::uint8 bytes[3] = { (juce::uint8) step.status, (juce::uint8) step.first, (juce::uint8) step.second };
                rig.midi.addEvent (bytes, 3, step.time - start);
            }

            juce::AudioBuffer<float> out (2, n);
            out.clear();
            {
                const juce::ScopedLock sl (rig.filter->callbackLock);
                rig.filter->process (rig.input, out, false, rig.midi);
            }

            for (int i = 0; i < n; ++i)
            {
                hasher.add (out.getSample (0, i));
                channelsAgree = channelsAgree && std::bit_cast<std::uint32_t> (out.getSample (1, i)) == std::bit_cast<std::uint32_t> (out.getSample (0, i));
            }
        }
        return hasher.h;
    }

    std::string text (double v)
    {
        char buffer[32];
        std::snprintf (buffer, sizeof (buffer), "%g", v);
        return buffer;
    }

    std::vector<Scenario> scenarios()
    {
        std::vector<Scenario> list;
        auto add = [&list] (std::string name, double rate, int block, int length, std::vector<Step> steps) {
            list.push_back ({ std::move (name), rate, block, length, std::move (steps) });
        };

        // Every wave-shape pair, ids outside 1..5, and a change while sounding.
        for (int p = 1; p <= 5; ++p)
            for (int q = 1; q <= 5; ++q)
                add ("shapes " + std::to_string (p) + "/" + std::to_string (q), 44100.0, 512, 9000,
                     settings ({ { 14, (float) p }, { 15, (float) q }, { 16, 0.0f } },
                               { on (0, 60), on (300, 67), off (6000, 60) }));
        add ("shape ids outside", 44100.0, 512, 9000, settings ({ { 14, 0.0f }, { 15, 7.9f } }, chord ({}, 5000)));
        add ("shape change sounding", 44100.0, 512, 12000,
             chord ({ set (3000, 14, 4.0f), set (6100, 15, 5.0f), set (9000, 14, 3.0f) }, 7000));

        // The default sound, and the settings one by one.
        add ("default", 44100.0, 512, 30000, chord());
        add ("crush off", 44100.0, 512, 30000, settings ({ { 16, 0.0f } }, chord()));
        add ("filter off", 44100.0, 512, 30000, settings ({ { 17, 0.0f } }, chord()));
        for (float r : { 0.0f, 0.25f, 1.0f })
            add ("rand " + text (r), 44100.0, 512, 20000, settings ({ { 1, r } }, chord()));
        for (float d : { 0.0f, 0.6f, 1.0f })
            add ("disp " + text (d), 44100.0, 512, 20000, settings ({ { 0, d } }, chord()));
        for (float o : { 0.0f, 1.0f })
            add ("oct " + text (o), 44100.0, 512, 20000, settings ({ { 2, o } }, chord()));
        for (float a : { 0.5f, 0.75f, 1.0f })
            add ("arp " + text (a), 44100.0, 512, 20000, settings ({ { 13, a }, { 1, 0.0f } }, chord()));
        add ("arp with rand", 44100.0, 512, 20000, settings ({ { 13, 1.0f }, { 1, 1.0f }, { 17, 0.0f } }, chord()));
        add ("osc envelope", 44100.0, 512, 30000,
             settings ({ { 3, 0.2f }, { 4, 0.1f }, { 5, 0.7f }, { 6, 0.3f }, { 7, 1.0f } }, chord()));
        add ("amp envelope", 44100.0, 512, 40000,
             settings ({ { 8, 0.05f }, { 9, 0.2f }, { 10, 0.6f }, { 11, 0.3f }, { 12, 0.4f } }, chord ({}, 20000)));
        add ("loud crush", 44100.0, 512, 20000, settings ({ { 12, 1.0f }, { 10, 1.0f } }, chord()));

        // Rates, and block sizes with events inside blocks.
        for (double rate : { 8000.0, 22050.0, 48000.0, 96000.0 })
            add ("rate " + std::to_string ((int) rate), rate, 512, 30000, settings ({ { 16, 0.0f } }, chord()));
        for (int block : { 1, 7, 16, 4096 })
            add ("block " + std::to_string (block), 44100.0, block, 20000, chord ({ on (5001, 62), off (9003, 62) }));

        // Voice stealing, repeated notes, all notes off.
        {
            std::vector<Step> s;
            for (int i = 0; i < 12; ++i)
                s.push_back (on (700 * i + 13 * (i % 3), 50 + 2 * i));
            for (int i = 0; i < 12; i += 2)
                s.push_back (off (9000 + 500 * i, 50 + 2 * i));
            for (int i = 0; i < 16; ++i)
                s.push_back (on (15000 + 3 * i, 40 + 3 * i));
            s.push_back (on (15100, 60));
            s.push_back (on (15200, 60));
            s.push_back (off (17000, 60));
            add ("stealing", 44100.0, 512, 26000, s);
            add ("stealing filter off, block 7", 44100.0, 7, 26000, settings ({ { 17, 0.0f }, { 16, 0.0f } }, s));
        }
        add ("all notes off", 44100.0, 512, 12000, chord ({ allOff (4100), on (4200, 72), on (4300, 72, 0) }));

        // Pitch bends: sweeps and the extremes.
        {
            std::vector<Step> s = chord();
            for (int i = 0; i < 160; ++i)
                s.push_back (wheel (100 * i + 7, (i * 977) % 16384));
            s.push_back (wheel (16500, 0));
            s.push_back (wheel (18000, 16383));
            s.push_back (wheel (19500, 8192));
            add ("pitch bends", 44100.0, 512, 22000, s);
            add ("pitch bends, block 16", 44100.0, 16, 22000, s);
        }

        // Hostile values in every slot, one value at a time.
        for (float v : { nan, inf, -inf, 1.0e30f, -1.0e30f, -5.0f, 3.0e38f })
        {
            std::vector<Step> s;
            for (int slot = 0; slot < 18; ++slot)
                s.push_back (set (0, slot, v));
            const auto c = chord();
            s.insert (s.end(), c.begin(), c.end());
            add ("hostile all " + text (v), 44100.0, 512, 16000, s);
        }
        for (int slot = 0; slot < 18; ++slot)
            for (float v : { nan, inf, -1.0e30f })
                add ("hostile slot " + std::to_string (slot) + " " + text (v), 44100.0, 512, 8000,
                     chord ({ set (0, 16, 0.0f), set (2000, slot, v), set (5000, slot, 0.3f) }, 4000));

        return list;
    }

    // Recorded from the scalar engine; every path must reproduce them.
    const std::map<std::string, std::uint64_t> expected = {
        { "shapes 1/1", 0xda0401ded798a766ull },
        { "shapes 1/2", 0x1839a94a5fdb034eull },
        { "shapes 1/3", 0xf50631121d42892bull },
        { "shapes 1/4", 0xa9840fc8b2bff27dull },
        { "shapes 1/5", 0x9613f45e626a97f9ull },
        { "shapes 2/1", 0x9cc220a8128074c3ull },
        { "shapes 2/2", 0x6af10a1cc4bbdc02ull },
        { "shapes 2/3", 0x2435b2a79852a03full },
        { "shapes 2/4", 0xfa233984c030ecc9ull },
        { "shapes 2/5", 0x9a8af88558024de6ull },
        { "shapes 3/1", 0x82cc75d2e69b37d2ull },
        { "shapes 3/2", 0xa58341ce91b63f5aull },
        { "shapes 3/3", 0x945f02365bcf5332ull },
        { "shapes 3/4", 0x74ae3600ddf421d9ull },
        { "shapes 3/5", 0x22254687a41b5934ull },
        { "shapes 4/1", 0x3d042c9bc77983cdull },
        { "shapes 4/2", 0x7467887e37df6ee8ull },
        { "shapes 4/3", 0x1f674400fa435077ull },
        { "shapes 4/4", 0xfff60a706d35c241ull },
        { "shapes 4/5", 0xa53efe111dcb00eaull },
        { "shapes 5/1", 0xf4956d39c86c1ff4ull },
        { "shapes 5/2", 0x5bba3120c475cb35ull },
        { "shapes 5/3", 0x0d2e5269ac8edec2ull },
        { "shapes 5/4", 0x380fe12792a5c15full },
        { "shapes 5/5", 0xf3c38a34d0abe4f7ull },
        { "shape ids outside", 0xb9f55f578e14c215ull },
        { "shape change sounding", 0x95b8961a6d2c0b91ull },
        { "default", 0x2661b4f0e2b1b643ull },
        { "crush off", 0x1a2094858174821eull },
        { "filter off", 0x3bcbb7ffd1bdb344ull },
        { "rand 0", 0x2e05adb48700ad6bull },
        { "rand 0.25", 0x5af3e45ea6339dd9ull },
        { "rand 1", 0xd1fbafb4f01ac089ull },
        { "disp 0", 0x1ac2fc904c225558ull },
        { "disp 0.6", 0xf9c65f0b41f3a5d9ull },
        { "disp 1", 0x7a9036dea94142bdull },
        { "oct 0", 0xbc86408a0e91c2bfull },
        { "oct 1", 0x4de193a5c6094fafull },
        { "arp 0.5", 0x76a3d5c84e2d0beaull },
        { "arp 0.75", 0x76a3d5c84e2d0beaull },
        { "arp 1", 0xa09c2a8e4d1cac40ull },
        { "arp with rand", 0x3a56cd377a87af74ull },
        { "osc envelope", 0x8f574fecd9aef379ull },
        { "amp envelope", 0x602c213c57563aa7ull },
        { "loud crush", 0x6695df71f90e2bb1ull },
        { "rate 8000", 0x0b21730d6920e88aull },
        { "rate 22050", 0xf2235054c514e9ccull },
        { "rate 48000", 0x97e75d470c3be425ull },
        { "rate 96000", 0x536753e9198f1e53ull },
        { "block 1", 0x3975f87c52e2f49eull },
        { "block 7", 0xac97ac9846c3341eull },
        { "block 16", 0x86b75ceb878f337eull },
        { "block 4096", 0x221698509cf013a4ull },
        { "stealing", 0x859e9dd844a1626cull },
        { "stealing filter off, block 7", 0x45bd156b2c81afa4ull },
        { "all notes off", 0x7ce4c607afa06d74ull },
        { "pitch bends", 0xef04b4734b86bca6ull },
        { "pitch bends, block 16", 0x1641e36983fd79e5ull },
        { "hostile all nan", 0xdd14fcc6528cab25ull },
        { "hostile all inf", 0xdd14fcc6528cab25ull },
        { "hostile all -inf", 0xcf654e80f4b4e31cull },
        { "hostile all 1e+30", 0xdd14fcc6528cab25ull },
        { "hostile all -1e+30", 0xcf654e80f4b4e31cull },
        { "hostile all -5", 0x2bfd979d6a62fa72ull },
        { "hostile all 3e+38", 0xdd14fcc6528cab25ull },
        { "hostile slot 0 nan", 0x868c11157d11c589ull },
        { "hostile slot 0 inf", 0xa31a73d21c651d12ull },
        { "hostile slot 0 -1e+30", 0xcd064d897deb6c86ull },
        { "hostile slot 1 nan", 0x82fefd5db06b3028ull },
        { "hostile slot 1 inf", 0x4bd03a031c7d4d60ull },
        { "hostile slot 1 -1e+30", 0x3e72b3ea6dc05c22ull },
        { "hostile slot 2 nan", 0xb20e59d5cac99401ull },
        { "hostile slot 2 inf", 0xb20e59d5cac99401ull },
        { "hostile slot 2 -1e+30", 0xb20e59d5cac99401ull },
        { "hostile slot 3 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 3 inf", 0xda6c98c6f5ed8069ull },
        { "hostile slot 3 -1e+30", 0xda6c98c6f5ed8069ull },
        { "hostile slot 4 nan", 0xfc634e8bbf5555a0ull },
        { "hostile slot 4 inf", 0xf2f02a2434835cdcull },
        { "hostile slot 4 -1e+30", 0xfc634e8bbf5555a0ull },
        { "hostile slot 5 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 5 inf", 0x1fc377d9a17b9f88ull },
        { "hostile slot 5 -1e+30", 0xda6c98c6f5ed8069ull },
        { "hostile slot 6 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 6 inf", 0xda6c98c6f5ed8069ull },
        { "hostile slot 6 -1e+30", 0xda6c98c6f5ed8069ull },
        { "hostile slot 7 nan", 0xc34460a6aacea1fcull },
        { "hostile slot 7 inf", 0xfec78f92188f24f5ull },
        { "hostile slot 7 -1e+30", 0xff9d37ef076e7185ull },
        { "hostile slot 8 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 8 inf", 0xda6c98c6f5ed8069ull },
        { "hostile slot 8 -1e+30", 0xda6c98c6f5ed8069ull },
        { "hostile slot 9 nan", 0xaa465ba0e04c97e0ull },
        { "hostile slot 9 inf", 0xa682edaacd737363ull },
        { "hostile slot 9 -1e+30", 0xaa465ba0e04c97e0ull },
        { "hostile slot 10 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 10 inf", 0xda5a9ac22c2c2696ull },
        { "hostile slot 10 -1e+30", 0xda6c98c6f5ed8069ull },
        { "hostile slot 11 nan", 0x6904111a0b33fff8ull },
        { "hostile slot 11 inf", 0x3894a5f83f4e5331ull },
        { "hostile slot 11 -1e+30", 0x6904111a0b33fff8ull },
        { "hostile slot 12 nan", 0x58141d867cde2dd5ull },
        { "hostile slot 12 inf", 0xebd9b49643ece3e5ull },
        { "hostile slot 12 -1e+30", 0x8dc75abaa40a84e5ull },
        { "hostile slot 13 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 13 inf", 0xda6c98c6f5ed8069ull },
        { "hostile slot 13 -1e+30", 0xda6c98c6f5ed8069ull },
        { "hostile slot 14 nan", 0xb14ea58f5c1c0cc6ull },
        { "hostile slot 14 inf", 0xb14ea58f5c1c0cc6ull },
        { "hostile slot 14 -1e+30", 0xb14ea58f5c1c0cc6ull },
        { "hostile slot 15 nan", 0xbdc3cfd305f245d9ull },
        { "hostile slot 15 inf", 0xbdc3cfd305f245d9ull },
        { "hostile slot 15 -1e+30", 0xbdc3cfd305f245d9ull },
        { "hostile slot 16 nan", 0xda6c98c6f5ed8069ull },
        { "hostile slot 16 inf", 0xb44cd126dd784243ull },
        { "hostile slot 16 -1e+30", 0xb44cd126dd784243ull },
        { "hostile slot 17 nan", 0x772375e92701e0c8ull },
        { "hostile slot 17 inf", 0x6c0301ee1d5ef591ull },
        { "hostile slot 17 -1e+30", 0x6c0301ee1d5ef591ull },
    };
}

TEST (Golden, EveryScenarioRendersTheSameBitsOnEveryPath)
{
    const bool print = std::getenv ("ZEPHYRINE_GOLDEN_PRINT") != nullptr;
    const auto list = scenarios();

    // The widest path this processor has, then each narrower one.
    for (const auto limit : { voicelanes::Path::avx2, voicelanes::Path::baseline, voicelanes::Path::voiceByVoice })
    {
        voicelanes::limitPath (limit);
        const auto path = voicelanes::currentPath();
        if (path != limit && limit != voicelanes::Path::avx2)
            continue;   // the wider run used this path already
        const char* const pathName = path == voicelanes::Path::avx2 ? "avx2" : (path == voicelanes::Path::baseline ? "baseline" : "voice by voice");
        for (const Scenario& s : list)
        {
            bool channelsAgree = false;
            const std::uint64_t h = render (s, channelsAgree);
            if (print && limit == voicelanes::Path::avx2)
                std::printf ("        { \"%s\", 0x%016llxull },\n", s.name.c_str(), (unsigned long long) h);
            const auto found = expected.find (s.name);
            EXPECT_TRUE (found != expected.end() && found->second == h) << s.name << " on the " << pathName << " path";
            EXPECT_TRUE (channelsAgree) << s.name;
        }
    }
    voicelanes::limitPath (voicelanes::Path::avx2);
}
