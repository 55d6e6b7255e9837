// The race's picture list as the game loads it: every picture the race asks for by name, within the
// room the screen layout leaves for it, with usable animation strips, a seamless river tile, and a
// composed race scene written for reviewers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "platform/HeadlessWindow.h"
#include "platform/Png.h"
#include "support/Harness.h"

namespace {

constexpr TColor kFuchsia = 0x00FF00FF;

std::string Res3Path() {
    return std::string(SPRAYDASH_DATA_DIR) + "/Res/Res3.dxg";
}

// The list is read once, without a display: sizes and pattern counts come from the stored properties.
const TPictureCollection& Res3() {
    static std::unique_ptr<TPictureCollection> list = [] {
        auto c = std::make_unique<TPictureCollection>();
        c->LoadListFile(Res3Path());
        return c;
    }();
    return *list;
}

const TPictureCollectionItem& Item(const std::string& name) {
    return Res3().FindItem(name);
}

// Colour of pixel (x, y) of pattern `pattern` of a picture, as $00BBGGRR.
TColor PatternPixel(const TPictureCollectionItem& item, int pattern, int x, int y) {
    const TGraphic* g = item.Picture().Graphic();
    const int fw = item.FrameWidth(), fh = item.FrameHeight();
    const int cols = std::max(1, g->Width() / fw);
    return g->PixelColor((pattern % cols) * fw + x, (pattern / cols) * fh + y);
}

int OpaqueCount(const TPictureCollectionItem& item, int pattern) {
    int n = 0;
    for (int y = 0; y < item.FrameHeight(); ++y)
        for (int x = 0; x < item.FrameWidth(); ++x)
            n += PatternPixel(item, pattern, x, y) != kFuchsia;
    return n;
}

bool IsWater(TColor c) {
    return ColorBlue(c) > ColorRed(c) + 20;
}

// Every picture the race looks up by name: flow and panels, the player's boat and what it carries,
// wakes and explosions, river objects, bank decorations, other boats, and the race's dialogs.
const char* const kRaceNames[] = {
    "Land",           "LeftPanel",    "RightPanel",    "Pointer",        "BoatSmall",    "PanelGun",
    "PanelEngine",    "PanelShield",  "None",          "Boat1_Normal",   "Boat2_Normal", "Boat3_Normal",
    "Boat1_Big",      "Boat2_Big",    "Boat3_Big",     "BoatGun",        "BoatGunBig",   "BoatShield",
    "BoatShieldBig",  "BoatEngine",   "BoatEngineBig", "EngineFire",     "BoatGunFire",  "CarAnim",
    "BoatAnim",       "BoatAnim_Inv", "ExplosionBig",  "ExplosionSmall", "Tree",         "Tramplin",
    "Flag",           "Weed",         "Fisher",        "ShipRight",      "ShipLeft",     "BridgeBigLeft",
    "BridgeBigRight", "Duck",         "BoxLeft",       "BoxRight",       "Bonus10",      "Bonus20",
    "Bonus50",        "Bonus100",     "Gun",           "Shield",         "Engine",       "Life",
    "FinishLine",     "UmbrellaRed",  "UmbrellaGreen", "UmbrellaBlue",   "BedLeft",      "BedRight",
    "RoomRed",        "RoomBlue",     "Boat4",         "Boat5",          "Boat6",        "Boat7",
    "Boat8",          "Boat9",        "Boat4_Inv",     "Boat5_Inv",      "Boat6_Inv",    "Boat7_Inv",
    "Boat8_Inv",      "Boat9_Inv",    "Window",        "Cursor",
};

const char* const kOpaqueNames[] = {"Land", "LeftPanel", "RightPanel"};

} // namespace

TEST(RaceArt, EveryRacePictureLoadsWithPixelsAndTheFuchsiaKey) {
    for (const char* name : kRaceNames) {
        SCOPED_TRACE(name);
        const TPictureCollectionItem& item = Item(name);
        ASSERT_NE(item.Picture().Graphic(), nullptr);
        EXPECT_GT(item.FrameWidth(), 0);
        EXPECT_GT(item.FrameHeight(), 0);
        EXPECT_GE(item.NumPatterns(), 1);
        EXPECT_EQ(item.TransparentColor(), kFuchsia);
        const bool opaque =
            std::find_if(std::begin(kOpaqueNames), std::end(kOpaqueNames),
                         [&](const char* n) { return std::string(n) == name; }) != std::end(kOpaqueNames);
        EXPECT_EQ(item.Transparent, !opaque);
        for (int p = 0; p < item.NumPatterns(); ++p)
            EXPECT_GT(OpaqueCount(item, p), 0) << "pattern " << p;
    }
}

