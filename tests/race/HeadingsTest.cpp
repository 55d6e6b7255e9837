// The boat's fixed sine and cosine table: the same bits as this machine's C library for every
// tilt, and the C library's own result for a tilt the rules never produce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "race/Boat.h"
#include "race/Headings.h"

namespace {

uint64_t Bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The C library at run time, on the argument the boat has always used (no constant folding: the
// compiler's own evaluation could round differently from the library).
double LibrarySin(int32_t heading) {
    volatile int32_t h = heading;
    return std::sin(h * AngleUnit);
}
double LibraryCos(int32_t heading) {
    volatile int32_t h = heading;
    return std::cos(h * AngleUnit);
}

} // namespace

TEST(Headings, EveryTiltMatchesTheLibraryBitForBit) {
    for (int32_t h = MinHeading; h <= MaxHeading; ++h) {
        EXPECT_EQ(Bits(HeadingSin(h)), Bits(LibrarySin(h))) << "sin of heading " << h;
        EXPECT_EQ(Bits(HeadingCos(h)), Bits(LibraryCos(h))) << "cos of heading " << h;
    }
}

TEST(Headings, KnownValuesAtTheEndsAndTheMiddle) {
    // 0 is straight ahead; 25/256 of a turn is 35.15625 degrees: sin 0.57581..., cos 0.81758...
    EXPECT_EQ(Bits(HeadingSin(0)), Bits(0.0));
    EXPECT_EQ(HeadingCos(0), 1.0);
    EXPECT_NEAR(HeadingSin(25), 0.5758081914178453, 1e-15);
    EXPECT_NEAR(HeadingCos(25), 0.8175848131515837, 1e-15);
    EXPECT_NEAR(HeadingSin(-25), -0.5758081914178453, 1e-15);
    EXPECT_NEAR(HeadingSin(1), 0.024541228522912288, 1e-16);
}

TEST(Headings, TiltOutsideTheTableIsComputedAsBefore) {
    // The rules keep Heading within -25..25 (steering stops there, straightening moves toward 0,
    // a spin sets 14); a value set from outside still gets the library's result.
    const std::vector<int32_t> outside = {-26, 26, 64, -128, 1000};
    for (int32_t h : outside) {
        EXPECT_EQ(Bits(HeadingSin(h)), Bits(LibrarySin(h))) << "sin of heading " << h;
        EXPECT_EQ(Bits(HeadingCos(h)), Bits(LibraryCos(h))) << "cos of heading " << h;
    }
    EXPECT_NEAR(HeadingSin(64), 1.0, 1e-15); // a quarter turn
}
