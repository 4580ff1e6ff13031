// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "VstTestHost.h"

#include <cstring>

using namespace vsttest;

namespace
{
    std::vector<uint8_t> rawChunk (vsthost::Plugin& p, void** data, bool preset = false)
    {
        const auto size = p.dispatch (effGetChunk, preset ? 1 : 0, 0, data);
        const auto* bytes = static_cast<const uint8_t*> (*data);
        return size > 0 && bytes != nullptr ? std::vector<uint8_t> (bytes, bytes + size) : std::vector<uint8_t>();
    }
}

TEST (VstChunks, ANewInstanceHandsOutItsStateAndTakesItBack)
{
    auto plugin = load();
    auto& p = *plugin;

    void* data = nullptr;
    const auto fresh = rawChunk (p, &data);
    ASSERT_EQ (fresh.size(), 205u);
    const uint8_t header[] = { 0x56, 0x43, 0x32, 0x21, 0xc3, 0x00, 0x00, 0x00 };
    EXPECT_EQ (std::memcmp (fresh.data(), header, sizeof (header)), 0);
    EXPECT_EQ (std::memcmp (fresh.data() + 8, "<t_SETTINGS 0=\"", 15), 0);
    EXPECT_EQ (fresh[203], 0);

    // Program and bank chunks carry the same state.
    void* presetData = nullptr;
    EXPECT_EQ (rawChunk (p, &presetData, true), fresh);

    // The host may hand back the very pointer it was given.
    p.setParameter (4, 0.125f);
    p.setParameter (16, 0.0f);
    const auto edited = rawChunk (p, &data);
    p.setParameter (4, 0.9f);
    p.setParameter (16, 1.0f);
    EXPECT_EQ (p.dispatch (effSetChunk, 0, (intptr_t) edited.size(), data), 0);
    EXPECT_EQ (p.getParameter (4), 0.125f);
    EXPECT_EQ (p.getParameter (16), 0.0f);
    EXPECT_EQ (p.getChunk(), edited);

    // Into another instance, through a copy.
    auto other = load();
    EXPECT_EQ (other->setChunk (edited), 0);
    EXPECT_EQ (other->getParameter (4), 0.125f);
    EXPECT_EQ (other->getChunk(), edited);
}

TEST (VstChunks, BadChunksChangeNothing)
{
    auto plugin = load();
    auto& p = *plugin;
    p.setParameter (0, 0.75f);
    const auto before = p.getChunk();

    std::vector<uint8_t> garbage (300);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = (uint8_t) (i * 37 + 11);

    std::vector<uint8_t> lyingLength (before);
    lyingLength[4] = 0xff;
    lyingLength[5] = 0xff;
    lyingLength[6] = 0xff;
    lyingLength[7] = 0x7f;

    std::vector<uint8_t> truncated (before.begin(), before.begin() + 100);

    EXPECT_EQ (p.dispatch (effSetChunk, 0, 0, garbage.data()), 0);
    EXPECT_EQ (p.dispatch (effSetChunk, 0, -1, garbage.data()), 0);
    EXPECT_EQ (p.dispatch (effSetChunk, 0, (intptr_t) 1 << 40, nullptr), 0);
    EXPECT_EQ (p.dispatch (effSetChunk, 0, 8, const_cast<uint8_t*> (before.data())), 0);
    EXPECT_EQ (p.setChunk (garbage), 0);
    EXPECT_EQ (p.setChunk (truncated), 0);
    EXPECT_EQ (p.setChunk ({}), 0);
    EXPECT_EQ (p.getChunk(), before);

    // A length field past the data is cut to the data actually given; the
    // text still parses, so the state loads.
    p.setParameter (0, 0.5f);
    EXPECT_EQ (p.setChunk (lyingLength), 0);
    EXPECT_EQ (p.getParameter (0), 0.75f);
}
