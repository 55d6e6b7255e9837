// Font resolution, the text canvas and the thirteen text styles.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "DrawFixture.h"
#include "engine/SurfaceCanvas.h"
#include "platform/Text.h"
#include "stage/TextStyles.h"

namespace {

constexpr uint16_t kBackdrop = 0x0841;

uint16_t Backdrop(int x, int y) {
    return uint16_t(kBackdrop + ((x ^ y) & 7));
}

} // namespace

TEST(FontFaces, GameFacesResolveToInstalledSubstitutes) {
    struct Case {
        const char* face;
        bool bold;
        const char* file; // file name the face must resolve to
        bool boldFile;
    };
    const Case cases[] = {
        {"Arial", false, "LiberationSans-Regular.ttf", false},
        {"arial", false, "LiberationSans-Regular.ttf", false},
        {"Arial", true, "LiberationSans-Bold.ttf", true},
        {"Times New Roman", true, "LiberationSerif-Bold.ttf", true},
        {"Arial Black", false, "LiberationSans-Bold.ttf", true},
        {"DS Crystal", false, "DSEG14Classic-Regular.ttf", false},
    };
    EXPECT_FALSE(platform::FontRulesPath().empty()) << "the game's font rules were not found";
    for (const Case& c : cases) {
        platform::FontFace face;
        ASSERT_TRUE(platform::ResolveFontFace(c.face, c.bold, face)) << c.face;
        EXPECT_EQ(std::filesystem::path(face.File).filename(), c.file) << c.face << (c.bold ? " bold" : "");
        EXPECT_EQ(face.Bold, c.boldFile) << c.face;
    }
}

TEST(FontFaces, PointsAreMeasuredAt96DotsPerInch) {
    const int table[][2] = {{16, 21}, {14, 19}, {19, 25}, {20, 27}, {24, 32}, {26, 35}, {30, 40}, {0, 0}};
    for (const auto& row : table)
        EXPECT_EQ(platform::PointsToPixels(row[0]), row[1]) << row[0];
}

TEST(FontFaces, EachFontIsOpenedOnce) {
    platform::Font* a = platform::OpenFont("Arial", 16, false);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(platform::OpenFont("Arial", 16, false), a);
    EXPECT_NE(platform::OpenFont("Arial", 16, true), a);
    EXPECT_NE(platform::OpenFont("Arial", 17, false), a);
    EXPECT_EQ(platform::OpenFont("Arial", 0, false), nullptr) << "no size, no font";
}

class TextCanvas : public DrawFixture {
  protected:
    void Fill() {
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                Back().PixelAt(x, y) = Backdrop(x, y);
    }
};

TEST_F(TextCanvas, ClearBrushLeavesThePixelsBetweenGlyphsUnchanged) {
    Fill();
    UseTextStyle(7);
    PrintText("Hello, river!", 100, 100, false);
    const uint16_t ink = RGBToPixel565(255, 241, 0);
    int inked = 0, other = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint16_t p = Back().PixelAt(x, y);
            if (p == ink) {
                ++inked;
                EXPECT_TRUE(x >= 100 && x < 100 + MeasureText("Hello, river!") + 2 && y >= 100 && y < 160)
                    << x << "," << y;
            } else if (p != Backdrop(x, y)) {
                ++other;
            }
        }
    EXPECT_GT(inked, 200);
    EXPECT_EQ(other, 0) << "nothing but the font colour is written";
    EXPECT_TRUE(Back().TextCanvas().HoldsContext());
    Back().ReleaseCanvas();
    EXPECT_FALSE(Back().TextCanvas().HoldsContext());
}

TEST_F(TextCanvas, SolidBrushFillsTheTextCell) {
    Fill();
    TDirectDrawSurfaceCanvas& canvas = Back().TextCanvas();
    canvas.Font = TCanvasFont{"Arial", 16, RGBColor(255, 255, 255), fpVariable, false};
    canvas.Brush = TCanvasBrush{bsSolid, RGBColor(0, 0, 255)};
    canvas.TextOut(10, 10, "Box");
    const TRect cell = Bounds(10, 10, canvas.TextWidth("Box"), canvas.TextHeight());
    for (int y = cell.Top; y < cell.Bottom; ++y)
        for (int x = cell.Left; x < cell.Right; ++x) {
            const uint16_t p = Back().PixelAt(x, y);
            ASSERT_TRUE(p == RGBToPixel565(0, 0, 255) || p == 0xFFFF) << x << "," << y;
        }
    EXPECT_EQ(Back().PixelAt(cell.Right, cell.Top), Backdrop(cell.Right, cell.Top));
}