TEST(RaceArt, OpaquePicturesHaveNoKeyPixels) {
    // A stray key pixel in the river or a panel would let the black back surface show through.
    for (const char* name : kOpaqueNames) {
        SCOPED_TRACE(name);
        const TPictureCollectionItem& item = Item(name);
        EXPECT_EQ(OpaqueCount(item, 0), item.FrameWidth() * item.FrameHeight());
    }
}

TEST(RaceArt, SizesFitTheScreenLayout) {
    struct Limit {
        const char* Name;
        int MinW, MaxW, MinH, MaxH;
    };
    // Exact where the game's numbers depend on it, otherwise the room the layout leaves.
    const Limit limits[] = {
        {"Pointer", 38, 38, 7, 7},          // turned about (34, 4) by fixed centre fractions
        {"LeftPanel", 124, 124, 600, 600},  // the river tile starts at x 124
        {"RightPanel", 139, 141, 600, 600}, // at 799 - width, covering the right bank from x 660
        {"CarAnim", 84, 84, 83, 400},       // the wake's X is computed with a fixed 84
        {"FinishLine", 432, 432, 1, 80},    // from x 177 across the water to 609
        {"Window", 360, 400, 185, 220},     // at (210, 200), holding the Yes/No buttons at y 340-380
        {"BoatSmall", 10, 18, 16, 28},      {"Cursor", 8, 16, 2, 4},
        {"ShipRight", 110, 170, 40, 80},    {"ShipLeft", 110, 170, 40, 80},
        {"ExplosionBig", 80, 100, 80, 100}, {"ExplosionSmall", 40, 56, 40, 56},
    };
    for (const Limit& l : limits) {
        SCOPED_TRACE(l.Name);
        const TPictureCollectionItem& item = Item(l.Name);
        EXPECT_GE(item.FrameWidth(), l.MinW);
        EXPECT_LE(item.FrameWidth(), l.MaxW);
        EXPECT_GE(item.FrameHeight(), l.MinH);
        EXPECT_LE(item.FrameHeight(), l.MaxH);
    }
}

TEST(RaceArt, BankDecorationsAndOtherBoatsStayWithinTheirStrips) {
    // Bank X is RandomBelow(48 - width) + 127 (left) or RandomBelow(51 - width) + 610 (right).
    for (const char* name :
         {"UmbrellaRed", "UmbrellaGreen", "UmbrellaBlue", "BedLeft", "BedRight", "RoomRed", "RoomBlue"}) {
        SCOPED_TRACE(name);
        EXPECT_LT(Item(name).FrameWidth(), 48);
    }
    // A boat keeps a lane margin of 38 - width / 2 on each side of the water.
    for (int b = 4; b <= 9; ++b) {
        const std::string up = "Boat" + std::to_string(b), down = up + "_Inv";
        SCOPED_TRACE(up);
        EXPECT_LT(Item(up).FrameWidth(), 76);
        EXPECT_EQ(Item(down).FrameWidth(), Item(up).FrameWidth());
        EXPECT_EQ(Item(down).FrameHeight(), Item(up).FrameHeight());
        // The wake trails behind the whole boat.
        EXPECT_GT(Item("BoatAnim").FrameHeight(), Item(up).FrameHeight());
    }
    // Objects on the water take X = RandomBelow(431 - width) + 178.
    for (const char* name : {"Tree", "Tramplin", "Flag", "Weed", "Fisher", "ShipRight", "ShipLeft", "Duck",
                             "BoxLeft", "Boat6"}) {
        SCOPED_TRACE(name);
        EXPECT_LT(Item(name).FrameWidth(), 431);
    }
}

