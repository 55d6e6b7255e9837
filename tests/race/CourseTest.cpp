// Course generation: the chance table, placing objects into slots, rejecting touching ones,
// the row rules of odd and even levels, the finish line and the boats tried every frame.
#include <gtest/gtest.h>

#include <vector>

#include "RaceWorld.h"

using namespace racetest;

namespace {

struct CourseFixture : ::testing::Test {
    RaceWorld world;
    TMyCarSprite* boat = nullptr;

    void SetUp() override {
        boat = world.StartOnEmptyRiver();
        SpawnChance.fill(0);
        RowCount = 0;
    }
    // The kinds of the used slots, in slot order.
    static std::vector<int> Kinds() {
        std::vector<int> kinds;
        for (int i = 1; i <= MaxRiverObjects; ++i)
            if (RiverObjectUsed[i]) kinds.push_back(RiverObjects[i]->Kind);
        return kinds;
    }
    static int UsedSlots() {
        int n = 0;
        for (int i = 1; i <= MaxRiverObjects; ++i)
            n += RiverObjectUsed[i];
        return n;
    }
    // Starts a row on the next SpawnObjects with the boat at the given scroll step.
    void ArmRow(double scrollStep) {
        boat->ScrollStep = scrollStep;
        RowDistance = 101;
    }
};

} // namespace

TEST(ChanceTable, LevelOneHasTheBaseChancesAndLaterLevelsGrowOnce) {
    FillSpawnChance(1);
    EXPECT_DOUBLE_EQ(SpawnChance[1], 0.1);
    EXPECT_DOUBLE_EQ(SpawnChance[11], 0.3);
    EXPECT_DOUBLE_EQ(SpawnChance[16], 0.02);
    EXPECT_DOUBLE_EQ(SpawnChance[18], 0.005);
    for (int level : {2, 3, 7}) {
        FillSpawnChance(level);
        EXPECT_DOUBLE_EQ(SpawnChance[11], 0.3 * 1.2);
        EXPECT_DOUBLE_EQ(SpawnChance[17], 0.02 * 1.2);
        EXPECT_DOUBLE_EQ(SpawnChance[28], 0.005 * 1.4);
    }
    EXPECT_EQ(KindOfChance(5), rkFisher);
    EXPECT_EQ(KindOfChance(11), rkRamp);
    EXPECT_EQ(KindOfChance(15), rkBridge);
    EXPECT_EQ(KindOfChance(17), rkBoat4);
    EXPECT_EQ(KindOfChance(28), rkBoat9Inv);
}

TEST_F(CourseFixture, OverlapCountsTouchingEdgesAndSkipsTheAskingSlot) {
    TWallSprite* o = new TWallSprite(&world.sprites.Engine(), rkTree, 3);
    RiverObjectUsed[3] = true;
    RiverObjects[3] = o;
    o->X = 300;
    o->Y = 100;
    const double w = o->Width, h = o->Height;
    struct Case {
        double X, Y, W, H;
        bool Overlaps;
    };
    const Case cases[] = {
        {300, 100, 10, 10, true},            // inside
        {300 + w, 100, 10, 10, true},        // touching the right edge
        {290, 100, 10, 10, true},            // touching the left edge
        {300, 100 + h, 10, 10, true},        // touching the bottom edge
        {300 + w + 0.5, 100, 10, 10, false}, // just right of it
        {300, 89.5, 10, 10, false},          // just above it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OverlapsAnyObject(1, c.X, c.Y, c.W, c.H), c.Overlaps) << c.X << "," << c.Y;
        EXPECT_FALSE(OverlapsAnyObject(3, c.X, c.Y, c.W, c.H)) << "its own slot is skipped";
    }
}

TEST_F(CourseFixture, TouchingObjectIsRejectedButTheFinishLineNeverIs) {
    PlaceObject(rkFinishLine); // spans the whole river at Y -140
    ASSERT_EQ(RowCount, 1);
    PlaceObject(rkTree);
    EXPECT_EQ(RowCount, 1);
    EXPECT_EQ(Kinds(), std::vector<int>{rkFinishLine});
    EXPECT_FALSE(RiverObjectUsed[2]) << "the rejected object's slot is free again";
    PlaceObject(rkFinishLine);
    EXPECT_EQ(RowCount, 2);
    EXPECT_EQ(UsedSlots(), 2);
}

TEST_F(CourseFixture, AllThirtySlotsUsedPlaceNothingUntilOneIsFreed) {
    for (int i = 1; i <= MaxRiverObjects; ++i) {
        RiverObjectUsed[i] = true;
        RiverObjects[i] = new TWallSprite(&world.sprites.Engine(), rkDuck, i);
        RiverObjects[i]->X = 200 + 10 * i;
        RiverObjects[i]->Y = 900;
    }
    SpawnChance.fill(1e9);
    ArmRow(6);
    RowCount = 0;
    SpawnObjects();
    EXPECT_EQ(RowCount, 0);
    EXPECT_EQ(UsedSlots(), 30);

    delete RiverObjects[7];
    ArmRow(6);
    SpawnObjects();
    EXPECT_EQ(UsedSlots(), 30);
    EXPECT_EQ(RiverObjects[7]->Kind, rkTree) << "the first chance of the row takes the freed slot";
}

