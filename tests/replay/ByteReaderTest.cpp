// The replay reader's fields are little-endian and its first error sticks.
#include "replay/ByteReader.h"

#include <gtest/gtest.h>

namespace {

using replay::TByteReader;

TEST(ByteReaderTest, ReadsLittleEndianFields) {
    const uint8_t bytes[] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                             8,    7,    6,    5,    4,    3,    2,    1,    'h',  'i'};
    TByteReader in(bytes, sizeof bytes);
    EXPECT_EQ(in.U8(), 0x01);
    EXPECT_EQ(in.U16(), 0x1234);
    EXPECT_EQ(in.U32(), 0x12345678u);
    EXPECT_EQ(in.I32(), -2);
    EXPECT_EQ(in.U64(), 0x0102030405060708ull);
    EXPECT_EQ(in.Text(2), "hi");
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ByteReaderTest, FirstReadPastTheEndFailsEveryLaterRead) {
    const uint8_t bytes[] = {0xAA, 0xBB, 0xCC};
    TByteReader in(bytes, sizeof bytes);
    EXPECT_EQ(in.U32(), 0u); // one byte short
    EXPECT_TRUE(in.Failed());
    // The bytes are still there, but a failed reader hands out nothing more.
    EXPECT_EQ(in.U8(), 0);
    EXPECT_EQ(in.U16(), 0);
    EXPECT_EQ(in.Text(1), "");
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.Position(), 0u);
    EXPECT_EQ(in.Remaining(), 0u);

    // A u64 whose high half is missing returns 0, not the low half.
    TByteReader big(bytes, sizeof bytes);
    const uint8_t five[] = {1, 2, 3, 4, 5};
    TByteReader in64(five, sizeof five);
    EXPECT_EQ(in64.U64(), 0u);
    EXPECT_TRUE(in64.Failed());
    // A huge text length fails without allocating.
    EXPECT_EQ(big.Text(size_t(-1)), "");
    EXPECT_TRUE(big.Failed());
}

} // namespace