TEST(RaceArt, BridgesReachTheirBankAndLeaveAPassage) {
    const int bigBoat = Item("Boat1_Big").FrameWidth();
    // The right bridge starts at x 534 and runs under the panel (x 660 on).
    EXPECT_GE(534 + Item("BridgeBigRight").FrameWidth(), 660);
    EXPECT_GT(534 - 177, bigBoat);
    // The left bridge starts at x 170; the water beyond its end must still let a jumping boat through.
    EXPECT_GT(609 - (170 + Item("BridgeBigLeft").FrameWidth()), bigBoat);
    EXPECT_EQ(Item("BridgeBigLeft").FrameHeight(), Item("BridgeBigRight").FrameHeight());
}

TEST(RaceArt, PlayerBoatsShareOneSizeAndGrowAQuarterInTheAir) {
    const TPictureCollectionItem& first = Item("Boat1_Normal");
    EXPECT_NEAR(first.FrameWidth(), 40, 6);
    EXPECT_NEAR(first.FrameHeight(), 82, 8);
    for (const char* suffix : {"", "Gun", "Shield", "Engine"}) {
        const std::string normal = suffix[0] ? std::string("Boat") + suffix : "Boat1_Normal";
        const std::string big = suffix[0] ? normal + "Big" : "Boat1_Big";
        SCOPED_TRACE(normal);
        EXPECT_NEAR(double(Item(big).FrameWidth()) / Item(normal).FrameWidth(), 1.25, 0.08);
        EXPECT_NEAR(double(Item(big).FrameHeight()) / Item(normal).FrameHeight(), 1.25, 0.08);
    }
    for (int b = 2; b <= 3; ++b) {
        for (const char* suffix : {"_Normal", "_Big"}) {
            const std::string name = "Boat" + std::to_string(b) + suffix;
            const std::string ref = std::string("Boat1") + suffix;
            SCOPED_TRACE(name);
            EXPECT_EQ(Item(name).FrameWidth(), Item(ref).FrameWidth());
            EXPECT_EQ(Item(name).FrameHeight(), Item(ref).FrameHeight());
        }
    }
}

TEST(RaceArt, OverlaysFitAroundTheBoat) {
    for (const char* size : {"", "Big"}) {
        const std::string boat = std::string("Boat1_") + (size[0] ? "Big" : "Normal");
        SCOPED_TRACE(boat);
        const TPictureCollectionItem& b = Item(boat);
        // The shield ring starts at the bow and goes round the whole boat.
        const TPictureCollectionItem& shield = Item(std::string("BoatShield") + size);
        EXPECT_GT(shield.FrameWidth(), b.FrameWidth());
        EXPECT_GE(shield.FrameHeight(), b.FrameHeight());
        // The engine hangs from the boat's middle down past the stern.
        EXPECT_GT(Item(std::string("BoatEngine") + size).FrameHeight(), b.FrameHeight() / 2);
    }
    // The crate's icon is drawn centred on it.
    for (const char* icon :
         {"Bonus10", "Bonus20", "Bonus50", "Bonus100", "Gun", "Shield", "Engine", "Life"}) {
        SCOPED_TRACE(icon);
        EXPECT_LE(Item(icon).FrameWidth(), Item("BoxLeft").FrameWidth());
        EXPECT_LE(Item(icon).FrameHeight(), Item("BoxLeft").FrameHeight());
    }
    EXPECT_EQ(Item("BoxRight").FrameWidth(), Item("BoxLeft").FrameWidth());
    EXPECT_EQ(Item("BoxRight").FrameHeight(), Item("BoxLeft").FrameHeight());
}

TEST(RaceArt, PowerUpPanelsStayInsideTheirBoxLeftOfTheSeconds) {
    struct At {
        const char* Name;
        int X, Y;
    };
    const At panels[] = {
        {"PanelGun", 721, 416}, {"PanelEngine", 713, 414}, {"PanelShield", 715, 414}, {"None", 710, 426}};
    for (const At& p : panels) {
        SCOPED_TRACE(p.Name);
        const TPictureCollectionItem& item = Item(p.Name);
        EXPECT_GE(p.X, 705);
        EXPECT_LE(p.X + item.FrameWidth(), 771); // the seconds are printed from x 771
        EXPECT_GE(p.Y, 405);
        EXPECT_LE(p.Y + item.FrameHeight(), 461);
    }
}