TEST_F(CourseFixture, OddLevelFisherOnlyStartsARow) {
    ArmRow(6);
    SpawnChance[5] = 1e9;
    SpawnObjects();
    EXPECT_EQ(Kinds(), std::vector<int>{rkFisher});

    ClearRiverObjects();
    ArmRow(6);
    SpawnChance[1] = 1e9; // a tree first: then a winning fisher ends the row
    SpawnChance[7] = 1e9;
    SpawnObjects();
    EXPECT_EQ(Kinds(), std::vector<int>{rkTree});
}

TEST_F(CourseFixture, OddLevelRowEndsAtTwoObjectsButEvenLevelGroupsEachTryTheirFirst) {
    // Winning chances for tree and weed (group 1), bonus 10 (group 2), gun (group 3), life
    // (group 4). Objects at random X may touch and be rejected, so take the first seed where
    // nothing is: then the odd rule stops at two, the even rule goes through all four groups.
    const std::vector<int> winners = {1, 2, 7, 12, 16};
    std::vector<int> odd, even;
    for (uint32_t seed = 1; seed < 200 && even.size() != 5; ++seed) {
        for (int level : {1, 2}) {
            ClearRiverObjects();
            SpawnChance.fill(0);
            for (int i : winners)
                SpawnChance[i] = 1e9;
            Level = level;
            RandomState = seed;
            ArmRow(6);
            SpawnObjects();
            (level == 1 ? odd : even) = Kinds();
        }
    }
    EXPECT_EQ(odd, (std::vector<int>{rkTree, rkWeed}));
    EXPECT_EQ(even, (std::vector<int>{rkTree, rkWeed, rkBonus10, rkGun, rkLife}));
}

TEST_F(CourseFixture, EvenLevelsNeverPlaceFishersShipsRampsOrBridges) {
    Level = 2;
    for (int i = 1; i <= 16; ++i)
        SpawnChance[i] = 1e9;
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        ClearRiverObjects();
        RandomState = seed;
        ArmRow(6);
        SpawnObjects();
        for (int k : Kinds()) {
            EXPECT_TRUE(k != rkFisher && k != rkShip && k != rkRamp && k != rkBridge) << k;
        }
    }
}

TEST_F(CourseFixture, BoatAtRestMakesNoRowsOrDecorButBoatsStillCome) {
    FillSpawnChance(1);
    boat->ScrollStep = 0;
    RowDistance = 0;
    int boats = 0, others = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        SpawnShoreDecor();
        SpawnObjects();
        for (int i = 1; i <= MaxRiverObjects; ++i)
            if (RiverObjectUsed[i]) (IsBoatKind(RiverObjects[i]->Kind) ? boats : others) += 1;
        ClearRiverObjects();
    }
    EXPECT_EQ(others, 0);
    EXPECT_GT(boats, 0);
}

TEST_F(CourseFixture, FinishLineIsPlacedOnceTheDistanceIsCoveredAndNothingElseThatFrame) {
    SpawnChance.fill(1e9);
    boat->Distance = FinishDistance(1) - 0.5;
    ArmRow(6);
    SpawnObjects();
    EXPECT_FALSE(boat->FinishLinePlaced);
    ClearRiverObjects();

    boat->Distance = FinishDistance(1);
    ArmRow(6);
    const uint32_t before = RandomState;
    SpawnObjects();
    EXPECT_TRUE(boat->FinishLinePlaced);
    EXPECT_EQ(Kinds(), std::vector<int>{rkFinishLine});
    EXPECT_EQ(RiverObjects[1]->X, 177);
    EXPECT_EQ(RandomState, before) << "no draw on the finish frame";

    // After it: no rows, but boats keep coming.
    ArmRow(6);
    SpawnObjects();
    for (int k : Kinds()) {
        EXPECT_TRUE(k == rkFinishLine || IsBoatKind(k)) << k;
    }
}

TEST_F(CourseFixture, DrawsPerFrameFollowTheFixedOrder) {
    // With every chance zero, a frame draws 7 decor + 16 row + 12 boat uniforms, nothing else.
    boat->ScrollStep = 6;
    RowDistance = 101;
    RandomState = 5;
    SpawnShoreDecor();
    SpawnObjects();
    uint32_t expected = 5;
    for (int i = 0; i < 7 + 16 + 12; ++i)
        expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandomState, expected);
}

TEST(LevelRules, TimeAndDistanceGrowEveryTwoLevels) {
    struct Case {
        int32_t Level, Time, Distance;
    };
    for (const Case c : {Case{1, 60000, 24000}, Case{2, 60000, 24000}, Case{3, 90000, 48000},
                         Case{4, 90000, 48000}, Case{5, 120000, 72000}}) {
        EXPECT_EQ(LevelTime(c.Level), c.Time) << c.Level;
        EXPECT_EQ(FinishDistance(c.Level), c.Distance) << c.Level;
    }
}
