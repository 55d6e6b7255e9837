// River objects: what each does to the boat, to other vessels and under the gun beam, how
// ships and boats move, and when they are cleaned up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RaceWorld.h"

using namespace racetest;

namespace {

struct RiverFixture : ::testing::Test {
    RaceWorld world;
    TMyCarSprite* boat = nullptr;
    std::vector<std::string> sounds;

    void SetUp() override {
        world.Start();
        world.SkipIntro();
        boat = PlayerBoat;
        ClearRiverObjects();
        SoundListener = [this](const std::string& name, bool play) {
            if (play) sounds.push_back(name);
        };
    }

    TWallSprite* Put(int kind, double x, double y) { return world.Put(kind, x, y); }
    // An object lying on the boat's bow.
    TWallSprite* PutOnBoat(int kind) { return Put(kind, boat->X, boat->Y - 10); }
    bool Played(const std::string& name) const {
        return std::find(sounds.begin(), sounds.end(), name) != sounds.end();
    }
};

} // namespace

TEST_F(RiverFixture, EachKindActsOnTheBoatOnce) {
    struct Case {
        int Kind;
        double Speed;
        const char* Sound;
        int32_t ScoreAfter; // from 500
        double TargetSpeed; // -1: not checked
        int32_t SpeedOrder;
        bool Collected;
    };
    const Case cases[] = {
        {rkTree, 10, "Tree", 500, 5, soSlowDown, false},
        {rkFlag, 10, "Flag", 500, 5, soSlowDown, false},
        {rkFlag, 4, "Flag", 500, 0, soSlowDown, false},
        {rkDuck, 10, "Duck", 400, -1, soNone, true},
        {rkBonus10, 10, "Money", 510, -1, soNone, true},
        {rkBonus20, 10, "Money", 520, -1, soNone, true},
        {rkBonus50, 10, "Money", 550, -1, soNone, true},
        {rkBonus100, 10, "Money", 600, -1, soNone, true},
        {rkUmbrellaRed, 10, nullptr, 500, -1, soNone, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RiverKindInfo(c.Kind).Picture);
        Score = 500;
        boat->Speed = c.Speed;
        boat->SpeedOrder = soNone;
        sounds.clear();
        TWallSprite* o = PutOnBoat(c.Kind);
        EXPECT_EQ(o->Collide(), 1);
        EXPECT_FALSE(o->CollisionEnabled);
        EXPECT_EQ(o->Collide(), 0) << "spent after one contact";
        if (c.Sound) {
            EXPECT_TRUE(Played(c.Sound));
        }
        EXPECT_EQ(Score, c.ScoreAfter);
        if (c.TargetSpeed >= 0) {
            EXPECT_DOUBLE_EQ(boat->TargetSpeed, c.TargetSpeed);
        }
        EXPECT_EQ(boat->SpeedOrder, c.SpeedOrder);
        EXPECT_EQ(o->Collected, c.Collected);
        delete o;
    }
}

TEST_F(RiverFixture, AfterTheFinishObjectsAreSpentWithoutActingOnTheBoat) {
    // Past the line the boat is braking to a stop under its own order; nothing on the river may
    // change its speed, score, lives or power-ups any more.
    boat->State = bsFinishing;
    boat->CrossedFinish = true;
    for (int kind : {rkTree, rkRamp, rkFlag, rkWeed, rkFisher, rkShip, rkBridge, rkDuck, rkBonus10,
                     rkBonus100, rkGun, rkShield, rkEngine, rkLife}) {
        SCOPED_TRACE(RiverKindInfo(kind).Picture);
        Score = 500;
        Lives = 3;
        boat->Speed = 10;
        boat->SpeedOrder = soBrake;
        boat->TargetSpeed = 0;
        sounds.clear();
        TWallSprite* o = PutOnBoat(kind);
        EXPECT_EQ(o->Collide(), 1);
        EXPECT_FALSE(o->CollisionEnabled) << "the contact is still spent";
        EXPECT_FALSE(o->Exploded);
        EXPECT_FALSE(o->Collected);
        EXPECT_TRUE(sounds.empty());
        EXPECT_EQ(Score, 500);
        EXPECT_EQ(Lives, 3);
        EXPECT_EQ(boat->Speed, 10);
        EXPECT_EQ(boat->SpeedOrder, soBrake);
        EXPECT_EQ(boat->TargetSpeed, 0);
        EXPECT_FALSE(boat->Airborne);
        EXPECT_FALSE(boat->HasGun || boat->HasShield || boat->HasEngine);
        delete o;
    }
    // Other boats still stop the player and blow up when met after the finish.
    boat->Speed = 10;
    TWallSprite* other = PutOnBoat(rkBoat4Inv);
    other->Collide();
    EXPECT_TRUE(other->Exploded);
    EXPECT_EQ(boat->Speed, 0);
}

