// The software path's own scaler: the sharp-then-smooth weights worked out by hand on single rows
// and columns, the colour widening, an exact floating-point filter on a whole picture, and every
// vector code against the plain one, writing nowhere outside the picture's rectangle.
#include "platform/PictureScaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using platform::PixelFormat32;
using platform::ScalerCode;
using platform::Size;

constexpr uint16_t kBlack = 0x0000, kWhite = 0xFFFF;

const ScalerCode kEveryCode[] = {ScalerCode::Fastest, ScalerCode::Vector256, ScalerCode::Vector128,
                                 ScalerCode::Plain};

std::string Name(ScalerCode c) {
    switch (c) {
    case ScalerCode::Fastest:
        return "fastest";
    case ScalerCode::Vector256:
        return "256-bit";
    case ScalerCode::Vector128:
        return "128-bit";
    default:
        return "plain";
    }
}

// Scales `picture` into a buffer with a guard border of two pixels on every side; returns the
// target's pixels and checks that the border was not written.
std::vector<uint32_t> Scaled(const std::vector<uint16_t>& picture, Size from, Size to, int whole,
                             ScalerCode code, PixelFormat32 format = {}) {
    constexpr uint32_t kGuard = 0xA5A5A5A5u;
    const int pitch = to.W + 4;
    std::vector<uint32_t> buffer(size_t(pitch) * size_t(to.H + 4), kGuard);
    platform::ScalePlan plan = platform::PlanScale(from, to, whole, format);
    platform::ScalePicture(plan, picture.data(), from.W,
                           reinterpret_cast<uint8_t*>(buffer.data() + 2 * pitch + 2), pitch * 4, code);
    std::vector<uint32_t> out;
    int outside = 0;
    for (int y = 0; y < to.H + 4; ++y)
        for (int x = 0; x < pitch; ++x) {
            const uint32_t v = buffer[size_t(y) * size_t(pitch) + size_t(x)];
            if (y >= 2 && y < to.H + 2 && x >= 2 && x < to.W + 2)
                out.push_back(v);
            else if (v != kGuard)
                ++outside;
        }
    EXPECT_EQ(outside, 0) << "pixels written outside the target";
    return out;
}

// One row of black and white picture pixels enlarged to `target` pixels; the expected grey
// levels are worked out from pixel centres: target pixel t samples stage position
// (t + 0.5) * stage / target - 0.5, and blends its two stage neighbours by the fraction.
struct LineCase {
    const char* What;
    std::vector<uint16_t> Picture;
    int Target, Whole;
    std::vector<int> Expected;
};

const LineCase kLines[] = {
    // Stage 2 -> 4: positions -0.25 (clamped: 0), 0.25, 0.75, 1.25 (past the end: 255).
    // 0.25 of 255 = 63.75 -> 64 in 256ths (64 * 255 + 128) >> 8 = 64; 0.75 -> (192 * 255 + 128) >> 8 = 191.
    {"doubled by filtering", {kBlack, kWhite}, 4, 1, {0, 64, 191, 255}},
    // Sharp 2x first (stage black, black, white, white) -> 5: positions -0.1, 0.7, 1.5, 2.3, 3.1.
    // 0.7 lies between two blacks, 2.3 between two whites; only 1.5 mixes: (128 * 255 + 128) >> 8 = 128.
    {"sharp twice, then filtered to 2.5 times", {kBlack, kWhite}, 5, 2, {0, 0, 128, 255, 255}},
    // A whole multiple: every sample lies between two copies of one pixel.
    {"exactly twice, sharp", {kBlack, kWhite}, 4, 2, {0, 0, 255, 255}},
    // The picture's own size: positions 0, 1, 2 exactly.
    {"its own size", {kBlack, kWhite, kBlack}, 3, 1, {0, 255, 0}},
    // 5 -> 9 (1.8 times): positions (10t - 4) / 18. t = 1: 6/18 -> weight (6 * 256 + 9) / 18 = 85 ->
    // (85 * 255 + 128) >> 8 = 85; t = 2: 16/18 -> 228 -> 227; t = 3: 1 + 8/18 -> 114, from white to
    // black: (142 * 255 + 128) >> 8 = 141; t = 4: exactly 2 -> 0; then the mirror image.
    {"1.8 times", {kBlack, kWhite, kBlack, kWhite, kBlack}, 9, 1, {0, 85, 227, 141, 0, 141, 227, 85, 0}},
    // Made smaller (a window under the picture's size): 4 -> 2, positions 0.5 and 2.5, each halfway.
    {"halved", {kBlack, kWhite, kBlack, kWhite}, 2, 1, {128, 128}},
};