TEST(RaceArt, HudNumbersLandOnTheirDisplayWindows) {
    // Where the race prints its numbers (room for the widest value): white text needs a dark window
    // behind it, dark blue text a light one. Boxes are in panel coordinates; the right panel sits at 659.
    struct Box {
        const char* Panel;
        const char* What;
        int Left, Top, Right, Bottom;
        bool Light;
    };
    const Box boxes[] = {
        {"LeftPanel", "level", 42, 80, 92, 102, false},
        {"LeftPanel", "score", 36, 172, 96, 192, false},
        {"LeftPanel", "time", 28, 261, 93, 287, true},
        {"LeftPanel", "lives", 42, 353, 76, 375, true},
        {"RightPanel", "power-up seconds", 771 - 659 - 4, 419, 771 - 659 + 18, 437, true},
    };
    auto luma = [](TColor c) {
        return (299 * ColorRed(c) + 587 * ColorGreen(c) + 114 * ColorBlue(c)) / 1000;
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.What);
        const TPictureCollectionItem& panel = Item(b.Panel);
        for (int y = b.Top; y < b.Bottom; ++y)
            for (int x = b.Left; x < b.Right; ++x) {
                const int l = luma(PatternPixel(panel, 0, x, y));
                if (b.Light)
                    ASSERT_GT(l, 180) << "at " << x << ", " << y;
                else
                    ASSERT_LT(l, 60) << "at " << x << ", " << y;
            }
    }
}

TEST(RaceArt, NeedlePointsLeftFromItsHub) {
    const TPictureCollectionItem& needle = Item("Pointer");
    EXPECT_NE(PatternPixel(needle, 0, 34, 4), kFuchsia); // the hub it turns about
    // The tip: the leftmost painted column is at the very left, on the hub's row or next to it.
    int leftmost = needle.FrameWidth();
    for (int y = 0; y < needle.FrameHeight(); ++y)
        for (int x = 0; x < needle.FrameWidth(); ++x)
            if (PatternPixel(needle, 0, x, y) != kFuchsia && x < leftmost) leftmost = x;
    EXPECT_LE(leftmost, 1);
    EXPECT_TRUE(PatternPixel(needle, 0, leftmost, 3) != kFuchsia ||
                PatternPixel(needle, 0, leftmost, 4) != kFuchsia);
}

TEST(RaceArt, AnimationStripsHaveDistinctFrames) {
    struct Strip {
        const char* Name;
        int MinPatterns, MaxPatterns;
    };
    const Strip strips[] = {{"CarAnim", 3, 16},       {"BoatAnim", 3, 16},    {"BoatAnim_Inv", 3, 16},
                            {"EngineFire", 2, 16},    {"BoatGunFire", 2, 16}, {"ExplosionBig", 6, 10},
                            {"ExplosionSmall", 6, 10}};
    for (const Strip& s : strips) {
        SCOPED_TRACE(s.Name);
        const TPictureCollectionItem& item = Item(s.Name);
        EXPECT_GE(item.NumPatterns(), s.MinPatterns);
        EXPECT_LE(item.NumPatterns(), s.MaxPatterns);
        // A frame identical to the next one would make the animation stutter.
        for (int p = 0; p + 1 < item.NumPatterns(); ++p) {
            bool differs = false;
            for (int y = 0; y < item.FrameHeight() && !differs; ++y)
                for (int x = 0; x < item.FrameWidth() && !differs; ++x)
                    differs = PatternPixel(item, p, x, y) != PatternPixel(item, p + 1, x, y);
            EXPECT_TRUE(differs) << "patterns " << p << " and " << p + 1;
        }
    }
    // The other boats' wakes are timed by the player's wake clock, which runs through CarAnim's patterns.
    EXPECT_GE(Item("BoatAnim").NumPatterns(), Item("CarAnim").NumPatterns());
    EXPECT_GE(Item("BoatAnim_Inv").NumPatterns(), Item("CarAnim").NumPatterns());
}

