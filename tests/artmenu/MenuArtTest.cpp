// Checks the built menu picture list against the places the menu screens draw its pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/DIB.h"
#include "engine/PictureCollection.h"
#include "engine/Types.h"

namespace {

const std::string kRes1 = std::string(SPRAYDASH_DATA_DIR) + "/Res/Res1.dxg";
constexpr TColor kFuchsia = 0x00FF00FF; // clFuchsia, $00BBGGRR

// Loads the menu list once for all tests.
class MenuPictures : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        list_ = new TPictureCollection();
        list_->LoadListFile(kRes1);
    }
    static void TearDownTestSuite() {
        delete list_;
        list_ = nullptr;
    }
    static TPictureCollection* list_;
};
TPictureCollection* MenuPictures::list_ = nullptr;

// Where a picture is drawn and what it must leave free: its frame placed at (X, Y) must end at or
// before (MaxRight, MaxBottom) and be at least MinWidth x MinHeight.
struct Placement {
    const char* Name;
    int Patterns;
    int X, Y;
    int MaxRight, MaxBottom;
    int MinWidth, MinHeight;
};

// The screen layout the menu code draws at: every picture the menus and their dialogs name.
const Placement kPlacements[] = {
    // Backdrop and panels: the panels span the width, the upper one carries the logo.
    {"MMBackground", 1, 0, 0, 800, 600, 800, 600},
    {"UpPanel", 1, 0, 0, 800, 110, 800, 80},
    {"DownPanel", 1, 0, 550, 800, 600, 400, 40},
    // Main-menu buttons rest at X 556; rows are 60 apart from Y 114, the exit button at Y 423.
    {"MMB_Active", 5, 556, 114, 800, 174, 200, 40},
    {"MMB_Inactive", 5, 556, 114, 800, 174, 200, 40},
    {"MM_ExitActive", 1, 556, 423, 800, 550, 200, 40},
    {"MM_ExitInactive", 1, 556, 423, 800, 550, 200, 40},
    // Captions at (27, 190), left of the buttons, above the lower panel.
    {"NullCaption", 1, 27, 190, 556, 550, 400, 200},
    {"StartC", 1, 27, 190, 556, 550, 400, 200},
    {"OptionsC", 1, 27, 190, 556, 550, 400, 200},
    {"HSC", 1, 27, 190, 556, 550, 400, 200},
    {"HelpC", 1, 27, 190, 556, 550, 400, 200},
    {"VisitWWWC", 1, 27, 190, 556, 550, 400, 200},
    {"ExitC", 1, 27, 190, 556, 550, 400, 200},
    // High scores: the backdrop holds rows drawn down to y 440 + a line, above the clear button.
    {"HSB", 1, 12, 106, 556, 488, 450, 354},
    {"ClearHS", 2, 265, 488, 556, 530, 120, 24},
    {"ViewHS", 2, 148, 530, 556, 600, 120, 24},
    // Help pages above the page buttons; "Previous" must stop before "Next".
    {"Help1", 1, 12, 106, 556, 510, 450, 300},
    {"Help2", 1, 12, 106, 556, 510, 450, 300},
    {"Help3", 1, 12, 106, 556, 510, 450, 300},
    {"Previous", 2, 160, 510, 446, 600, 60, 24},
    {"Next", 2, 446, 510, 556, 600, 60, 24},
    // Boat choice: the title above the cards, each card before the next one's X.
    {"StartGameB", 1, 12, 106, 556, 192, 300, 40},
    {"MenuBoat1_A", 1, 28, 192, 195, 550, 120, 200},
    {"MenuBoat1_I", 1, 28, 192, 195, 550, 120, 200},
    {"MenuBoat2_A", 1, 195, 192, 370, 550, 120, 200},
    {"MenuBoat2_I", 1, 195, 192, 370, 550, 120, 200},
    {"MenuBoat3_A", 1, 370, 192, 556, 550, 120, 200},
    {"MenuBoat3_I", 1, 370, 192, 556, 550, 120, 200},
    // Options: the title above the first row; rows 60 apart; the tag text starts at x 265.
    {"OptionsB", 1, 12, 106, 556, 180, 300, 40},
    {"Options1_1", 1, 14, 180, 556, 240, 400, 40},
    {"Options1_2", 1, 14, 180, 556, 240, 400, 40},
    {"Options2_1", 1, 14, 240, 556, 300, 400, 40},
    {"Options2_2", 1, 14, 240, 556, 300, 400, 40},
    {"Options3_1", 1, 14, 300, 556, 360, 400, 40},
    {"Options3_2", 1, 14, 300, 556, 360, 400, 40},
    {"Options4", 1, 14, 360, 556, 420, 400, 40},
    {"OptButton_A", 1, 14, 180, 556, 240, 400, 40},
    {"OptButton_I", 1, 14, 180, 556, 240, 400, 40},
    // Dialog backdrop centred on x 400, holding the Yes / No buttons (down to y 384).
    {"Window", 1, 210, 200, 590, 420, 380, 184},
    {"YesButton", 2, 315, 344, 414, 400, 50, 30},
    {"NoButton", 2, 422, 344, 590, 400, 50, 30},
    {"Cursor", 1, 217, 363, 235, 368, 6, 2},
};

