// The race flow: the screen's sprites, the level intro, the time countdown with its ticks, the
// finish and time bonus, running out of time, wrecks and game over, pause, the panels.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RaceWorld.h"

using namespace racetest;

namespace {

struct FlowFixture : ::testing::Test {
    RaceWorld world;
    std::vector<std::string> sounds;

    void SetUp() override {
        SoundListener = [this](const std::string& name, bool play) {
            if (play) sounds.push_back(name);
        };
        world.Start();
    }
    int Count(const std::string& name) const { return int(std::count(sounds.begin(), sounds.end(), name)); }
    // No new river objects: the tests below are about time and lives, not the course.
    static void NoObjects() { SpawnChance.fill(0); }
};

} // namespace

TEST_F(FlowFixture, StartRaceBuildsTheScreenAndOpensTheLevelIntro) {
    EXPECT_EQ(ScreenMode, smRace);
    EXPECT_EQ(Level, 1);
    EXPECT_EQ(Lives, 3);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(TimeLeft, 60000);
    EXPECT_EQ(DialogKind, 1);
    EXPECT_EQ(Background->X, 124);
    EXPECT_TRUE(PlayerBoat->Controllable);
    EXPECT_EQ(PlayerBoat->Y, 585 - PlayerBoat->Height);
    EXPECT_EQ(RightPanel->X, 799 - RightPanel->Width);
    EXPECT_EQ(CrashBlast->Z(), 6);
    EXPECT_FALSE(CrashBlast->Visible);
    EXPECT_EQ(GunFireClock->Z(), 7);
    EXPECT_EQ(Count("Engine"), 1);
    EXPECT_TRUE(world.timer.Enabled());

    // Creation order is advance order: background, panels, marker, needle, boat, wake, ...
    TSpriteEngine& root = world.sprites.Engine();
    std::vector<TSprite*> expected = {Background, LeftPanel,   RightPanel,  ProgressMarker,  SpeedNeedle,
                                      PlayerBoat, BoatWake,    WakeClock,   EngineFireClock, GunFireClock,
                                      GunPanel,   EnginePanel, ShieldPanel, NoPowerPanel,    CrashBlast};
    ASSERT_EQ(root.ChildCount(), int(expected.size()));
    for (int i = 0; i < root.ChildCount(); ++i)
        EXPECT_EQ(root.Child(i), expected[size_t(i)]) << i;
}

TEST_F(FlowFixture, LevelIntroFreezesTheRaceFor2000ms) {
    int frames = 0;
    const double boatX = PlayerBoat->X;
    while (DialogKind == 1 && frames < 1000) {
        world.Step({.Up = true, .Pause = frames % 2 == 0});
        ++frames;
        if (DialogKind == 1) {
            ASSERT_EQ(TimeLeft, 60000);
        }
    }
    EXPECT_EQ(frames, 2000 / 15 + 2);
    EXPECT_EQ(PlayerBoat->X, boatX);
    EXPECT_EQ(PlayerBoat->Speed, 0) << "the throttle is not read under a dialog";
    EXPECT_EQ(DialogKind, 0) << "P is not read in the intro";
}

TEST_F(FlowFixture, NineTicksInTheLastTenSeconds) {
    world.SkipIntro();
    NoObjects();
    TimeLeft = 10500;
    std::vector<int32_t> tickedAt;
    while (TimeLeft > 0) {
        const int32_t before = TimeLeft;
        const int ticks = Count("Tick");
        world.Step();
        if (Count("Tick") > ticks) tickedAt.push_back(before);
    }
    // The frames whose countdown passes 9000, 8000, ... 1000 (time runs in steps of 15 ms); none
    // at 10000 and none at 0.
    EXPECT_EQ(tickedAt, (std::vector<int32_t>{9000, 8010, 7005, 6000, 5010, 4005, 3000, 2010, 1005}));
}

TEST_F(FlowFixture, TimeOutCostsALifeAndRestartsTheLevel) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->Speed = 4;
    TimeLeft = 0;
    world.Step();
    EXPECT_EQ(PlayerBoat->SpeedOrder, soBrake) << "out of time: the boat brakes to a stop";
    for (int i = 0; i < 100 && DialogKind == 0; ++i)
        world.Step();
    EXPECT_EQ(DialogKind, 3);
    EXPECT_EQ(Lives, 2);
    EXPECT_EQ(Count("TimeOver"), 1);
    for (int i = 0; i < 300 && DialogKind == 3; ++i)
        world.Step();
    EXPECT_EQ(DialogKind, 1) << "the same level starts again";
    EXPECT_EQ(Level, 1);
    EXPECT_EQ(TimeLeft, 60000);
    EXPECT_EQ(Lives, 2);
}

