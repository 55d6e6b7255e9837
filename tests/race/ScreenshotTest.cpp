// Pictures of the race for a reviewer: a busy river with boats and their wakes, an explosion,
// the panels, and the boat with each power-up, in the air and wrecked. Written as PNG under
// <build>/test-output; drawn with the built race pictures when they exist.
#include <gtest/gtest.h>

#include <set>

#include "RaceWorld.h"

using namespace racetest;

namespace {

struct ShotFixture : ::testing::Test {
    RaceWorld world{true};

    void SetUp() override {
        world.Start(42u);
        world.SkipIntro();
        SpawnChance.fill(0);  // only what the test puts on the river
        PlayerBoat->X = 380;
        PlayerBoat->Speed = 12;
    }
    TWallSprite* Put(int kind, double x, double y) { return world.Put(kind, x, y); }
    // Saves the frame and checks that it shows more than a few colours.
    void Shot(const std::string& name) {
        ASSERT_TRUE(world.Screenshot(name));
        std::set<uint16_t> colours;
        TDirectDrawSurface& s = world.draw.BackSurface();
        for (int i = 0; i < s.Width() * s.Height(); i += 97) colours.insert(s.Pixels()[i]);
        EXPECT_GT(colours.size(), 8u) << name;
    }
};

}  // namespace

TEST_F(ShotFixture, BusyRiverWithWakesExplosionAndPanels) {
    Put(rkBoat4, 200, 150)->DriftY = -2;
    Put(rkBoat6Inv, 470, 60)->DriftY = 2;
    Put(rkShip, 300, -20);
    Put(rkTree, 200, 300);
    Put(rkRamp, 420, 260);
    Put(rkFlag, 540, 200);
    Put(rkDuck, 260, 20);
    Put(rkWeed, 520, 360);
    Put(rkBonus100, 300, 350);
    Put(rkLife, 480, 120);
    Put(rkUmbrellaRed, 130, 100);
    Put(rkBedRight, 615, 300);
    Put(rkRoomBlue, 612, 40);
    Put(rkFisher, 350, 150)->Explode();
    Score = 1234;
    world.Steps(6, {.Up = true});
    Shot("race-busy-river");
}

TEST_F(ShotFixture, EachPowerUpOnTheBoatAndOnThePanel) {
    struct Case {
        TPowerUp Kind;
        const char* Name;
    };
    for (const Case c : {Case{TPowerUp::Gun, "race-powerup-gun"}, Case{TPowerUp::Engine, "race-powerup-engine"},
                         Case{TPowerUp::Shield, "race-powerup-shield"}}) {
        PlayerBoat->HasGun = PlayerBoat->HasEngine = PlayerBoat->HasShield = false;
        PlayerBoat->GainPowerUp(c.Kind);
        world.Steps(3, {.Up = true, .Fire = true});
        Shot(c.Name);
    }
    PlayerBoat->GainPowerUp(TPowerUp::Gun);
    PlayerBoat->GainPowerUp(TPowerUp::Shield);
    Put(rkFlag, PlayerBoat->X + 5, 300);  // in the line of fire: the beam explodes it
    world.Steps(3, {.Up = true, .Fire = true});
    Shot("race-all-powerups-firing");
}

TEST_F(ShotFixture, JumpAndCrash) {
    PlayerBoat->GainPowerUp(TPowerUp::Engine);
    PlayerBoat->Jump();
    world.Steps(20, {.Up = true});
    Shot("race-jump");
    PlayerBoat->Land();
    world.Steps(2);
    PlayerBoat->Wreck();
    world.Steps(12);
    Shot("race-crash");
}