TEST_F(MenuPictures, EveryMenuPictureIsThereAndFitsWhereItIsDrawn) {
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.Name);
        TPictureCollectionItem* item = nullptr;
        ASSERT_NO_THROW(item = &list_->FindItem(p.Name));
        EXPECT_EQ(item->NumPatterns(), p.Patterns);
        const int w = item->FrameWidth(), h = item->FrameHeight();
        EXPECT_LE(p.X + w, p.MaxRight) << w << " x " << h;
        EXPECT_LE(p.Y + h, p.MaxBottom) << w << " x " << h;
        EXPECT_GE(w, p.MinWidth);
        EXPECT_GE(h, p.MinHeight);
    }
}

TEST_F(MenuPictures, PicturesSwappedOnOneSpriteShareTheirSize) {
    // A sprite keeps its size when its picture changes, so every look of one slot must match.
    const std::vector<std::vector<const char*>> groups = {
        {"MMB_Active", "MMB_Inactive", "MM_ExitActive", "MM_ExitInactive"},
        {"NullCaption", "StartC", "OptionsC", "HSC", "HelpC", "VisitWWWC", "ExitC"},
        {"Help1", "Help2", "Help3"},
        {"Options1_1", "Options1_2", "Options2_1", "Options2_2", "Options3_1", "Options3_2", "Options4",
         "OptButton_A", "OptButton_I"},
        {"MenuBoat1_A", "MenuBoat1_I"},
        {"MenuBoat2_A", "MenuBoat2_I"},
        {"MenuBoat3_A", "MenuBoat3_I"},
        {"YesButton", "NoButton"},
    };
    for (const auto& group : groups) {
        const TPictureCollectionItem& first = list_->FindItem(group[0]);
        for (const char* name : group) {
            SCOPED_TRACE(name);
            const TPictureCollectionItem& item = list_->FindItem(name);
            EXPECT_EQ(item.FrameWidth(), first.FrameWidth());
            EXPECT_EQ(item.FrameHeight(), first.FrameHeight());
        }
    }
}

// Counts the pixels of one pattern cell that are the key colour, and those that would become the key
// once reduced to the display's 5-6-5 pixels without being it exactly.
struct KeyCount {
    int Key = 0, NearKey = 0, Total = 0;
};
KeyCount CountKey(const TPictureCollectionItem& item, int pattern) {
    const TGraphic* g = item.Picture().Graphic();
    KeyCount c;
    if (!g) return c;
    const int w = item.FrameWidth(), h = item.FrameHeight();
    const int cols = g->Width() / w;
    const int x0 = (pattern % cols) * w, y0 = (pattern / cols) * h;
    const uint16_t key565 = RGBToPixel565(0xFF, 0x00, 0xFF);
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            const TColor px = g->PixelColor(x, y);
            ++c.Total;
            if (px == kFuchsia) {
                ++c.Key;
            } else if (RGBToPixel565(ColorRed(px), ColorGreen(px), ColorBlue(px)) == key565) {
                ++c.NearKey;
            }
        }
    return c;
}

TEST_F(MenuPictures, KeyedPicturesUseFuchsiaAndNoArtTurnsTransparent) {
    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.Name);
        const TPictureCollectionItem& item = list_->FindItem(p.Name);
        ASSERT_NE(item.Picture().Graphic(), nullptr);
        if (item.Transparent) {
            EXPECT_EQ(item.TransparentColor(), kFuchsia);
        }
        for (int i = 0; i < item.NumPatterns(); ++i) {
            const KeyCount c = CountKey(item, i);
            EXPECT_EQ(c.NearKey, 0) << "pattern " << i;
            // Every pattern shows something: a blank cell means a missing layer.
            EXPECT_LT(c.Key, c.Total) << "pattern " << i;
        }
    }
}

