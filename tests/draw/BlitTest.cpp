// Rectangle copies, rotated copies and pixel locks on raw 5-6-5 surfaces.
#include <gtest/gtest.h>

#include <random>

#include "DrawFixture.h"
#include "engine/Surface.h"

namespace {

constexpr uint16_t kUntouched = 0x1234;

// A source whose every pixel is distinct, so a wrong source position shows.
uint16_t Unique(int x, int y) {
    return uint16_t(0x4000 + y * 64 + x);
}

// Checks that exactly Dest of Surface holds Source from (SrcX, SrcY) onwards and every other pixel
// is untouched.
void ExpectCopied(const TDirectDrawSurface& surface, const TDirectDrawSurface& source, TRect dest, int srcX,
                  int srcY) {
    int wrong = 0;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) {
            const bool inside = x >= dest.Left && x < dest.Right && y >= dest.Top && y < dest.Bottom;
            const uint16_t want =
                inside ? source.PixelAt(srcX + x - dest.Left, srcY + y - dest.Top) : kUntouched;
            if (surface.PixelAt(x, y) != want && ++wrong <= 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << surface.PixelAt(x, y) << ", want "
                              << want;
        }
    EXPECT_EQ(wrong, 0);
}

} // namespace

TEST(BlitRect, ClipsToBothSurfacesInItsOrder) {
    struct Case {
        const char* what;
        int x, y;
        TRect source;
        TRect dest; // what must change (empty: nothing)
        int srcX, srcY;
    };
    const Case cases[] = {
        {"inside", 10, 10, {0, 0, 32, 32}, {10, 10, 42, 42}, 0, 0},
        {"bottom-left corner", -10, 590, {0, 0, 32, 32}, {0, 590, 22, 600}, 10, 0},
        {"top-right corner", 790, -5, {0, 0, 32, 32}, {790, 0, 800, 27}, 0, 5},
        {"source rectangle starts before the source", 100, 100, {-4, -4, 8, 8}, {104, 104, 112, 112}, 0, 0},
        {"source rectangle runs past the source", 0, 0, {28, 28, 40, 40}, {0, 0, 4, 4}, 28, 28},
        {"part of the source", 300, 200, {5, 6, 9, 20}, {300, 200, 304, 214}, 5, 6},
        {"just past the right edge", 800, 0, {0, 0, 32, 32}, {}, 0, 0},
        {"beyond the right edge", 801, 0, {0, 0, 32, 32}, {}, 0, 0},
        {"beyond the bottom edge", 0, 601, {0, 0, 32, 32}, {}, 0, 0},
        {"wholly off to the left", -40, 0, {0, 0, 32, 32}, {}, 0, 0},
        {"far off with a huge rectangle", INT32_MIN + 5, 0, {0, 0, INT32_MAX, 32}, {}, 0, 0},
    };
    auto source = MakeSurface(32, 32, Unique);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto dest = MakeSurface(800, 600, [](int, int) { return kUntouched; });
        dest->BlitRect(c.x, c.y, c.source, source.get(), false);
        ExpectCopied(*dest, *source, c.dest, c.srcX, c.srcY);
    }
}

TEST(BlitRect, TransparentSkipsTheSourceKeyOpaqueCopiesIt) {
    // Widths around the eight-pixel blocks of the copy loop, key pixels scattered over them.
    auto source =
        MakeSurface(37, 3, [](int x, int y) { return (x * 7 + y) % 3 == 0 ? kKeyPixel : Unique(x, y); });
    source->SetColorKey(kKeyPixel);
    for (int width : {1, 7, 8, 9, 16, 37}) {
        SCOPED_TRACE(width);
        auto keyed = MakeSurface(40, 3, [](int, int) { return kUntouched; });
        auto opaque = MakeSurface(40, 3, [](int, int) { return kUntouched; });
        keyed->BlitRect(2, 0, TRect{0, 0, width, 3}, source.get(), true);
        opaque->BlitRect(2, 0, TRect{0, 0, width, 3}, source.get(), false);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) {
                const uint16_t s = source->PixelAt(x, y);
                EXPECT_EQ(keyed->PixelAt(x + 2, y), s == kKeyPixel ? kUntouched : s) << x << "," << y;
                EXPECT_EQ(opaque->PixelAt(x + 2, y), s) << x << "," << y;
            }
    }
    // An all-key source leaves everything as it was.
    auto blank = MakeSurface(16, 1, [](int, int) { return kKeyPixel; });
    blank->SetColorKey(kKeyPixel);
    auto dest = MakeSurface(16, 1, [](int, int) { return kUntouched; });
    dest->BlitRect(0, 0, TRect{0, 0, 16, 1}, blank.get(), true);
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(dest->PixelAt(x, 0), kUntouched);
}