TEST(RaceArt, RiverTileKeepsTheWaterBetweenTheBanksOnEveryRow) {
    // Drawn at X 124: water on screen from x 177 to 609, banks 124-177 and 609-660. The shore line
    // waves a few pixels, so the columns right at the edges are left out.
    const TPictureCollectionItem& land = Item("Land");
    ASSERT_GE(land.FrameWidth(), 660 - 124);
    for (int y = 0; y < land.FrameHeight(); ++y) {
        for (int sx = 186; sx < 601; ++sx)
            ASSERT_TRUE(IsWater(PatternPixel(land, 0, sx - 124, y)))
                << "water at screen x " << sx << ", row " << y;
        for (int sx : {126, 140, 166, 620, 640, 652})
            ASSERT_FALSE(IsWater(PatternPixel(land, 0, sx - 124, y)))
                << "bank at screen x " << sx << ", row " << y;
    }
}

TEST(RaceArt, RiverTileJoinsItselfTopToBottom) {
    const TPictureCollectionItem& land = Item("Land");
    const int w = land.FrameWidth(), h = land.FrameHeight();
    // The shore lines may wave, but from the last row to the first they step no further than
    // between any two neighbouring rows inside the tile.
    auto shores = [&](int y) {
        int left = 0, right = w - 1;
        while (left < w && !IsWater(PatternPixel(land, 0, left, y)))
            ++left;
        while (right > 0 && !IsWater(PatternPixel(land, 0, right, y)))
            --right;
        return std::pair<int, int>(left, right);
    };
    int worstLeft = 0, worstRight = 0;
    for (int y = 0; y + 1 < h; ++y) {
        const auto a = shores(y), b = shores(y + 1);
        worstLeft = std::max(worstLeft, std::abs(a.first - b.first));
        worstRight = std::max(worstRight, std::abs(a.second - b.second));
    }
    const auto last = shores(h - 1), first = shores(0);
    EXPECT_LE(std::abs(last.first - first.first), worstLeft);
    EXPECT_LE(std::abs(last.second - first.second), worstRight);

    // Across the seam the colours change no more than between all but the busiest neighbouring rows.
    auto rowDistance = [&](int a, int b) {
        int d = 0;
        for (int x = 0; x < w; ++x) {
            const TColor p = PatternPixel(land, 0, x, a), q = PatternPixel(land, 0, x, b);
            d += std::abs(int(ColorRed(p)) - ColorRed(q)) + std::abs(int(ColorGreen(p)) - ColorGreen(q)) +
                 std::abs(int(ColorBlue(p)) - ColorBlue(q));
        }
        return d;
    };
    std::vector<int> inside;
    for (int y = 0; y + 1 < h; ++y)
        inside.push_back(rowDistance(y, y + 1));
    std::sort(inside.begin(), inside.end());
    EXPECT_LE(rowDistance(h - 1, 0), inside[inside.size() * 99 / 100]);
}