TEST_F(MenuPictures, BackdropCoversTheScreenAndFramesShowTheRowThrough) {
    const TPictureCollectionItem& bg = list_->FindItem("MMBackground");
    EXPECT_FALSE(bg.Transparent);
    EXPECT_EQ(CountKey(bg, 0).Key, 0);
    // The option frames are drawn over a row: their middle must be the key, or the row is hidden.
    for (const char* name : {"OptButton_A", "OptButton_I"}) {
        SCOPED_TRACE(name);
        const TPictureCollectionItem& f = list_->FindItem(name);
        ASSERT_TRUE(f.Transparent);
        EXPECT_EQ(f.Picture().Graphic()->PixelColor(f.FrameWidth() / 2, f.FrameHeight() / 2), kFuchsia);
        EXPECT_GT(CountKey(f, 0).Key, f.FrameWidth() * f.FrameHeight() / 2);
    }
}

// Whether two cells hold different pixels.
bool CellsDiffer(const TPictureCollectionItem& a, int pa, const TPictureCollectionItem& b, int pb) {
    const TGraphic* ga = a.Picture().Graphic();
    const TGraphic* gb = b.Picture().Graphic();
    const int w = a.FrameWidth(), h = a.FrameHeight();
    const int colsA = ga->Width() / w, colsB = gb->Width() / w;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (ga->PixelColor((pa % colsA) * w + x, (pa / colsA) * h + y) !=
                gb->PixelColor((pb % colsB) * w + x, (pb / colsB) * h + y))
                return true;
    return false;
}

TEST_F(MenuPictures, HighlightedAndNormalLooksDiffer) {
    // (picture, pattern) pairs the menus switch between to show the highlight.
    struct Pair {
        const char* A;
        int PatternA;
        const char* B;
        int PatternB;
    };
    const Pair pairs[] = {
        {"MMB_Active", 0, "MMB_Inactive", 0},
        {"MMB_Active", 4, "MMB_Inactive", 4},
        {"MM_ExitActive", 0, "MM_ExitInactive", 0},
        {"ClearHS", 0, "ClearHS", 1},
        {"ViewHS", 0, "ViewHS", 1},
        {"Previous", 0, "Previous", 1},
        {"Next", 0, "Next", 1},
        {"MenuBoat1_A", 0, "MenuBoat1_I", 0},
        {"MenuBoat2_A", 0, "MenuBoat2_I", 0},
        {"MenuBoat3_A", 0, "MenuBoat3_I", 0},
        {"OptButton_A", 0, "OptButton_I", 0},
        {"YesButton", 0, "YesButton", 1},
        {"NoButton", 0, "NoButton", 1},
        {"YesButton", 0, "NoButton", 0},
        // Each main-menu label is its own pattern, and each option state its own picture.
        {"MMB_Inactive", 0, "MMB_Inactive", 1},
        {"MMB_Inactive", 3, "MMB_Inactive", 4},
        {"Options1_1", 0, "Options1_2", 0},
        {"Options2_1", 0, "Options2_2", 0},
        {"Options3_1", 0, "Options3_2", 0},
        {"Help1", 0, "Help2", 0},
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(std::string(p.A) + "/" + std::to_string(p.PatternA) + " vs " + p.B + "/" +
                     std::to_string(p.PatternB));
        EXPECT_TRUE(CellsDiffer(list_->FindItem(p.A), p.PatternA, list_->FindItem(p.B), p.PatternB));
    }
}

TEST(PictureData, BothPictureListsTogetherStayUnderSixMegabytes) {
    // The packer stores pictures of up to 256 colours run-length coded; a picture that slips past the
    // rasteriser's colour limit is stored at 24 bits and blows this budget quickly.
    const std::filesystem::path res = std::filesystem::path(SPRAYDASH_DATA_DIR) / "Res";
    ASSERT_TRUE(std::filesystem::exists(res / "Res1.dxg"));
    ASSERT_TRUE(std::filesystem::exists(res / "Res3.dxg"));
    const auto total =
        std::filesystem::file_size(res / "Res1.dxg") + std::filesystem::file_size(res / "Res3.dxg");
    EXPECT_LT(total, 6u * 1024 * 1024);
}

} // namespace
