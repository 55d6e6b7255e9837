// The random generator: its exact sequence and ranges, which course reproduction rests on.
#include <gtest/gtest.h>

#include "race/Random.h"

#include <cmath>

TEST(RandomBelow, SequenceFromZeroMatchesTheHighWordOfStateTimesN) {
    // (n, result, state after) worked out independently of the code.
    struct Case {
        int32_t n, result;
        uint32_t state;
    };
    const Case cases[] = {{2, 0, 1u},
                          {2, 0, 134775814u},
                          {1000, 861, 3698175007u},
                          {431, 87, 870078620u},
                          {150, 40, 1172187917u},
                          {32768, 22008, 2884733762u},
                          {70, 22, 1368768587u}};
    RandomState = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(RandomBelow(c.n), c.result) << "n " << c.n;
        EXPECT_EQ(RandomState, c.state);
    }
}

TEST(RandomBelow, StaysInRangeAndEmptyRangesStillStep) {
    RandomState = 12345;
    for (int i = 0; i < 10000; ++i) {
        const int32_t r = RandomBelow(7);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 7);
    }
    // A bank picture wider than its bank gives an empty range: 0, but the state moves on so
    // the draws after it stay in step.
    for (int32_t n : {0, -3}) {
        const uint32_t before = RandomState;
        EXPECT_EQ(RandomBelow(n), 0);
        EXPECT_EQ(RandomState, before * 134775813u + 1u);
    }
}

TEST(RandomUniform, IsAFifteenBitFraction) {
    // From state 99: 99 x 134775813 + 1 = 13342805488 = 457903600 mod 2^32, and
    // 457903600 x 32768 / 2^32 = 3493.5, so 3493 / 32768; the next two worked the same way.
    struct Case {
        uint32_t state;
        double u;
    };
    const Case cases[] = {
        {457903600u, 3493 / 32768.0}, {723977649u, 5523 / 32768.0}, {2889506934u, 22045 / 32768.0}};
    RandomState = 99;
    for (const Case& c : cases) {
        EXPECT_EQ(RandomUniform(), c.u);
        EXPECT_EQ(RandomState, c.state);
    }
    for (int i = 0; i < 1000; ++i) {
        const double u = RandomUniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        ASSERT_EQ(u * 32768, std::floor(u * 32768)) << "a whole number of 1/32768 steps";
    }
}