// Draws a race frame from the list with the engine's own draws (river scrolled, panels, a few objects,
// the boat with its wake, gun and shield, the needle) and writes it for reviewers as
// test-output/race-art-scene.png. The frame itself is checked where the layout fixes it.
TEST(RaceArt, ComposedRaceSceneShowsTheRiverBetweenThePanels) {
    platform::HeadlessWindow window;
    TDXDraw draw(&window);
    draw.InitializeDisplay();
    TDXImageList list;
    list.SetDXDraw(&draw);
    list.Items().LoadListFile(Res3Path());
    TPictureCollection& pics = list.Items();
    ASSERT_TRUE(pics.FindItem("Land").Ready());
    TDirectDrawSurface& back = draw.BackSurface();

    // The river scrolled by 230: the tile is repeated the way the tiled background draws it.
    TPictureCollectionItem& land = pics.FindItem("Land");
    for (int ty = 230 - land.FrameHeight(); ty < 600; ty += land.FrameHeight())
        for (int tx = 124 - land.FrameWidth(); tx < 800; tx += land.FrameWidth())
            land.DrawPattern(back, tx, ty, 0);

    // Scrolled, the water still runs where the boat is kept and the banks stay outside it.
    auto colorAt = [&](int x, int y) {
        const uint16_t p = back.PixelAt(x, y);
        return RGBColor(uint8_t((p >> 11) << 3), uint8_t(((p >> 5) & 63) << 2), uint8_t((p & 31) << 3));
    };
    for (int y = 0; y < 600; y += 5) {
        for (int x = 186; x < 601; x += 2)
            ASSERT_TRUE(IsWater(colorAt(x, y))) << "water at " << x << ", " << y;
        for (int x : {126, 166, 620, 652})
            ASSERT_FALSE(IsWater(colorAt(x, y))) << "bank at " << x << ", " << y;
    }

    struct Placed {
        const char* Name;
        int X, Y, Pattern;
    };
    const Placed objects[] = {
        {"UmbrellaRed", 130, 60, 0},
        {"BedLeft", 128, 140, 0},
        {"RoomBlue", 612, 30, 0},
        {"UmbrellaBlue", 614, 250, 0},
        {"BedRight", 612, 400, 0},
        {"Tree", 230, 90, 0},
        {"Flag", 470, 40, 0},
        {"Tramplin", 380, 250, 0},
        {"Weed", 200, 330, 0},
        {"Duck", 520, 200, 0},
        {"ShipRight", 250, 170, 0},
        {"BoatAnim", 523, 300, 2},
        {"Boat7", 538, 300, 0},
        {"BoatAnim_Inv", 245, -10, 4},
        {"Boat4_Inv", 262, 60, 0},
        {"ExplosionSmall", 560, 120, 2},
        {"BridgeBigRight", 534, -20, 0},
    };
    for (const Placed& o : objects)
        pics.FindItem(o.Name).DrawPattern(back, o.X, o.Y, o.Pattern);
    TPictureCollectionItem& box = pics.FindItem("BoxLeft");
    box.DrawPattern(back, 300, 420, 0);
    pics.FindItem("Bonus50").DrawPattern(back, 300 + 4, 420 + 4 - 4, 0);

    // The player's boat tilted a little to the right, with its wake, gun and shield.
    TPictureCollectionItem& boat = pics.FindItem("Boat1_Normal");
    const int midX = 420, midY = 585 - boat.FrameHeight() / 2, heading = 6;
    TPictureCollectionItem& wake = pics.FindItem("CarAnim");
    wake.DrawRotated(back, midX, midY, wake.FrameWidth(), wake.FrameHeight(), 3, 0.5, 0.5, heading);
    boat.DrawRotated(back, midX, midY, boat.FrameWidth(), boat.FrameHeight(), 0, 0.5, 0.5, heading);
    TPictureCollectionItem& gun = pics.FindItem("BoatGun");
    gun.DrawRotated(back, midX, midY, gun.FrameWidth(), gun.FrameHeight(), 0, 0.5, 0.5, heading);
    TPictureCollectionItem& shield = pics.FindItem("BoatShield");
    shield.DrawRotated(back, midX + 1, midY, shield.FrameWidth(), shield.FrameHeight(), 0, 0.5,
                       (boat.FrameHeight() / 2.0) / shield.FrameHeight(), heading);
    TPictureCollectionItem& flash = pics.FindItem("BoatGunFire");
    flash.DrawRotated(back, midX - 1, midY, flash.FrameWidth(), flash.FrameHeight(), 1, 0.5, 1.4, heading);

    // Panels, the progress marker half way, the gun's power-up box and the needle at speed 12.
    pics.FindItem("LeftPanel").DrawPattern(back, 0, 0, 0);
    TPictureCollectionItem& right = pics.FindItem("RightPanel");
    right.DrawPattern(back, 799 - right.FrameWidth(), 0, 0);
    TPictureCollectionItem& marker = pics.FindItem("BoatSmall");
    marker.DrawPattern(back, 736 - marker.FrameWidth() / 2, 180, 0);
    pics.FindItem("PanelGun").DrawPattern(back, 721, 416, 0);
    TPictureCollectionItem& needle = pics.FindItem("Pointer");
    needle.DrawRotated(back, 745, 576, needle.FrameWidth(), needle.FrameHeight(), 0, 0.8947368421052632,
                       0.5714285714285714, int(5.97 * 12));

    EXPECT_TRUE(platform::SavePng565(GameHarness::OutputPath("race-art-scene"), back.Pixels(), back.Width(),
                                     back.Height(), back.PitchPixels()));

    // Nothing black is left uncovered between the panels.
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 799; ++x)
            ASSERT_NE(back.PixelAt(x, y), 0) << "uncovered at " << x << ", " << y;
}