TEST_F(RiverFixture, DuckNeverTakesTheScoreBelowZero) {
    Score = 30;
    PutOnBoat(rkDuck)->Collide();
    EXPECT_EQ(Score, 0);
}

TEST_F(RiverFixture, BoxesGivePowerUpsAndLives) {
    PutOnBoat(rkGun)->Collide();
    PutOnBoat(rkShield)->Collide();
    PutOnBoat(rkEngine)->Collide();
    PutOnBoat(rkLife)->Collide();
    EXPECT_TRUE(boat->HasGun);
    EXPECT_TRUE(boat->HasShield);
    EXPECT_TRUE(boat->HasEngine);
    EXPECT_EQ(Lives, 4);
}

TEST_F(RiverFixture, BridgeStopsASlowBoatAndWrecksAFastOne) {
    struct Case {
        double Speed;
        bool Wrecked;
    };
    for (const Case c : {Case{7, false}, Case{100.0 / 14, false}, Case{8, true}}) {
        SCOPED_TRACE(c.Speed);
        boat->Speed = c.Speed;
        TWallSprite* bridge = PutOnBoat(rkBridge);
        bridge->X = boat->X - 10;
        bridge->Collide();
        EXPECT_TRUE(bridge->Exploded);
        EXPECT_EQ(boat->State == bsWrecked, c.Wrecked);
        EXPECT_EQ(boat->Speed, 0);
        EXPECT_EQ(Lives, c.Wrecked ? 2 : 3);
        delete bridge;
        if (c.Wrecked) {
            boat->Respawn();
            Lives = 3;
        }
    }
}

TEST_F(RiverFixture, FisherAndShipWreckTheBoatUnlessShielded) {
    for (int kind : {rkFisher, rkShip}) {
        SCOPED_TRACE(kind);
        boat->Speed = 3;
        boat->GainPowerUp(TPowerUp::Shield);
        TWallSprite* o = PutOnBoat(kind);
        o->Collide();
        EXPECT_TRUE(o->Exploded);
        EXPECT_EQ(boat->State, bsRacing);
        delete o;

        boat->LosePowerUp(TPowerUp::Shield, false);
        o = PutOnBoat(kind);
        o->Collide();
        EXPECT_EQ(boat->State, bsWrecked);
        EXPECT_FALSE(boat->Visible);
        EXPECT_TRUE(CrashBlast->Visible);
        EXPECT_TRUE(Played("PlayerExplosion"));
        delete o;
        boat->Respawn();
    }
}

TEST_F(RiverFixture, RampLaunchesOnlyFromTheBow) {
    // Its centre above the boat's top edge: the bow meets it.
    TWallSprite* ahead = Put(rkRamp, boat->X, boat->Y - 30);
    ASSERT_LT(ahead->Y + ahead->Height / 2.0, boat->Y);
    ahead->Collide();
    EXPECT_TRUE(boat->Airborne);
    boat->Land();

    // Touched from the side: its centre below the boat's top edge. The contact is spent.
    TWallSprite* side = Put(rkRamp, boat->X - 50, boat->Y + 10);
    EXPECT_EQ(side->Collide(), 1);
    EXPECT_FALSE(boat->Airborne);
    EXPECT_FALSE(side->CollisionEnabled);
    side->Y = boat->Y - 30;
    EXPECT_EQ(side->Collide(), 0);
    EXPECT_FALSE(boat->Airborne);
}

TEST_F(RiverFixture, AirborneBoatPassesOverEverything) {
    boat->Jump();
    TWallSprite* tree = PutOnBoat(rkTree);
    tree->Collide();
    EXPECT_TRUE(tree->CollisionEnabled);
    EXPECT_EQ(boat->SpeedOrder, soSurge);
}

TEST_F(RiverFixture, OtherBoatsWreckOnFastContactAndAlwaysExplode) {
    struct Case {
        int Kind;
        double DriftY, PlayerSpeed;
        bool Shield, Wrecked;
        double SpeedAfter;
    };
    const Case cases[] = {
        // An oncoming boat: closing speed DriftY + scroll step.
        {rkBoat4Inv, 3, 10, false, true, 0},
        {rkBoat4Inv, 3, 10, true, false, 10},
        // An upstream boat at nearly the player's speed: no wreck, but the player stops.
        {rkBoat5, -4, 10, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Kind);
        boat->Speed = c.PlayerSpeed;
        boat->ScrollStep = c.PlayerSpeed * 0.5;
        if (c.Shield) boat->GainPowerUp(TPowerUp::Shield);
        TWallSprite* o = PutOnBoat(c.Kind);
        o->DriftY = c.DriftY;
        o->Collide();
        EXPECT_TRUE(o->Exploded);
        EXPECT_EQ(boat->State == bsWrecked, c.Wrecked);
        EXPECT_EQ(boat->Speed, c.SpeedAfter);
        delete o;
        if (boat->State == bsWrecked) boat->Respawn();
        if (c.Shield) boat->LosePowerUp(TPowerUp::Shield, false);
    }
}

