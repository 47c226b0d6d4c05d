// The flag set's answers, above all the edge masks (empty, not held, several
// bits) that the callers asking for a flag's position depend on.

#include "qbn_flags.h"

#include <gtest/gtest.h>

namespace {

TEST(Flags, EmptyMaskIsAlwaysHeld)
{
    EXPECT_TRUE(CQBNFlags(0).hasFlags(0));
    EXPECT_TRUE(CQBNFlags(0xFFFFFFFFul).hasFlags(0));
}

TEST(Flags, HasFlagsNeedsEveryBitOfTheMask)
{
    const CQBNFlags flags(0x0F);
    EXPECT_TRUE(flags.hasFlags(0x05));
    EXPECT_TRUE(flags.hasFlags(0x0F));
    EXPECT_FALSE(flags.hasFlags(0x11));
    EXPECT_TRUE(CQBNFlags(0xFFFFFFFFul).hasFlags(0x80000001ul));
}

TEST(Flags, GetIndexGivesHighestBitOfAHeldMask)
{
    unsigned long ulIndex = 99;
    EXPECT_FALSE(CQBNFlags(0xFF).getIndex(0, ulIndex));
    EXPECT_EQ(99u, ulIndex);
    EXPECT_FALSE(CQBNFlags(0x7F).getIndex(0x80, ulIndex));
    EXPECT_EQ(99u, ulIndex);

    EXPECT_TRUE(CQBNFlags(0xFF).getIndex(0x80, ulIndex));
    EXPECT_EQ(7u, ulIndex);
    EXPECT_TRUE(CQBNFlags(0xFF).getIndex(1, ulIndex));
    EXPECT_EQ(0u, ulIndex);
    EXPECT_TRUE(CQBNFlags(0xFF).getIndex(6, ulIndex));
    EXPECT_EQ(2u, ulIndex);
    EXPECT_TRUE(CQBNFlags(0x80000000ul).getIndex(0x80000000ul, ulIndex));
    EXPECT_EQ(31u, ulIndex);
}

TEST(Flags, CopiesCompareByValue)
{
    CQBNFlags flags(0x12);
    const CQBNFlags same(0x12);
    EXPECT_FALSE(flags != same);
    EXPECT_TRUE(flags != CQBNFlags(0x13));
    flags = CQBNFlags(0x13);
    EXPECT_EQ(0x13u, flags.getValue());
}

} // namespace