TEST(BlitRect, NothingWithoutASourceOrPixels) {
    auto dest = MakeSurface(8, 8, [](int, int) { return kUntouched; });
    dest->BlitRect(0, 0, TRect{0, 0, 8, 8}, nullptr, false);
    TDirectDrawSurface empty;
    dest->BlitRect(0, 0, TRect{0, 0, 8, 8}, &empty, false);
    empty.BlitRect(0, 0, TRect{0, 0, 8, 8}, dest.get(), false);
    ExpectCopied(*dest, *dest, TRect{}, 0, 0);
}

// ---- rotated copies ----

namespace {

// Draws Source (whole) onto a fresh 800 x 600 surface with BlitRotated.
std::unique_ptr<TDirectDrawSurface> Rotated(TDirectDrawSurface& source, int x, int y, int w, int h, double cx,
                                            double cy, int angle, bool transparent = false) {
    auto dest = MakeSurface(800, 600, [](int, int) { return kUntouched; });
    dest->BlitRotated(x, y, w, h, source.SurfaceBounds(), &source, cx, cy, transparent, angle);
    return dest;
}

} // namespace

TEST(BlitRotated, AngleZeroDrawsThePatternCentredOnThePoint) {
    auto source = MakeSurface(40, 40, Unique);
    auto dest = Rotated(*source, 100, 100, 40, 40, 0.5, 0.5, 0);
    ExpectCopied(*dest, *source, TRect{80, 80, 120, 120}, 0, 0);
}

TEST(BlitRotated, ScalesToTheGivenSize) {
    auto source = MakeSurface(20, 10, Unique);
    auto dest = Rotated(*source, 100, 100, 40, 20, 0.5, 0.5, 0);
    for (int y = 90; y < 110; ++y)
        for (int x = 80; x < 120; ++x)
            ASSERT_EQ(dest->PixelAt(x, y), Unique((x - 80) / 2, (y - 90) / 2)) << x << "," << y;
    EXPECT_EQ(dest->PixelAt(79, 100), kUntouched);
    EXPECT_EQ(dest->PixelAt(120, 100), kUntouched);
}

TEST(BlitRotated, QuarterTurnPutsTheTopEdgeOnTheRight) {
    auto source = MakeSurface(40, 40, Unique);
    auto dest = Rotated(*source, 100, 100, 40, 40, 0.5, 0.5, 64);
    // Clockwise: source column c becomes screen row 80 + c, source row r screen column 120 - r.
    int drawn = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint16_t p = dest->PixelAt(x, y);
            if (p == kUntouched) continue;
            ++drawn;
            ASSERT_TRUE(x > 80 && x < 120 && y >= 80 && y < 120) << x << "," << y;
            ASSERT_EQ(p, Unique(y - 80, 120 - x)) << x << "," << y;
        }
    EXPECT_GE(drawn, 39 * 40);
    // The top rows are on the right, the bottom rows on the left.
    EXPECT_EQ(dest->PixelAt(119, 80), Unique(0, 1));
    EXPECT_EQ(dest->PixelAt(81, 80), Unique(0, 39));
}

TEST(BlitRotated, AnglesAreTakenModulo256) {
    auto source = MakeSurface(24, 16, Unique);
    const int pairs[][2] = {{256, 0}, {-64, 192}, {320, 64}, {-1, 255}, {INT32_MIN, 0}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(testing::Message() << p[0] << " vs " << p[1]);
        auto a = Rotated(*source, 300, 200, 24, 16, 0.5, 0.5, p[0]);
        auto b = Rotated(*source, 300, 200, 24, 16, 0.5, 0.5, p[1]);
        EXPECT_TRUE(std::equal(a->Pixels(), a->Pixels() + 800 * 600, b->Pixels()));
    }
}

