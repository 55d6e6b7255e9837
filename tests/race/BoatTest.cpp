// The player's boat: throttle, brakes, steering, jumps, power-ups and the speed orders, frame
// by frame as the race advances it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "RaceWorld.h"

using namespace racetest;

namespace {

// A race on level 1 with the intro closed and the boat at rest, advanced by itself (no river
// objects come, so nothing else touches it).
struct BoatFixture : ::testing::Test {
    RaceWorld world;
    TMyCarSprite* boat = nullptr;

    void SetUp() override { boat = world.StartOnEmptyRiver(); }
    void Advance(int frames = 1) {
        for (int i = 0; i < frames; ++i)
            boat->Advance(1);
    }
};

} // namespace

TEST_F(BoatFixture, ThrottleFromRestReachesTopSpeedAfter298Frames) {
    boat->Throttle = true;
    Advance(297);
    EXPECT_LT(boat->Speed, NormalMaxSpeed);
    Advance(1);
    // The cap is tested before adding, so the last step overshoots to 17.88.
    EXPECT_NEAR(boat->Speed, 17.88, 1e-9);
    Advance(10);
    EXPECT_NEAR(boat->Speed, 17.88, 1e-9);
    EXPECT_DOUBLE_EQ(boat->ScrollStep, boat->Speed * 0.5);
}

TEST_F(BoatFixture, EnginePowerUpRaisesTheCapAndTheBoatSlowsBackWhenItEnds) {
    boat->GainPowerUp(TPowerUp::Engine);
    EXPECT_DOUBLE_EQ(boat->MaxSpeed, EngineMaxSpeed);
    EXPECT_DOUBLE_EQ(boat->Acceleration, 0.12);
    boat->Throttle = true;
    Advance(300);
    EXPECT_GE(boat->Speed, EngineMaxSpeed);
    EXPECT_LT(boat->Speed, EngineMaxSpeed + 0.12);

    boat->Throttle = false;
    boat->EngineTime = 0; // runs out on the next frame
    Advance(1);
    EXPECT_FALSE(boat->HasEngine);
    EXPECT_DOUBLE_EQ(boat->MaxSpeed, NormalMaxSpeed);
    EXPECT_DOUBLE_EQ(boat->Deceleration, 0.2);
    EXPECT_EQ(boat->SpeedOrder, soSlowDown);
    double previous = boat->Speed;
    int frames = 0;
    while (boat->SpeedOrder != soNone && frames < 100) {
        Advance(1);
        ++frames;
        if (boat->SpeedOrder != soNone || boat->Speed < previous) {
            EXPECT_NEAR(previous - boat->Speed, 0.6, 1e-9) << "frame " << frames;
        }
        previous = boat->Speed;
    }
    EXPECT_LE(boat->Speed, NormalMaxSpeed);
    EXPECT_GT(boat->Speed, NormalMaxSpeed - 0.6);
}

TEST_F(BoatFixture, SteeringAgainstTheTiltFirstStraightensThenTurnsToTheLimit) {
    boat->Heading = 10;
    boat->SteerLeft = true;
    std::vector<int> headings;
    for (int i = 0; i < 32; ++i) {
        Advance(1);
        headings.push_back(boat->Heading);
    }
    std::vector<int> expected = {8, 6, 4, 2, 0};
    for (int h = -1; h >= -25; --h)
        expected.push_back(h);
    expected.push_back(-25);
    expected.push_back(-25);
    EXPECT_EQ(headings, expected);
}

TEST_F(BoatFixture, RampJumpSurgesTowardTwiceTheSpeedWithSteeringLocked) {
    struct Case {
        double Speed, Target;
    };
    for (const Case c : {Case{10, NormalMaxSpeed}, Case{5, 10}}) {
        SCOPED_TRACE(c.Speed);
        boat->Speed = c.Speed;
        boat->Heading = 6;
        const double centre = boat->X + boat->Width / 2.0;
        const int32_t normalWidth = boat->Width;
        boat->Jump();
        EXPECT_TRUE(boat->Airborne);
        EXPECT_GT(boat->Width, normalWidth);
        EXPECT_DOUBLE_EQ(boat->X + boat->Width / 2.0, centre);
        EXPECT_DOUBLE_EQ(boat->TargetSpeed, c.Target);
        boat->SteerLeft = true;
        int airFrames = 0;
        while (boat->Airborne && airFrames < 200) {
            Advance(1);
            ++airFrames;
            if (boat->Airborne) {
                ASSERT_EQ(boat->Heading, 0);
            }
        }
        // 1500 ms counted down in 15 ms frames, landing on the frame after.
        EXPECT_EQ(airFrames, 101);
        EXPECT_EQ(boat->Width, normalWidth);
        EXPECT_GE(boat->Speed, c.Target);
        EXPECT_LT(boat->Speed, c.Target + 3 * 0.06);
        EXPECT_EQ(boat->SpeedOrder, soNone);
        boat->SteerLeft = false;
        boat->Heading = 0;
    }
}

