// The effect sprites: explosions and clocks, the boat's wake, the scrolling background.
#include <gtest/gtest.h>

#include "DrawFixture.h"
#include "engine/Errors.h"
#include "race/Boat.h"
#include "race/Effects.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "stage/GameState.h"
#include "stage/ScrollBackground.h"

namespace {

class Effects : public DrawFixture {
  protected:
    void SetUp() override {
        DrawFixture::SetUp();
        ResetGameState();
        // Eight 16 x 16 patterns of an explosion, a 24 x 40 wake, a boat, two backgrounds.
        AddPicture(
            list3, "ExplosionBig", 128, 16,
            [](int x, int) {
                return Rgb{uint8_t(x), 0, 0};
            },
            16, 16);
        AddPicture(list3, "CarAnim", 24, 40, [](int x, int y) {
            return y < 4 ? Rgb{255, 0, 0} : Rgb{0, uint8_t(x * 8), 40};
        });
        AddFlat(list3, "Boat1_Normal", 30, 60, {200, 200, 200});
        AddFlat(list3, "Land", 64, 600, {0, 128, 0});
        AddFlat(list, "MMBackground", 800, 600, {0, 0, 128});
    }
    void TearDown() override {
        PlayerBoat = nullptr;
        ResetGameState();
        DrawFixture::TearDown();
    }
};

} // namespace

TEST_F(Effects, ExplosionStartsHiddenLoopingAndWrapsLikeTheCrashCountsIt) {
    auto* e = new TExplosion(&Root(), "ExplosionBig", 300, 400);
    EXPECT_FALSE(e->Visible);
    EXPECT_EQ(e->Z(), 4);
    EXPECT_EQ(e->Width, 16);
    EXPECT_EQ(e->AnimFrames, 8);
    EXPECT_TRUE(e->AnimLoop);
    EXPECT_DOUBLE_EQ(e->AnimRate, 0.225);
    e->AnimPosition = 7.875;
    sprites.Move(1);
    EXPECT_NEAR(e->AnimPosition, 0.1, 1e-9);
    const int before = Root().SpriteCount;
    EXPECT_THROW(new TExplosion(&Root(), "NoSuchPicture", 0, 0), EPictureCollectionError);
    EXPECT_EQ(Root().SpriteCount, before) << "a sprite whose picture is missing leaves the tree";
}

TEST_F(Effects, WakeIsCentredOnTheBoatAndTurnsWithIt) {
    ScreenMode = smRace;
    PlayerBoat = new TMyCarSprite(&Root(), 1);
    PlayerBoat->X = 400;
    PlayerBoat->Y = 300;
    PlayerBoat->MidX = 415.7;
    PlayerBoat->MidY = 330.2;
    auto* wake = new TMyCarAnim(&Root(), "CarAnim", 0, 300, 3);
    EXPECT_DOUBLE_EQ(wake->AnimRate, 0.015);
    wake->Advance(1);
    EXPECT_DOUBLE_EQ(wake->X, 400 - (84 - 30) / 2.0) << "follows the boat sideways";

    PlayerBoat->Visible = false;
    for (int heading : {0, 64}) {
        PlayerBoat->Heading = heading;
        Back().FillAll(0);
        sprites.Draw();
        // The red top rows of the wake: above the centre unturned, right of it a quarter turn on.
        const uint16_t red = Px({255, 0, 0});
        if (heading == 0) {
            EXPECT_EQ(Back().PixelAt(415, 311), red);
            EXPECT_NE(Back().PixelAt(415, 330), red);
        } else {
            EXPECT_EQ(Back().PixelAt(433, 330), red);
            EXPECT_NE(Back().PixelAt(398, 330), red);
        }
    }
}

TEST_F(Effects, BackgroundScrollsOnlyInTheRaceAndStaysWithinTheScreen) {
    ScreenMode = smMainMenu;
    auto* menu = new TScrollBackground(&Root(), list, "MMBackground");
    menu->Scroll = BoatScrollStep;
    EXPECT_EQ(menu->Image, &list.Items().FindItem("MMBackground"));
    EXPECT_TRUE(menu->Tiled);
    EXPECT_EQ(menu->Z(), 1);
    EXPECT_FALSE(menu->CollisionEnabled);
    sprites.Move(1);
    EXPECT_EQ(menu->Y, 0) << "no boat, no race: still";

    ScreenMode = smRace;
    auto* land = new TScrollBackground(&Root(), list3, "Land");
    land->Scroll = BoatScrollStep;
    EXPECT_EQ(land->Image, &list3.Items().FindItem("Land"));
    PlayerBoat = new TMyCarSprite(&Root(), 1);
    for (double step : {7.5, 0.0, 13.25, 599.0, 600.0}) {
        PlayerBoat->ScrollStep = step;
        for (int frame = 0; frame < 90; ++frame) {
            land->Advance(1);
            if (land->Y != 0) {
                ASSERT_TRUE(land->Y > 0 && land->Y <= 600) << step << " " << land->Y;
            }
        }
    }
    ScreenMode = smMainMenu;
    const double y = land->Y;
    land->Advance(1);
    EXPECT_EQ(land->Y, y);
}
