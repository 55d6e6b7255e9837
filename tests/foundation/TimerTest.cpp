// The frame timer's pace and lag counts, driven by a test clock.
#include <gtest/gtest.h>

#include <vector>

#include "engine/DXClass.h"
#include "platform/Clock.h"

namespace {

struct TimerFixture : ::testing::Test {
    platform::FakeClock clock{5000};
    TDXTimer timer;
    std::vector<int> lags;

    void SetUp() override {
        platform::SetGameClock(&clock);
        timer.SetInterval(15);
        timer.OnTimer = [this](int lag) { lags.push_back(lag); };
        timer.SetEnabled(false);
        timer.SetEnabled(true);
    }
    void TearDown() override { platform::SetGameClock(nullptr); }

    // Moves the clock and runs one idle pass.
    void After(uint32_t ms) {
        clock.Advance(ms);
        timer.Idle();
    }
};

TEST_F(TimerFixture, LateFrameReportsWholeIntervalsPassed) {
    After(50);
    ASSERT_EQ(lags, std::vector<int>{3});
}

TEST_F(TimerFixture, FrameIsNotDeliveredBeforeTheInterval) {
    After(14);
    EXPECT_TRUE(lags.empty());
    After(1);
    EXPECT_EQ(lags, std::vector<int>{1});
}

TEST_F(TimerFixture, IdleSaysHowLongUntilTheNextFrame) {
    clock.Advance(10);
    EXPECT_EQ(timer.Idle(), 5u);
    clock.Advance(5);
    EXPECT_EQ(timer.Idle(), 0u);
    EXPECT_EQ(timer.Idle(), 15u);
}

TEST_F(TimerFixture, ReactivationRestartsWithLagOne) {
    After(15);
    timer.ApplicationDeactivated();
    EXPECT_FALSE(timer.IdleInstalled());
    After(1000); // frozen while inactive
    EXPECT_EQ(lags.size(), 1u);
    timer.ApplicationActivated();
    After(15);
    EXPECT_EQ(lags, (std::vector<int>{1, 1}));
}

TEST_F(TimerFixture, ClockWrapAroundKeepsThePace) {
    clock.Set(0xFFFFFFF0u);
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    After(32); // crosses 2^32
    EXPECT_EQ(lags, std::vector<int>{2});
}

TEST_F(TimerFixture, FrameRateIsMeasuredOverAboutASecond) {
    for (int i = 0; i < 70; ++i)
        After(15);
    EXPECT_GE(timer.FrameRate, 66);
    EXPECT_LE(timer.FrameRate, 67);
}

TEST(TimerSettings, IntervalAndEnabledFollowTheirRules) {
    TDXTimer t;
    t.SetInterval(-5);
    EXPECT_EQ(t.Interval(), 0);
    EXPECT_EQ(t.StepInterval(), 1u);
    t.Loading = true;
    t.SetEnabled(false);
    t.SetEnabled(true);
    EXPECT_FALSE(t.Running()) << "while loading, Enabled is only stored";
    t.Loaded();
    EXPECT_TRUE(t.Running());
    t.SetEnabled(false);
    EXPECT_FALSE(t.Running());
    EXPECT_FALSE(t.IdleInstalled());
}

TEST(TimerSettings, InactiveApplicationStartsWithoutIdleHandler) {
    TDXTimer t;
    t.ApplicationDeactivated();
    t.SetEnabled(false);
    t.SetEnabled(true);
    EXPECT_TRUE(t.Running());
    EXPECT_FALSE(t.IdleInstalled());
    t.ActiveOnly = false;
    t.SetEnabled(false);
    t.SetEnabled(true);
    EXPECT_TRUE(t.IdleInstalled());
}

} // namespace
