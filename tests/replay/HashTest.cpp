// The replay's hashes against their published check values, and the state hash's byte order.
#include "replay/Hash.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace replay;

TEST(HashTest, Crc32MatchesThePublishedCheckValues) {
    struct Case {
        std::string text;
        uint32_t crc;
    };
    const Case cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Crc32(c.text.data(), c.text.size()), c.crc);
    }
}

TEST(HashTest, Fnv1a64MatchesThePublishedCheckValues) {
    struct Case {
        std::string text;
        uint64_t hash;
    };
    const Case cases[] = {
        {"", 0xcbf29ce484222325ull},
        {"a", 0xaf63dc4c8601ec8cull},
        {"foobar", 0x85944171f73967e8ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Fnv1a64(c.text.data(), c.text.size()), c.hash);
    }
    // Continuing a hash gives the hash of the whole.
    EXPECT_EQ(Fnv1a64("bar", 3, Fnv1a64("foo", 3)), 0x85944171f73967e8ull);
}

TEST(HashTest, Fold16XorsTheFourQuarters) {
    EXPECT_EQ(Fold16(0x1111222233334444ull), 0x4444); // 1111^2222 = 3333, ^3333 = 0, ^4444
    EXPECT_EQ(Fold16(0x8000000000000001ull), 0x8001);
    EXPECT_EQ(Fold16(0x0000ABCD00000000ull), 0xABCD);
    EXPECT_EQ(Fold16(0xFFFF0000FFFF0000ull), 0x0000);
}

TEST(HashTest, StateHashFeedsEachFieldAsItsLittleEndianBytes) {
    // "a" and three zero bytes is the u32 0x61; 1.0 is 3FF0000000000000 stored low byte first.
    const unsigned char u32Bytes[] = {'a', 0, 0, 0};
    EXPECT_EQ(TStateHash().U32(0x61).Value(), Fnv1a64(u32Bytes, 4));
    const unsigned char fields[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0,
                                    0xF0, 0x3F, 8,    7,    6, 5, 4, 3, 2, 1};
    EXPECT_EQ(TStateHash().I32(-1).Double(1.0).U64(0x0102030405060708ull).Value(),
              Fnv1a64(fields, sizeof fields));
    EXPECT_EQ(TStateHash().Value(), FnvOffsetBasis);
}

} // namespace