TEST(PictureScaler, RowsAndColumnsTakeTheWeightsWorkedOutFromPixelCentres) {
    for (const LineCase& c : kLines)
        for (ScalerCode code : kEveryCode) {
            if (!platform::ScalerCodeAvailable(code)) continue;
            const int n = int(c.Picture.size());
            for (bool across : {true, false}) {
                SCOPED_TRACE(std::string(c.What) + (across ? ", a row" : ", a column") + ", " + Name(code));
                const Size from = across ? Size{n, 1} : Size{1, n},
                           to = across ? Size{c.Target, 1} : Size{1, c.Target};
                const std::vector<uint32_t> out = Scaled(c.Picture, from, to, c.Whole, code);
                std::vector<int> grey;
                for (uint32_t v : out) {
                    // A grey stays grey: all three channels alike.
                    EXPECT_EQ((v >> 16) & 0xFF, v & 0xFF);
                    EXPECT_EQ((v >> 8) & 0xFF, v & 0xFF);
                    grey.push_back(int(v & 0xFF));
                }
                EXPECT_EQ(grey, c.Expected);
            }
        }
}

TEST(PictureScaler, ColoursWidenEachChannelToItsPlaceInTheTargetPixel) {
    const PixelFormat32 xrgb{16, 8, 0, 0};           // X8R8G8B8
    const PixelFormat32 abgr{0, 8, 16, 0xFF000000u}; // A8B8G8R8, alpha always full
    struct Case {
        uint16_t Picture;
        PixelFormat32 Format;
        uint32_t Expected;
    } cases[] = {
        {0xF800, xrgb, 0x00FF0000u}, // full red
        {0x07E0, xrgb, 0x0000FF00u}, // full green (six bits: 63 -> 255)
        {0x001F, xrgb, 0x000000FFu}, // full blue
        {0x0000, xrgb, 0x00000000u},
        // Red 16 -> 16 << 3 | 16 >> 2 = 132; green 32 -> 32 << 2 | 32 >> 4 = 130; blue 16 -> 132.
        {0x8410, xrgb, 0x00848284u},
        // Red 1 -> 8, green 1 -> 4, blue 1 -> 8.
        {0x0821, xrgb, 0x00080408u},
        {0xF800, abgr, 0xFF0000FFu},
        {0x001F, abgr, 0xFFFF0000u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::TargetColour(c.Picture, c.Format), c.Expected) << std::hex << c.Picture;
        // Through the scaler (and every code's own conversion) at the picture's own size.
        for (ScalerCode code : kEveryCode) {
            if (!platform::ScalerCodeAvailable(code)) continue;
            const std::vector<uint16_t> picture(17, c.Picture); // wider than one vector step
            const std::vector<uint32_t> out = Scaled(picture, {17, 1}, {17, 1}, 1, code, c.Format);
            EXPECT_EQ(out, std::vector<uint32_t>(17, c.Expected))
                << std::hex << c.Picture << " " << Name(code);
        }
    }
}

// A picture where neighbours differ in every channel.
std::vector<uint16_t> Pattern(Size s) {
    std::vector<uint16_t> p(size_t(s.W) * size_t(s.H));
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = uint16_t(uint32_t(i) * 40503u + 7u);
    return p;
}