TEST_F(BoatFixture, BrakeTakesAFullStepAboveOneTenthAndStopsBelow) {
    struct Case {
        double Before, After;
    };
    for (const Case c : {Case{0.15, -0.05}, Case{-0.05, 0}, Case{0.05, 0}, Case{5, 4.8}}) {
        boat->Speed = c.Before;
        boat->Brake();
        EXPECT_NEAR(boat->Speed, c.After, 1e-12) << "from " << c.Before;
    }
    // A brake order toward 0 ends once the speed is not above 0, leaving the small negative rest.
    boat->Speed = 0.15;
    boat->SpeedOrder = soBrake;
    boat->TargetSpeed = 0;
    Advance(2);
    EXPECT_NEAR(boat->Speed, -0.05, 1e-12);
    EXPECT_EQ(boat->SpeedOrder, soNone);
}

TEST_F(BoatFixture, WeedSpinsTheBoatFor700msAndTripleBrakesBy50Over14) {
    struct Case {
        uint32_t State; // generator state before the weed's one draw
        int Heading;
    };
    const Case cases[] = {
        // 0 -> 1: the high word of 1 x 2 is 0, a spin to the left.
        {0u, -14},
        // 134775814 -> 3698175007 (above 2^31): the high word of twice it is 1, a spin to the right.
        {134775814u, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.State);
        boat->Speed = 8;
        boat->Heading = 0;
        auto* weed = new TWallSprite(&world.sprites.Engine(), rkWeed, 1);
        RiverObjectUsed[1] = true;
        RiverObjects[1] = weed;
        weed->X = boat->X;
        weed->Y = boat->Y;
        RandomState = c.State;
        EXPECT_EQ(weed->Collide(), 1);
        EXPECT_FALSE(weed->CollisionEnabled);
        EXPECT_EQ(boat->SpinTime, 700);
        EXPECT_NEAR(boat->TargetSpeed, 8 - 50.0 / 14, 1e-12);

        int spinFrames = 0;
        for (int i = 0; i < 60; ++i) {
            Advance(1);
            if (boat->Heading == c.Heading) ++spinFrames;
            if (i < 6) {
                EXPECT_NEAR(boat->Speed, 8 - 0.6 * (i + 1), 1e-9);
            }
        }
        EXPECT_EQ(spinFrames, 47); // 700 ms in whole frames
        EXPECT_DOUBLE_EQ(boat->Speed, 8 - 50.0 / 14);
        EXPECT_EQ(boat->SpeedOrder, soNone);
        EXPECT_EQ(boat->Heading, 0);
        delete weed;
    }
}

TEST_F(BoatFixture, PowerUpsRunTenSecondsAndASecondEngineOnlyRenewsTheTime) {
    std::vector<std::string> sounds;
    SoundListener = [&](const std::string& name, bool play) {
        if (play) sounds.push_back(name);
    };
    boat->GainPowerUp(TPowerUp::Engine);
    boat->GainPowerUp(TPowerUp::Engine);
    EXPECT_DOUBLE_EQ(boat->Acceleration, 0.12) << "doubled once only";
    boat->GainPowerUp(TPowerUp::Gun);
    boat->GainPowerUp(TPowerUp::Shield);
    int frames = 0;
    while ((boat->HasGun || boat->HasEngine || boat->HasShield) && frames < 1000) {
        Advance(1);
        ++frames;
    }
    EXPECT_EQ(frames, 10000 / 15 + 2); // counts down to <= 0, lost on the frame after
    EXPECT_DOUBLE_EQ(boat->Acceleration, 0.06);
    EXPECT_EQ(std::count(sounds.begin(), sounds.end(), std::string("BonusLost")), 3);
}

TEST_F(BoatFixture, ShieldIgnoresWrecks) {
    boat->GainPowerUp(TPowerUp::Shield);
    boat->Speed = 10;
    boat->Wreck();
    EXPECT_EQ(boat->State, bsRacing);
    EXPECT_EQ(Lives, 3);
    EXPECT_EQ(boat->Speed, 10);
}

TEST_F(BoatFixture, BankKeepsTheBoatOnTheRiverWithItsTiltAllowance) {
    boat->Speed = 10;
    boat->Heading = -25;
    boat->SteerLeft = true; // holds the tilt at its limit
    boat->X = 150;
    Advance(1);
    // s = sin(-25 x 2pi/256) = -0.5758081914178453; m = s x 80 / 3 = -15.354885104475876;
    // X := 177 - m = 192.35488510447587, then + s x 10 x 0.5 (-2.8790409570892265).
    ASSERT_EQ(boat->Height, 80);
    EXPECT_NEAR(boat->X, 189.47584414738665, 1e-9);
    boat->Heading = 25;
    boat->SteerLeft = false;
    boat->SteerRight = true;
    boat->X = 600;
    Advance(1);
    // m = +15.354885104475876: X := 609 - m - 40 = 553.6451148955241, then + 2.8790409570892265.
    ASSERT_EQ(boat->Width, 40);
    EXPECT_NEAR(boat->X, 556.5241558526134, 1e-9);
}