TEST_F(TextCanvas, CentredTextStartsAtTheTruncatedHalfWidth) {
    UseTextStyle(1);
    // Find texts of odd and even width: the odd ones are where rounding would show.
    int tested = 0;
    for (const char* text : {"1", "11", "7", "77", "i", "ii", "W", "WW", "Level 3", "Ab"}) {
        const int w = MeasureText(text);
        for (int centre : {100, 2, -3}) {
            SCOPED_TRACE(testing::Message() << text << " width " << w << " centre " << centre);
            Back().FillAll(0);
            PrintText(text, centre, 50, true);
            std::vector<uint16_t> centred(Back().Pixels(), Back().Pixels() + 800 * 600);
            Back().FillAll(0);
            // Toward zero, not down: width 7 on 100 starts at 96, on 2 at -1.
            const int left = int(std::trunc(centre - w / 2.0));
            PrintText(text, left, 50, false);
            EXPECT_TRUE(std::equal(centred.begin(), centred.end(), Back().Pixels()));
            if (w % 2 == 1 && centre == 100) {
                EXPECT_EQ(left, 100 - w / 2 - 1);
            }
            if (w % 2 == 1 && centre == 2) {
                EXPECT_EQ(left, 2 - w / 2);
            }
        }
        tested += w % 2;
    }
    EXPECT_GT(tested, 0) << "no odd width among the samples";
}

TEST_F(TextCanvas, TextAtTheEdgesIsClipped) {
    UseTextStyle(13);
    for (auto [x, y] : {std::pair{-30, -10}, {790, 590}, {-1000, 300}, {400, 700}, {INT32_MIN, INT32_MIN}}) {
        Back().FillAll(0);
        PrintText("88:88", x, y, false);
    }
    Back().FillAll(0);
    PrintText("88", 790, 590, false);
    EXPECT_NE(std::count(Back().Pixels(), Back().Pixels() + 800 * 600, 0), 800 * 600)
        << "the visible part is drawn";
    EXPECT_EQ(MeasureText(""), 0);
    PrintText("", 10, 10, true);
}

TEST_F(TextCanvas, StylesSetFaceSizeColourAndWeight) {
    struct Row {
        const char* face;
        int size;
        bool bold;
        uint8_t r, g, b;
    };
    const Row rows[] = {
        {"Arial", 16, false, 3, 9, 255},
        {"DS Crystal", 16, false, 255, 255, 255},
        {"Arial", 20, true, 255, 180, 27},
        {"DS Crystal", 19, false, 11, 39, 210},
        {"DS Crystal", 19, false, 255, 255, 255},
        {"DS Crystal", 14, false, 11, 39, 210},
        {"Arial", 30, false, 255, 241, 0},
        {"Arial Black", 30, false, 11, 39, 210},
        {"Arial", 30, false, 255, 241, 0},
        {"Arial", 26, false, 255, 241, 0},
        {"Times New Roman", 30, true, 45, 91, 240},
        {"Arial", 24, false, 255, 241, 0},
        {"DS Crystal", 30, false, 255, 241, 0},
    };
    TDirectDrawSurfaceCanvas& canvas = Back().TextCanvas();
    for (int n = 1; n <= TextStyleCount; ++n) {
        canvas.Brush.Style = bsSolid;
        UseTextStyle(n);
        const Row& r = rows[n - 1];
        EXPECT_EQ(canvas.Font.Name, r.face) << n;
        EXPECT_EQ(canvas.Font.Size, r.size) << n;
        EXPECT_EQ(canvas.Font.Bold, r.bold) << n;
        EXPECT_EQ(canvas.Font.Color, RGBColor(r.r, r.g, r.b)) << n;
        EXPECT_EQ(canvas.Font.Pitch, fpVariable);
        EXPECT_EQ(canvas.Brush.Style, bsClear);
        EXPECT_GT(MeasureText("Score 120"), 0) << "style " << n << " has a usable font";
    }
    UseTextStyle(3);
    UseTextStyle(14);
    EXPECT_EQ(canvas.Font.Size, 20) << "an unknown style changes nothing";
    // The bold style is drawn heavier than the plain one of the same face and size.
    canvas.Font = TCanvasFont{"Arial", 20, 0, fpVariable, false};
    const int plain = canvas.TextWidth("Options");
    canvas.Font.Bold = true;
    EXPECT_GT(canvas.TextWidth("Options"), plain);
}
