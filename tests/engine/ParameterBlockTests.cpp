// Zephyrine — a small software synthesizer plug-in.
// Copyright (C) 2026 the Zephyrine developers. GPL-3.0-or-later.
#include "engine/FloatRules.h"
#include "engine/ParameterBlock.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

TEST (ParameterBlock, DefaultsHaveTheirExactBits)
{
    const std::uint32_t bits[ParameterBlock::slotCount] = {
        0x3EA8D9D7, 0x3F31056C, 0x3F000000, 0x00000000, 0x3F51B3C0, 0x00000000,
        0x00000000, 0x3F000000, 0x00000000, 0x3EDF51AD, 0x00000000, 0x3D02B94E,
        0x3DC415F4, 0x00000000, 0x40000000, 0x40000000, 0x3F800000, 0x3F800000
    };

    ParameterBlock block;
    for (int i = 0; i < ParameterBlock::slotCount; ++i)
        EXPECT_EQ (std::bit_cast<std::uint32_t> (block.get (i)), bits[i]) << "slot " << i;
    EXPECT_EQ ((float) block.pitchBend, 0.0f);
}

TEST (ParameterBlock, IndicesAreClampedBothWays)
{
    ParameterBlock block;
    EXPECT_EQ (block.get (-3), block.get (0));
    EXPECT_EQ (block.get (18), block.get (17));
    EXPECT_EQ (block.get (1000), block.get (17));

    block.set (18, 0.25f);
    EXPECT_EQ (block.get (17), 0.25f);
    block.set (-1, 0.75f);
    EXPECT_EQ (block.get (0), 0.75f);
}

TEST (FloatRules, ConversionsSaturateAndRoundHalfToEven)
{
    using namespace floatrules;
    EXPECT_EQ (truncateToInt (2.9f), 2);
    EXPECT_EQ (truncateToInt (-2.9f), -2);
    EXPECT_EQ (truncateToInt (std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ (truncateToInt (1.0e30f), INT_MAX);
    EXPECT_EQ (truncateToInt (-std::numeric_limits<float>::infinity()), INT_MIN);

    EXPECT_EQ (roundHalfEven (0.5), 0);
    EXPECT_EQ (roundHalfEven (1.5), 2);
    EXPECT_EQ (roundHalfEven (-0.5), 0);
    EXPECT_EQ (roundHalfEven (-2.5), -2);
    EXPECT_EQ (roundHalfEven (0.64), 1);

    // Switches: more than 0.5 away from zero is on.
    EXPECT_FALSE (isSwitchOn (0.5f));
    EXPECT_TRUE (isSwitchOn (0.51f));
    EXPECT_TRUE (isSwitchOn (-0.7f));
    EXPECT_FALSE (isSwitchOn (std::numeric_limits<float>::quiet_NaN()));
}