TEST_F(FlowFixture, TimeOutWithTheLastLifeIsGameOver) {
    world.SkipIntro();
    NoObjects();
    Lives = 1;
    TimeLeft = 0;
    world.Step();
    EXPECT_EQ(DialogKind, 8);
    EXPECT_EQ(Lives, 0);
    for (int i = 0; i < 300 && ScreenMode == smRace; ++i)
        world.Step();
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(world.raceOvers, 1) << "a score that does not qualify ends the race at once";
    EXPECT_EQ(PlayerBoat, nullptr);
    EXPECT_EQ(world.sprites.Engine().ChildCount(), 1) << "only the background is left";
    EXPECT_EQ(Background->X, 0);
}

TEST_F(FlowFixture, TimeRunningOutPastTheFinishLineCompletesTheLevel) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->Speed = 0;
    FinishLineY = PlayerBoat->Y + 50; // the line is behind the boat
    TimeLeft = 0;
    for (int i = 0; i < 10 && Level == 1; ++i)
        world.Step();
    EXPECT_EQ(Level, 2);
    EXPECT_EQ(Lives, 3);
    EXPECT_EQ(Score, 0) << "no time left, no bonus";
    EXPECT_EQ(Count("Finish"), 1);
    EXPECT_EQ(DialogKind, 1);
    EXPECT_EQ(TimeLeft, 60000);
}

TEST_F(FlowFixture, FinishBrakesToAStopAndCountsTheTimeBonus) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->Speed = 5;
    TimeLeft = 1000; // 1000 ms: 7 frames of 150 ms, the last one partial
    FinishLineY = PlayerBoat->Y + 1;
    world.Step();
    EXPECT_TRUE(PlayerBoat->CrossedFinish);
    EXPECT_EQ(PlayerBoat->State, bsFinishing);
    int32_t scoreAtStop = Score, timeAtStop = TimeLeft;
    for (int frames = 0; !PlayerBoat->LevelComplete && frames < 200; ++frames) {
        scoreAtStop = Score;
        timeAtStop = TimeLeft;
        world.Step({.Up = true});
    }
    EXPECT_EQ(PlayerBoat->Speed, 0);
    EXPECT_FALSE(PlayerBoat->Controllable);
    ASSERT_GT(timeAtStop, 0);
    const int32_t bonusFrames = (timeAtStop + 149) / 150;
    for (int i = 0; i < 100 && Level == 1; ++i)
        world.Step();
    EXPECT_EQ(Score - scoreAtStop, 5 * bonusFrames);
    EXPECT_EQ(Level, 2);
    EXPECT_EQ(PlayerBoat->State, bsRacing);
    EXPECT_FALSE(PlayerBoat->CrossedFinish);
}

TEST_F(FlowFixture, WreckWithTheLastLifePlaysTheCrashTwiceThenGameOver) {
    world.SkipIntro();
    NoObjects();
    Lives = 1;
    PlayerBoat->Wreck();
    EXPECT_EQ(Lives, 0);
    int frames = 0;
    while (DialogKind != 8 && frames < 500) {
        world.Step();
        ++frames;
    }
    // Two loops of an 8-pattern explosion at 0.225 patterns a frame.
    EXPECT_GE(frames, 70);
    EXPECT_LE(frames, 73);
    EXPECT_FALSE(CrashBlast->Visible);
    EXPECT_EQ(Count("GameOver"), 1);
}

TEST_F(FlowFixture, WreckWithLivesLeftRespawnsAfterTwoCrashLoops) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->Speed = 10;
    PlayerBoat->Wreck();
    EXPECT_EQ(Lives, 2);
    int frames = 0;
    while (PlayerBoat->State == bsWrecked && frames < 500) {
        world.Step();
        ++frames;
    }
    EXPECT_EQ(PlayerBoat->State, bsRacing);
    EXPECT_TRUE(PlayerBoat->Visible);
    EXPECT_FALSE(CrashBlast->Visible);
    EXPECT_EQ(DialogKind, 0);
}

TEST_F(FlowFixture, TimeRunningOutDuringACrashRestartsWithTheBoatInView) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->Wreck(); // hidden while the crash plays
    TimeLeft = 0;
    world.Step();
    ASSERT_EQ(DialogKind, 3);
    for (int i = 0; i < 300 && DialogKind == 3; ++i)
        world.Step();
    EXPECT_EQ(DialogKind, 1);
    EXPECT_EQ(Lives, 1) << "one for the wreck, one for the time";
    EXPECT_TRUE(PlayerBoat->Visible);
    EXPECT_EQ(PlayerBoat->State, bsRacing);
    EXPECT_FALSE(CrashBlast->Visible);
}

TEST_F(FlowFixture, PauseFreezesTheRaceUntilPOrEsc) {
    world.SkipIntro();
    NoObjects();
    world.Steps(10, {.Up = true});
    const int32_t time = TimeLeft;
    world.Step({.Pause = true});
    EXPECT_EQ(DialogKind, 2);
    world.Steps(20, {.Up = true});
    EXPECT_EQ(TimeLeft, time) << "frozen";
    // The frame that closes the dialog already runs the race logic again.
    world.Step({.Esc = true});
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(TimeLeft, time - 15);
}

