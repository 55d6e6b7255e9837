// The window's picture layout, mouse mapping, first size and remembered-position checks, as
// tables worked out by hand.
#include <gtest/gtest.h>

#include "platform/WindowLayout.h"

using platform::FirstWindowSize;
using platform::FitPicture;
using platform::PictureLayout;
using platform::PlacementVisible;
using platform::Rect;
using platform::Size;
using platform::WindowToPicture;

namespace {

struct FitCase {
    Size Drawable;
    Rect Picture;
    int WholeScale;
    bool Smooth;
};

// Wider than 4:3 -> full height, width = height * 4 / 3, centred; narrower -> full width.
const FitCase kFitCases[] = {
    {{800, 600}, {0, 0, 800, 600}, 1, false},      // the picture as it is
    {{1600, 1200}, {0, 0, 1600, 1200}, 2, false},  // an 800 x 600 window at HiDPI 2x: sharp 2x
    {{2400, 1800}, {0, 0, 2400, 1800}, 3, false},  // exact 3x
    {{1920, 1080}, {240, 0, 1440, 1080}, 1, true}, // 1080 * 4/3 = 1440, bars (1920-1440)/2 = 240
    {{3840, 2160}, {480, 0, 2880, 2160}, 3, true}, // 2160 * 4/3 = 2880; 2880/800 = 3.6 -> 3x, then linear
    {{1000, 1000}, {0, 125, 1000, 750}, 1, true},  // 1000 * 3/4 = 750, bars (1000-750)/2 = 125
    {{400, 300}, {0, 0, 400, 300}, 1, true},       // the smallest window: 1x, filtered down
    {{801, 601}, {0, 0, 801, 600}, 1, true},       // 801*600 < 601*800 -> width; 801*3/4 = 600.75 -> 600
    {{1601, 1200},
     {0, 0, 1600, 1200},
     2,
     false},                            // one spare column: bar of 1 (rounded to the left), exact 2x
    {{0, 600}, {0, 0, 0, 0}, 1, false}, // a collapsed window draws nothing
    {{1, 1}, {0, 0, 0, 0}, 1, false},   // 1 * 3/4 = 0 rows: nothing
};

TEST(WindowLayout, PictureKeepsItsShapeCentredAndScalesWholeFirst) {
    for (const FitCase& c : kFitCases) {
        const PictureLayout l = FitPicture(c.Drawable);
        SCOPED_TRACE(std::to_string(c.Drawable.W) + "x" + std::to_string(c.Drawable.H));
        EXPECT_EQ(l.Picture, c.Picture);
        EXPECT_EQ(l.WholeScale, c.WholeScale);
        EXPECT_EQ(l.Smooth, c.Smooth);
    }
}

struct MouseCase {
    Size Window, Drawable;
    int X, Y;
    bool OnPicture;
    int PictureX, PictureY;
};

// Picture pixel = floor((window unit centre * density - bar) * 800 / picture width).
const MouseCase kMouseCases[] = {
    {{800, 600}, {800, 600}, 0, 0, true, 0, 0},
    {{800, 600}, {800, 600}, 799, 599, true, 799, 599},
    {{800, 600}, {800, 600}, 800, 300, false, 0, 0}, // just outside the window
    {{800, 600}, {800, 600}, -1, 300, false, 0, 0},
    {{1920, 1080}, {1920, 1080}, 239, 540, false, 0, 0},      // the last column of the left bar
    {{1920, 1080}, {1920, 1080}, 240, 0, true, 0, 0},         // (240.5 - 240) * 800/1440 = 0.28
    {{1920, 1080}, {1920, 1080}, 960, 540, true, 400, 300},   // 720.5 * 0.556 = 400.3; 540.5 * 0.556 = 300.3
    {{1920, 1080}, {1920, 1080}, 1679, 1079, true, 799, 599}, // 1439.5 * 0.556 = 799.7
    {{1920, 1080}, {1920, 1080}, 1680, 540, false, 0, 0},     // 1440.5 * 0.556 = 800.3: right bar
    {{1000, 1000}, {1000, 1000}, 500, 124, false, 0, 0},      // top bar ends at row 124
    {{1000, 1000}, {1000, 1000}, 999, 125, true, 799, 0},     // 999.5 * 0.8 = 799.6; 0.5 * 0.8 = 0.4
    {{1000, 1000}, {1000, 1000}, 500, 874, true, 400, 599},   // 749.5 * 0.8 = 599.6
    {{1000, 1000}, {1000, 1000}, 500, 875, false, 0, 0},      // 750.5 * 0.8 = 600.4: bottom bar
    {{800, 600}, {1600, 1200}, 10, 20, true, 10, 20},         // HiDPI 2x: 10.5 * 2 = 21 drawable, / 2 = 10.5
    {{800, 600}, {1600, 1200}, 799, 599, true, 799, 599},
    {{960, 540}, {1920, 1080}, 119, 270, false, 0, 0},  // HiDPI with bars: 119.5 * 2 = 239 < 240
    {{960, 540}, {1920, 1080}, 120, 270, true, 0, 300}, // 120.5 * 2 = 241 -> 1 * 0.556 = 0.56
    {{400, 300}, {400, 300}, 399, 299, true, 799, 599}, // half size: 399.5 * 2 = 799; 299.5 * 2 = 599
    {{400, 300}, {400, 300}, 0, 0, true, 1, 1},         // 0.5 * 2 = 1: the unit's centre is pixel 1
};

TEST(WindowLayout, MousePositionsMapBackToPicturePixelsAndBarsAreOffPicture) {
    for (const MouseCase& c : kMouseCases) {
        const PictureLayout l = FitPicture(c.Drawable);
        int px = -1, py = -1;
        SCOPED_TRACE(std::to_string(c.Window.W) + "x" + std::to_string(c.Window.H) + " at " +
                     std::to_string(c.X) + "," + std::to_string(c.Y));
        ASSERT_EQ(WindowToPicture(l, c.Window, c.Drawable, c.X, c.Y, px, py), c.OnPicture);
        if (!c.OnPicture) continue;
        EXPECT_EQ(px, c.PictureX);
        EXPECT_EQ(py, c.PictureY);
    }
}

struct FirstSizeCase {
    Size Usable, Window;
};

// 85 % of the usable area, then the largest whole multiple of 800 x 600 in it.
const FirstSizeCase kFirstSizeCases[] = {
    {{1920, 1080}, {800, 600}},   // room 1632 x 918: 2x would need 1200 rows
    {{2560, 1440}, {1600, 1200}}, // room 2176 x 1224
    {{2560, 1400}, {800, 600}},   // the same screen with a 40-row panel: room 1190 rows, 2x no longer fits
    {{3840, 2160}, {2400, 1800}}, // room 3264 x 1836
    {{1366, 740}, {800, 600}},    // room 1161 x 629
    {{1024, 576}, {652, 489}},    // netbook: room 870 x 489, 1x does not fit; 489 / 3 = 163 -> 652 x 489
    {{400, 300}, {400, 300}},     // room 340 x 255 is below the minimum window
};

TEST(WindowLayout, FirstWindowIsTheLargestWholeMultipleInMostOfTheWorkArea) {
    for (const FirstSizeCase& c : kFirstSizeCases) {
        SCOPED_TRACE(std::to_string(c.Usable.W) + "x" + std::to_string(c.Usable.H));
        EXPECT_EQ(FirstWindowSize(c.Usable), c.Window);
    }
}

TEST(WindowLayout, RememberedPositionCountsOnlyWhenTheWindowCanStillBeGrabbed) {
    const std::vector<Rect> one{{0, 0, 1920, 1080}};
    const std::vector<Rect> two{{0, 0, 1920, 1080}, {1920, 0, 2560, 1440}};
    EXPECT_TRUE(PlacementVisible({100, 100, 800, 600}, one));
    EXPECT_FALSE(PlacementVisible({3000, 100, 800, 600}, one));  // right of the only display
    EXPECT_FALSE(PlacementVisible({1871, 100, 800, 600}, one));  // 49 columns on screen
    EXPECT_TRUE(PlacementVisible({1820, 100, 800, 600}, one));   // 100 columns
    EXPECT_TRUE(PlacementVisible({-700, -500, 800, 600}, one));  // 100 x 100 in the top-left corner
    EXPECT_FALSE(PlacementVisible({100, 1040, 800, 600}, one));  // 40 rows above the bottom edge
    EXPECT_TRUE(PlacementVisible({3000, 1200, 800, 600}, two));  // on the second, taller display
    EXPECT_FALSE(PlacementVisible({3000, 1200, 800, 600}, one)); // that display is gone
    EXPECT_FALSE(PlacementVisible({100, 100, 800, 600}, {}));
}

} // namespace