TEST_F(RiverFixture, VesselsExplodeOnVesselsBridgesAndFishersButPassTrees) {
    boat->X = 177; // out of the way
    struct Case {
        int Other;
        bool BothExplode;
    };
    for (const Case c : {Case{rkBoat6, true}, Case{rkShip, true}, Case{rkBridge, true}, Case{rkFisher, true},
                         Case{rkTree, false}, Case{rkDuck, false}}) {
        SCOPED_TRACE(c.Other);
        TWallSprite* other = Put(c.Other, 400, 100);
        TWallSprite* vessel = Put(rkBoat7Inv, 400, 100);
        vessel->Collide();
        EXPECT_EQ(vessel->Exploded, c.BothExplode);
        EXPECT_EQ(other->Exploded, c.BothExplode);
        delete other;
        delete vessel;
    }
}

TEST_F(RiverFixture, GunBeamExplodesTheFirstShootableObjectAhead) {
    struct Case {
        int Kind;
        int32_t Points;
        bool Hit;
    };
    const Case cases[] = {
        {rkBonus50, 0, true}, // exploded, not collected
        {rkDuck, 5, true},    {rkFlag, 5, true},    {rkFisher, 5, true},
        {rkRamp, 10, true},   {rkBridge, 10, true}, {rkShip, 30, true},
        {rkBoat8, 20, true},  {rkTree, 0, false},   {rkWeed, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(RiverKindInfo(c.Kind).Picture);
        Score = 0;
        boat->Heading = 0;
        boat->MidX = 400;
        boat->MidY = 500;
        TWallSprite* o = Put(c.Kind, 0, 200);
        o->X = 400 - o->Width / 2.0;
        boat->FireBeam();
        EXPECT_EQ(o->Exploded, c.Hit);
        EXPECT_FALSE(o->Collected);
        EXPECT_EQ(Score, c.Points);
        delete o;
    }
}

TEST_F(RiverFixture, GunBeamStopsAtAnExplodingObject) {
    boat->MidX = 400;
    boat->MidY = 500;
    TWallSprite* near = Put(rkDuck, 390, 300);
    TWallSprite* far = Put(rkDuck, 390, 100);
    near->Explode();
    Score = 0;
    boat->FireBeam();
    EXPECT_FALSE(far->Exploded);
    EXPECT_EQ(Score, 0);
}

TEST_F(RiverFixture, ShipBouncesOffTheRightBankAndTurnsOnTheSameFrame) {
    boat->ScrollStep = 0;
    TWallSprite* ship = Put(rkShip, 0, 100);
    ship->VelocityX = 20.0 / 14;
    ship->SetPicture("ShipRight");
    ship->X = 607 - ship->Width - 1;
    ship->Advance(1);
    EXPECT_DOUBLE_EQ(ship->X, 607 - ship->Width);
    EXPECT_DOUBLE_EQ(ship->VelocityX, -20.0 / 14);
    EXPECT_EQ(ship->Image, &RacePicture("ShipLeft"));

    ship->X = 177.5;
    ship->Advance(1);
    EXPECT_DOUBLE_EQ(ship->X, 177);
    EXPECT_DOUBLE_EQ(ship->VelocityX, 20.0 / 14);
    EXPECT_EQ(ship->Image, &RacePicture("ShipRight"));
}

TEST_F(RiverFixture, BoatsKeepTheirCentreInsideTheLane) {
    boat->ScrollStep = 0;
    boat->X = 177;
    RandomState = 7;
    TWallSprite* b = Put(rkBoat9, 0, 100);
    EXPECT_EQ(b->LaneMargin, static_cast<int32_t>(38 - b->Width / 2.0));
    double minCentre = 1e9, maxCentre = -1e9;
    for (int i = 0; i < 20000; ++i) {
        b->Y = 100;
        b->Advance(1);
        minCentre = std::min(minCentre, b->X + b->Width / 2.0);
        maxCentre = std::max(maxCentre, b->X + b->Width / 2.0);
    }
    EXPECT_GE(minCentre, 218);
    EXPECT_LE(maxCentre, 566);
    EXPECT_LT(minCentre, 260) << "swerves reach the left of the lane";
    EXPECT_GT(maxCentre, 520) << "and the right";
}

TEST_F(RiverFixture, CreationDrawsInOrderAndPlacesByKind) {
    struct Case {
        int Kind;
        double MinX, MaxX;
    };
    const Case cases[] = {
        {rkTree, 178, 609},
        {rkBedLeft, 127, 175},
        {rkBedRight, 610, 661},
        {rkFinishLine, 177, 177},
    };
    for (const Case& c : cases) {
        for (uint32_t seed : {1u, 2u, 3u, 99u}) {
            RandomState = seed;
            RiverObjectUsed[1] = true;
            auto* o = new TWallSprite(&world.sprites.Engine(), c.Kind, 1);
            RiverObjects[1] = o;
            EXPECT_GE(o->X, c.MinX);
            EXPECT_LE(o->X + (c.Kind == rkFinishLine ? 0 : o->Width), c.MaxX);
            EXPECT_EQ(o->Y, -140);
            delete o;
        }
    }
    // An oncoming boat draws its speed before its X.
    RandomState = 0;
    RiverObjectUsed[1] = true;
    auto* b = new TWallSprite(&world.sprites.Engine(), rkBoat4Inv, 1);
    RiverObjects[1] = b;
    ASSERT_EQ(b->Width, 36);
    // DriftY: state 0 -> 1, high word of 1 x 60 is 0, so (0 + 20) / 14.
    EXPECT_DOUBLE_EQ(b->DriftY, 20.0 / 14);
    // X: state 1 -> 134775814; 134775814 x (431 - 36) / 2^32 = 12.4, so 12 + 178.
    EXPECT_DOUBLE_EQ(b->X, 190);
    EXPECT_EQ(b->Z(), 3);
    delete b;
}

TEST_F(RiverFixture, SpentObjectsAreRemovedAndFreeTheirSlot) {
    TWallSprite* collected = Put(rkDuck, 300, 100);
    collected->Collected = true;
    Put(rkTree, 300, 1001);
    Put(rkTree, 300, -801);
    TWallSprite* exploding = Put(rkFlag, 300, 100);
    exploding->Explode();
    TWallSprite* staying = Put(rkTree, 300, 999);
    RemoveSpentObjects();
    EXPECT_EQ(RiverObjects[5], staying);
    int used = 0;
    for (int i = 1; i <= MaxRiverObjects; ++i)
        used += RiverObjectUsed[i];
    EXPECT_EQ(used, 2) << "only the exploding flag and the tree in range remain";
    for (int i = 0; i < 40; ++i)
        exploding->TImageSprite::Advance(1);
    RemoveSpentObjects();
    EXPECT_FALSE(RiverObjectUsed[4]);
    EXPECT_EQ(RiverObjects[4], nullptr);
}

namespace {

// The 5-6-5 pixel of a fixture picture's fill colour (0xRRGGBB).
uint16_t Fill(uint32_t rgb) {
    return RGBToPixel565(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

} // namespace

TEST_F(RiverFixture, BoxesShowTheirBankSideAndIconAndBoatsTheirWake) {
    TDirectDrawSurface& back = world.draw.BackSurface();
    struct Case {
        double X;
        uint32_t BoxFill;
    };
    // Right of 392 the box is seen from the other side.
    for (const Case c : {Case{392, 0xA0622D}, Case{393, 0x6E3F1A}}) {
        back.FillAll(0);
        TWallSprite* box = Put(rkShield, c.X, 200);
        box->Render();
        EXPECT_EQ(back.PixelAt(int(c.X) + 3, 228), Fill(c.BoxFill)) << c.X;
        // The 20 x 20 icon is centred on the box and raised by 4.
        EXPECT_EQ(back.PixelAt(int(c.X) + 16, 212), Fill(0x7CC6F0)) << "icon";
        EXPECT_EQ(back.PixelAt(int(c.X) + 16, 225), Fill(c.BoxFill)) << "below the icon";
        delete box;
    }
    // A boat's wake trails it: below an upstream boat, above an oncoming one.
    for (const int kind : {rkBoat4, rkBoat4Inv}) {
        back.FillAll(0);
        TWallSprite* b = Put(kind, 300, 200);
        b->DriftY = kind == rkBoat4 ? -3 : 3;
        b->Render();
        const uint16_t wake = Fill(0xE8F7FF);
        const int centre = 300 + b->Width / 2;
        if (kind == rkBoat4) {
            EXPECT_EQ(back.PixelAt(centre, 200 + 85), wake) << "below";
        } else {
            EXPECT_EQ(back.PixelAt(centre, 200 + b->Height - 85), wake) << "above";
        }
        delete b;
    }
}