TEST(BlitRotated, DrawsNothingForEmptySizesOrBadSourceRectangles) {
    auto source = MakeSurface(16, 16, Unique);
    struct Case {
        const char* what;
        int w, h;
        TRect rect;
    };
    const Case cases[] = {
        {"width 0", 0, 16, {0, 0, 16, 16}},
        {"height 0", 16, 0, {0, 0, 16, 16}},
        {"rectangle past the source", 16, 16, {0, 0, 17, 16}},
        {"rectangle before the source", 16, 16, {-1, 0, 16, 16}},
        {"empty rectangle", 16, 16, {4, 4, 4, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto dest = MakeSurface(64, 64, [](int, int) { return kUntouched; });
        dest->BlitRotated(32, 32, c.w, c.h, c.rect, source.get(), 0.5, 0.5, false, 10);
        ExpectCopied(*dest, *source, TRect{}, 0, 0);
    }
    TDirectDrawSurface empty;
    auto dest = MakeSurface(64, 64, [](int, int) { return kUntouched; });
    dest->BlitRotated(32, 32, 16, 16, TRect{0, 0, 16, 16}, &empty, 0.5, 0.5, false, 10);
    dest->BlitRotated(32, 32, 16, 16, TRect{0, 0, 16, 16}, nullptr, 0.5, 0.5, false, 10);
    ExpectCopied(*dest, *source, TRect{}, 0, 0);
}

TEST(BlitRotated, TransparentSkipsTheKeyOpaqueCopiesIt) {
    auto source =
        MakeSurface(20, 20, [](int x, int y) { return (x + y) % 4 == 0 ? kKeyPixel : Unique(x, y); });
    source->SetColorKey(kKeyPixel);
    for (int angle : {0, 40}) {
        auto keyed = Rotated(*source, 50, 50, 20, 20, 0.5, 0.5, angle, true);
        auto opaque = Rotated(*source, 50, 50, 20, 20, 0.5, 0.5, angle, false);
        int keys = 0;
        for (int i = 0; i < 800 * 600; ++i) {
            const uint16_t o = opaque->Pixels()[i], k = keyed->Pixels()[i];
            if (o == kKeyPixel) {
                ++keys;
                EXPECT_EQ(k, kUntouched);
            } else {
                EXPECT_EQ(k, o);
            }
        }
        EXPECT_GT(keys, 50) << angle;
    }
}

TEST(BlitRotated, NeverReadsOutsideTheSourceRectangleNorWritesOffTheSurface) {
    // The pattern sits inside a larger surface ringed by a value no copy may bring out; the
    // destination is a window inside a larger buffer checked the same way.
    constexpr uint16_t kForbidden = 0xDEAD;
    const TRect pattern{3, 5, 3 + 13, 5 + 9};
    auto source = MakeSurface(20, 20, [&](int x, int y) {
        const bool in = x >= pattern.Left && x < pattern.Right && y >= pattern.Top && y < pattern.Bottom;
        return in ? Unique(x, y) : kForbidden;
    });
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pos(-30, 90), size(1, 40), angle(-300, 300);
    std::uniform_real_distribution<double> centre(-0.5, 1.5);
    for (int i = 0; i < 3000; ++i) {
        auto dest = MakeSurface(64, 48, [](int, int) { return kUntouched; });
        const int x = pos(rng), y = pos(rng), w = size(rng), h = size(rng), a = angle(rng);
        const double cx = centre(rng), cy = centre(rng);
        dest->BlitRotated(x, y, w, h, pattern, source.get(), cx, cy, false, a);
        for (int p = 0; p < 64 * 48; ++p)
            ASSERT_NE(dest->Pixels()[p], kForbidden) << "x=" << x << " y=" << y << " w=" << w << " h=" << h
                                                     << " a=" << a << " c=" << cx << "," << cy;
    }
}

TEST(SurfaceLocks, DoNotNest) {
    TDirectDrawSurface s;
    TLockedPixels lock;
    EXPECT_FALSE(s.LockPixels(nullptr, lock)) << "no pixels";
    s.SetSize(8, 8);
    ASSERT_TRUE(s.LockPixels(nullptr, lock));
    EXPECT_FALSE(s.LockPixels(nullptr, lock));
    s.UnlockPixels();
    EXPECT_TRUE(s.LockPixels(nullptr, lock));
}

TEST(SurfaceFill, EveryPixelTakesTheColourWhetherOrNotItsTwoBytesAreAlike) {
    // Black and other colours with two alike bytes take the block fill; the rest the pixel loop.
    for (uint16_t colour : {uint16_t(0x0000), uint16_t(0xFFFF), uint16_t(0xABAB), uint16_t(0x1234),
                            uint16_t(0x00FF), uint16_t(0xF800)}) {
        TDirectDrawSurface s;
        s.SetSize(7, 5);
        s.PixelAt(6, 4) = kUntouched;
        ASSERT_TRUE(s.FillAll(colour));
        int wrong = 0;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                wrong += s.PixelAt(x, y) != colour;
        EXPECT_EQ(wrong, 0) << std::hex << colour;
    }
    TDirectDrawSurface empty;
    EXPECT_FALSE(empty.FillAll(0)) << "no pixels";
}
