// The race inside the real main form and frame loop, with the built game data: from the main
// menu into a race with full throttle until game over brings the menu back.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/Screens.h"
#include "platform/KeyCodes.h"
#include "race/Boat.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "stage/GameState.h"
#include "support/Harness.h"

TEST(FormRace, FullThrottleRaceRunsInTheFrameLoopUntilTheMenuReturns) {
    if (!std::filesystem::exists(std::string(SPRAYDASH_DATA_DIR) + "/Res/Res3.dxg"))
        GTEST_SKIP() << "the game data is not built";
    GameHarness h;
    h.Steps(80);
    ASSERT_EQ(ScreenMode, smMainMenu);
    // What the boat-choice screen's start action does.
    ChosenBoat = 2;
    DestroyMainMenu();
    RandomState = 2; // the form seeds from the clock; this course ends in a few thousand frames
    StartRace();
    h.Steps(140);
    ASSERT_EQ(DialogKind, 0) << "the level intro has closed";
    h.KeyDown(vk::Up);
    bool moved = false;
    for (int i = 0; i < 8000 && ScreenMode == smRace; ++i) {
        // A score good enough for the table: no name, and no sending.
        if (DialogKind == 5) h.PressKey(vk::Return);
        const int no = vk::KeyA + ('N' - 'A');
        const bool question = DialogKind == 6;
        if (question) h.KeyDown(no); // the question reads the held key at the frame
        h.Step();
        if (question) h.KeyUp(no);
        if (i == 300) {
            moved = PlayerBoat->Speed > 10 && PlayerBoat->Distance > 1000;
            h.SaveScreenshot(GameHarness::OutputPath("race-in-the-form"));
        }
    }
    EXPECT_TRUE(moved) << "the throttle key reached the boat";
    EXPECT_NE(ScreenMode, smRace) << "the race ended; level " << Level << " lives " << Lives << " dialog "
                                  << int(DialogKind) << " score " << Score;
    EXPECT_EQ(PlayerBoat, nullptr);
    // The form's race-over handler builds the main menu anew, which opens the table by itself.
    for (int i = 0; i < 600 && ScreenMode != smHighScores; ++i)
        h.Step();
    EXPECT_EQ(ScreenMode, smHighScores) << "after the race the high-score table opens";
}