TEST(PictureScaler, AWholePictureIsWithinOneLevelOfAnExactFilter) {
    const Size from{37, 23};
    const std::vector<uint16_t> picture = Pattern(from);
    struct Case {
        Size To;
        int Whole;
    } cases[] = {{{67, 41}, 1}, {{82, 51}, 2}, {{121, 77}, 3}, {{20, 13}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.To.W) + " x " + std::to_string(c.To.H));
        const std::vector<uint32_t> out = Scaled(picture, from, c.To, c.Whole, ScalerCode::Fastest);
        const int stageW = from.W * c.Whole, stageH = from.H * c.Whole;
        auto channel = [&](int sx, int sy, int k) {
            return double((platform::TargetColour(
                               picture[size_t(sy / c.Whole) * size_t(from.W) + size_t(sx / c.Whole)], {}) >>
                           (8 * k)) &
                          0xFF);
        };
        int worst = 0;
        for (int y = 0; y < c.To.H; ++y)
            for (int x = 0; x < c.To.W; ++x) {
                const double u = std::clamp((x + 0.5) * stageW / c.To.W - 0.5, 0.0, stageW - 1.0);
                const double v = std::clamp((y + 0.5) * stageH / c.To.H - 0.5, 0.0, stageH - 1.0);
                const int i = int(u), j = int(v), i1 = std::min(i + 1, stageW - 1),
                          j1 = std::min(j + 1, stageH - 1);
                const double fu = u - i, fv = v - j;
                for (int k = 0; k < 3; ++k) {
                    const double exact = (1 - fv) * ((1 - fu) * channel(i, j, k) + fu * channel(i1, j, k)) +
                                         fv * ((1 - fu) * channel(i, j1, k) + fu * channel(i1, j1, k));
                    const int got = int((out[size_t(y) * size_t(c.To.W) + size_t(x)] >> (8 * k)) & 0xFF);
                    worst = std::max(worst, int(std::lround(std::fabs(got - exact))));
                }
            }
        EXPECT_LE(worst, 1);
    }
}

TEST(PictureScaler, EveryVectorCodeGivesThePlainCodesPixels) {
    struct Case {
        Size To;
        int Whole;
    } cases[] = {
        {{1440, 1080}, 1}, // 1920 x 1080
        {{1757, 1318}, 2}, // an odd window size
        {{2880, 2160}, 3}, // 3840 x 2160
        {{1600, 1200}, 2}, // a whole multiple
        {{401, 301}, 1},   // a window smaller than the picture
        {{3, 2}, 1},       // shorter than any vector step
    };
    const Size from{800, 600};
    const std::vector<uint16_t> picture = Pattern(from);
    for (const Case& c : cases) {
        const std::vector<uint32_t> plain = Scaled(picture, from, c.To, c.Whole, ScalerCode::Plain);
        for (ScalerCode code : {ScalerCode::Fastest, ScalerCode::Vector256, ScalerCode::Vector128}) {
            if (!platform::ScalerCodeAvailable(code)) continue;
            SCOPED_TRACE(std::to_string(c.To.W) + " x " + std::to_string(c.To.H) + ", " + Name(code));
            const std::vector<uint32_t> out = Scaled(picture, from, c.To, c.Whole, code);
            ASSERT_EQ(out.size(), plain.size());
            size_t differing = 0, first = 0;
            for (size_t i = 0; i < out.size(); ++i)
                if (out[i] != plain[i] && differing++ == 0) first = i;
            EXPECT_EQ(differing, 0u) << "first at (" << first % size_t(c.To.W) << ", "
                                     << first / size_t(c.To.W) << ")";
        }
    }
}

TEST(PictureScaler, AnEmptyTargetWritesNothing) {
    const std::vector<uint16_t> picture = Pattern({8, 6});
    platform::ScalePlan plan = platform::PlanScale({8, 6}, {0, 0}, 1, {});
    uint32_t untouched = 0x12345678u;
    platform::ScalePicture(plan, picture.data(), 8, reinterpret_cast<uint8_t*>(&untouched), 4);
    EXPECT_EQ(untouched, 0x12345678u);
}

} // namespace