TEST_F(FlowFixture, FireStartsAndStopsTheShotSoundOnlyWithTheGun) {
    world.SkipIntro();
    NoObjects();
    world.Steps(3, {.Fire = true});
    EXPECT_EQ(Count("Shot"), 0);
    EXPECT_TRUE(PlayerBoat->Firing);
    world.Step();
    EXPECT_FALSE(PlayerBoat->Firing);
    PlayerBoat->GainPowerUp(TPowerUp::Gun);
    world.Steps(3, {.Fire = true});
    EXPECT_EQ(Count("Shot"), 1);
}

TEST_F(FlowFixture, ProgressMarkerClimbsWithTheDistanceAndStaysAtTheTop) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->Distance = FinishDistance(1) / 2.0;
    world.Step();
    EXPECT_NEAR(ProgressMarker->Y, 322 - 281 / 2.0, 0.01);
    PlayerBoat->Distance = FinishDistance(1) * 1.1;
    world.Step();
    const double top = ProgressMarker->Y;
    EXPECT_LE(top, 41);
    PlayerBoat->Distance = 0;
    world.Step();
    EXPECT_EQ(ProgressMarker->Y, top);
}

TEST(RaceHud, DigitShiftCountsThresholdsOfTheLow16Bits) {
    struct Case {
        int32_t Value;
        int Shift;
    };
    for (const Case c : {Case{0, 0}, Case{9, 0}, Case{10, 1}, Case{99, 1}, Case{100, 2}, Case{9999, 3},
                         Case{10000, 4}, Case{65535, 4}, Case{65536, 0}, Case{65546, 1}}) {
        EXPECT_EQ(DigitShift(c.Value), c.Shift) << c.Value;
    }
}

TEST_F(FlowFixture, PowerUpPanelShowsTheOneRunningOutFirst) {
    world.SkipIntro();
    NoObjects();
    world.Step();
    EXPECT_TRUE(NoPowerPanel->Visible);
    PlayerBoat->GainPowerUp(TPowerUp::Gun);
    world.Steps(100);
    PlayerBoat->GainPowerUp(TPowerUp::Shield);
    world.Step();
    EXPECT_TRUE(GunPanel->Visible);
    EXPECT_FALSE(ShieldPanel->Visible);
    EXPECT_FALSE(NoPowerPanel->Visible);
    PlayerBoat->LosePowerUp(TPowerUp::Gun, true);
    world.Steps(2); // the gun's time counts until the frame's end marks it not held
    EXPECT_FALSE(GunPanel->Visible);
    EXPECT_TRUE(ShieldPanel->Visible);
}

// A held power-up that is not the first to run out (here the engine's time, not yet reset after
// it was lost, is shorter) shows no panel of its own and leaves the shown one as it is.
TEST_F(FlowFixture, PowerUpPanelStaysWhileNoHeldPowerUpRunsOutFirst) {
    world.SkipIntro();
    NoObjects();
    PlayerBoat->GainPowerUp(TPowerUp::Gun);
    world.Step();
    ASSERT_TRUE(GunPanel->Visible);
    PlayerBoat->EngineTime = PlayerBoat->GunTime - 1000;
    DrawPowerUpHud();
    EXPECT_TRUE(GunPanel->Visible);
    EXPECT_FALSE(NoPowerPanel->Visible);
}

// Running out of time opens time over or game over in the middle of the frame's logic; nothing
// after it runs in that frame: the controls held are not read (no gun sound under the dialog).
TEST_F(FlowFixture, ADialogOpenedByTheClockStopsTheRestOfThatFrame) {
    world.SkipIntro();
    NoObjects();
    struct Case {
        int32_t LivesBefore;
        int Dialog;
    };
    for (const Case c : {Case{2, 3}, Case{1, 8}}) {
        if (DialogKind != 0) CloseDialog();
        PlayerBoat->GainPowerUp(TPowerUp::Gun);
        PlayerBoat->Firing = false;
        PlayerBoat->Speed = 0;
        Lives = c.LivesBefore;
        TimeLeft = 0;
        sounds.clear();
        world.Step({.Up = true, .Fire = true});
        ASSERT_EQ(DialogKind, c.Dialog);
        EXPECT_FALSE(PlayerBoat->Throttle) << "dialog " << c.Dialog;
        EXPECT_FALSE(PlayerBoat->Firing) << "dialog " << c.Dialog;
        EXPECT_EQ(Count("Shot"), 0) << "dialog " << c.Dialog;
    }
}

TEST_F(FlowFixture, NeedleJitterCyclesEvery30ms) {
    NeedleJitterTimer = -1;
    NeedleJitter = 0;
    std::vector<int> jitter;
    for (int i = 0; i < 9; ++i) {
        DrawNeedle();
        jitter.push_back(NeedleJitter);
    }
    EXPECT_EQ(jitter, (std::vector<int>{1, 1, 1, -1, -1, -1, 0, 0, 0}));
}
