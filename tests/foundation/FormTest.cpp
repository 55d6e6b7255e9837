// The main form on the headless harness: start-up with and without saves, the pictures copied
// while the loop waits, the display switch, minimising and focus, and what happens when a data
// file is missing.
#include <gtest/gtest.h>

#include <filesystem>

#include "Harness.h"
#include "app/Application.h"
#include "engine/Errors.h"
#include "platform/KeyCodes.h"
#include "race/RaceState.h"
#include "records/Options.h"
#include "stage/Frame.h"
#include "stage/Game.h"
#include "stage/GameState.h"

namespace {

TEST(Form, StartsWithDefaultsAndTheMainMenuWithoutSaves) {
    GameHarness game;
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(Options.FullScreen, 0);
    EXPECT_EQ(Options.MusicOn, 1);
    EXPECT_EQ(Options.SoundOn, 1);
    EXPECT_FALSE(game.Window().IsFullScreen());
    EXPECT_TRUE(game.Form().MDXTimer.Enabled());
    EXPECT_EQ(FrameMs, 15);
    EXPECT_EQ(VelocityScale, 0.5);
    ASSERT_TRUE(game.Step());
    EXPECT_EQ(game.Window().PresentCount(), 1u);
    EXPECT_NE(game.BackSurfaceDigest(), 0u);
}

TEST(Form, SavedFullScreenOpensFullScreenAndAltEnterReturnsToTheWindow) {
    HarnessOptions o;
    o.Saves["options"] = "1\r\n1\r\n1\r\n_______\r\n\r\n";
    GameHarness game(o);
    EXPECT_EQ(Options.FullScreen, 1);
    EXPECT_TRUE(game.Window().IsFullScreen());
    EXPECT_EQ(game.Form().MDXDraw.ActiveOptions(), (TDXDrawOptions{doFullScreen, doAllowReboot}));
    game.PressKey(vk::Return, true);
    EXPECT_EQ(Options.FullScreen, 0);
    EXPECT_FALSE(game.Window().IsFullScreen());
    EXPECT_EQ(game.Window().PlacementRestores(), 1) << "the window goes back where it was";
    EXPECT_TRUE(game.Step()) << "the frame loop runs again after the switch";
    game.PressKey(vk::Return, true);
    EXPECT_TRUE(game.Window().IsFullScreen());
    EXPECT_EQ(ScreenMode, smMainMenu);
}

TEST(Form, RefusedFullScreenRaisesTheDisplayError) {
    GameHarness game;
    game.Window().RefuseFullScreen(true);
    Options.FullScreen = 1;
    try {
        game.Form().ApplyDisplayMode();
        FAIL() << "no error";
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Display mode cannot be changed (800x600 16bit)");
    }
}

TEST(Form, PicturesOffTheFirstFrameAreCopiedWhileTheLoopWaitsAfterIt) {
    GameHarness game;
    TPictureCollection& menu = game.Form().MDXImageList.Items();
    TPictureCollection& race = game.Form().MDXImageList3.Items();
    auto due = [&] {
        int n = 0;
        for (TPictureCollection* list : {&menu, &race})
            for (int i = 0; i < list->Count(); ++i)
                n += list->Items(i)->SurfacesDue() ? 1 : 0;
        return n;
    };
    // Start-up copies only what the menu is built from: the help pages and the race are still due.
    EXPECT_TRUE(menu.FindItem("Help1").SurfacesDue());
    EXPECT_TRUE(race.FindItem("Land").SurfacesDue());
    const int atStart = due();

    // Before the first frame is on the screen the wait copies nothing.
    RunLoopOnce(game.Form(), game.Window(), true);
    EXPECT_EQ(due(), atStart);
    ASSERT_TRUE(game.Step(1));
    ASSERT_EQ(game.Form().MDXDraw.PresentCount(), 1u);
    const int afterFirstFrame = due();
    ASSERT_GT(afterFirstFrame, 0);

    // 9 ms before the next frame there is no time for a copy.
    game.Clock().Advance(6);
    RunLoopOnce(game.Form(), game.Window(), true);
    EXPECT_EQ(due(), afterFirstFrame);

    // With a whole interval ahead each pass copies one picture, until none is due.
    ASSERT_TRUE(game.Step(1));
    int passes = 0;
    while (due() > 0 && passes <= afterFirstFrame) {
        const int before = due();
        RunLoopOnce(game.Form(), game.Window(), true);
        EXPECT_EQ(due(), before - 1);
        ++passes;
    }
    EXPECT_EQ(due(), 0);
    EXPECT_EQ(passes, afterFirstFrame);
    EXPECT_EQ(game.Form().MDXDraw.PresentCount(), 2u) << "copying draws no frame";
}

TEST(Form, TheWindowsFirstFocusDoesNotHoldBackTheFirstFrame) {
    GameHarness game;
    // The first frame is due an interval after the display started; the focus the window gets
    // when it first appears arrives just then.
    game.Clock().Advance(15);
    platform::Event e;
    e.Kind = platform::EventKind::Activated;
    game.Window().Inject(e);
    RunLoopOnce(game.Form(), game.Window(), false);
    EXPECT_EQ(game.Form().MDXDraw.PresentCount(), 1u);
}

TEST(Form, DeactivationFreezesTheLoopAndReactivationResumesWithLagOne) {
    GameHarness game;
    game.Steps(3);
    platform::Event e;
    e.Kind = platform::EventKind::Deactivated;
    game.Window().Inject(e);
    EXPECT_FALSE(game.Step(10)) << "no frames while inactive";
    e.Kind = platform::EventKind::Activated;
    game.Window().Inject(e);
    game.Pump();
    int lag = 0;
    game.Form().MDXTimer.OnTimer = [&](int l) { lag = l; };
    game.Clock().Advance(500); // long away: still lag 1 after coming back
    game.Form().MDXTimer.ApplicationActivated();
    game.Step(1);
    EXPECT_EQ(lag, 1);
}

TEST(Form, MinimisingDuringARacePauses) {
    GameHarness game;
    ScreenMode = smRace;
    platform::Event e;
    e.Kind = platform::EventKind::Minimized;
    game.Window().Inject(e);
    game.Pump();
    EXPECT_EQ(DialogKind, 2);
    DialogKind = dkNone;
    ScreenMode = smMainMenu;
}

TEST(Form, HidingAndShowingTheCursorIgnoresEarlierCalls) {
    GameHarness game;
    for (int i = 0; i < 3; ++i)
        game.Window().ShowCursor(false);
    ShowMouseCursor();
    EXPECT_TRUE(game.Window().CursorVisible());
    for (int i = 0; i < 4; ++i)
        game.Window().ShowCursor(true);
    HideMouseCursor();
    EXPECT_FALSE(game.Window().CursorVisible());
}

TEST(Form, AMissingDataFileIsReportedByName) {
    ScratchGameDir dir("Form.MissingData");
    std::filesystem::remove(dir.Path() / "Data" / "Res");
    platform::HeadlessWindow window;
    ResetGameState();
    try {
        TMForm form(window);
        FAIL() << "started without data";
    } catch (const EGameError& e) {
        EXPECT_NE(std::string(e.what()).find("Data/Res/Res1.dxg"), std::string::npos) << e.what();
    }
}

} // namespace
