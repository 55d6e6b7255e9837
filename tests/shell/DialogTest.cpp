// Dialogs over the menus and the race: the exit and clear-table questions with their saved
// ranges, the finish-race and send questions, and the name entry.
#include "ShellFixture.h"
#include "race/Boat.h"
#include "race/RaceState.h"
#include "records/HighScores.h"
#include "stage/Dialogs.h"

namespace {

struct Dialogs : ShellFixture {
    // From the menu into a race with boat 1; runs the level intro out.
    void StartRace() {
        FinishIntro();
        ClickSlot(1);
        ASSERT_EQ(ScreenMode, smBoatChoice);
        ClickSlot(7);
        ASSERT_EQ(ScreenMode, smRace);
        for (int i = 0; i < 400 && DialogKind == 1; ++i)
            game->Step();
        ASSERT_EQ(DialogKind, 0);
    }
};

TEST_F(Dialogs, CloseButtonAsksToExitInTheMenusAndNoRestoresTheScreen) {
    FinishIntro();
    ClickSlot(3);
    ASSERT_EQ(ScreenMode, smHighScores);
    game->Step();
    const int hover = HoverIndex, first = FirstIndex, last = LastIndex, count = ButtonCount;
    game->CloseWindow();
    EXPECT_FALSE(game->Form().Terminated());
    ASSERT_EQ(DialogKind, 9);
    EXPECT_EQ(HoverIndex, 12) << "opens on No";
    game->Step();
    game->SaveScreenshot(GameHarness::OutputPath("exit-dialog"));
    // The mouse away from Yes and No takes the highlight off; either arrow then lands on No.
    game->MoveMouse(5, 5);
    EXPECT_EQ(HoverIndex, 0);
    Tap(vk::Left);
    EXPECT_EQ(HoverIndex, 12);
    game->Window().SetKey('N', true);
    game->Step();
    game->Window().SetKey('N', false);
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(HoverIndex, hover);
    EXPECT_EQ(FirstIndex, first);
    EXPECT_EQ(LastIndex, last);
    EXPECT_EQ(ButtonCount, count);
    EXPECT_EQ(ScreenMode, smHighScores);
}

TEST_F(Dialogs, ExitYesSavesTheTableWithItsCheckStringAndEnds) {
    FinishIntro();
    InsertHighScore("ALICE", 4900);
    game->CloseWindow();
    ASSERT_EQ(DialogKind, 9);
    ClickSlot(11);
    EXPECT_TRUE(game->Form().Terminated());
    // Yes saves before the form goes: the options file's check string is of the table saved beside it.
    EXPECT_NE(game->Dir().ReadSave("hs").find("ALICE\r\n4900\r\n"), std::string::npos);
    EXPECT_NE(game->Dir().ReadSave("options").find("\r\n" + BuildHighScoreCheck() + "\r\n"),
              std::string::npos);
}

TEST_F(Dialogs, ClearTableQuestionResetsOnYes) {
    FinishIntro();
    HighScores[1] = {"ACE", 9000, 0, 0};
    ClickSlot(3);
    ClickSlot(7);
    ASSERT_EQ(DialogKind, 10);
    game->Step();
    game->SaveScreenshot(GameHarness::OutputPath("clear-table-dialog"));
    game->Window().SetKey('Y', true);
    game->Step();
    game->Window().SetKey('Y', false);
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(HighScores[1].Name, "ANONYMOUS");
    EXPECT_EQ(HoverIndex, 7) << "the highlight of the screen below comes back";
}

TEST_F(Dialogs, FinishRaceOpensOnNoAndEnterResumes) {
    StartRace();
    game->CloseWindow();
    ASSERT_EQ(DialogKind, 4);
    EXPECT_EQ(HoverIndex, 2);
    game->Step();
    game->SaveScreenshot(GameHarness::OutputPath("finish-race-dialog"));
    game->PressKey(vk::Return);
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(ScreenMode, smRace);
    game->Steps(5);
    EXPECT_EQ(ScreenMode, smRace);
}

TEST_F(Dialogs, NameEntryKeepsTenCharactersAndTheCursorBlinks) {
    StartRace();
    Score = 12345;
    game->CloseWindow();
    ASSERT_EQ(DialogKind, 4);
    game->Window().SetKey('Y', true);
    game->Step();
    game->Window().SetKey('Y', false);
    ASSERT_EQ(DialogKind, 5) << "a qualifying score asks for the name";
    game->Type("ABCDEFGHIJKLMN");
    EXPECT_EQ(PlayerName, "ABCDEFGHIJ");
    game->Step();
    ASSERT_NE(NameCursor, nullptr);
    EXPECT_TRUE(NameCursor->Visible) << "visible on the first frame";
    // 500 ms of 15 ms frames: the blink comes every 34th frame.
    std::vector<int> toggles;
    bool was = NameCursor->Visible;
    for (int i = 1; i <= 110; ++i) {
        game->Step();
        if (NameCursor->Visible != was) toggles.push_back(i), was = NameCursor->Visible;
    }
    EXPECT_EQ(toggles, (std::vector<int>{34, 68, 102}));
    game->SaveScreenshot(GameHarness::OutputPath("name-dialog"));
    game->PressKey(vk::Back);
    EXPECT_EQ(PlayerName, "ABCDEFGHI");
    game->PressKey(vk::Return);
    ASSERT_EQ(DialogKind, 6);
    EXPECT_EQ(HoverIndex, 1) << "the send question opens on Yes";
    EXPECT_EQ(HighScores[1].Name, "ABCDEFGHI");
    game->Window().SetKey('N', true);
    game->Step();
    game->Window().SetKey('N', false);
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(MenuAnimPhase(), 1) << "the menu is rebuilt and animates in";
    sounds.clear();
    FinishIntro();
    game->Step();
    EXPECT_EQ(ScreenMode, smHighScores) << "after a race the table opens by itself";
    EXPECT_TRUE(ShowsActiveLook(3));
    EXPECT_EQ(Count("B_Act"), 0) << "the high-score button lights without a click sound";
}

// Minimising during a race pauses it; over a dialog the pause takes its place only where closing
// that dialog loses nothing (the level intro, the finish question). Over the others the dialog
// stays: time over must still restart the level, the name entry keep the name, game over open
// the name entry, the send questions end the race.
TEST_F(Dialogs, MinimisingPausesTheRaceOverTheDialogsThatCanCloseWithoutLoss) {
    StartRace();
    struct Case {
        int Up, After;
    };
    // Game over last: closing it ends the race.
    for (const Case c : {Case{0, 2}, Case{1, 2}, Case{2, 2}, Case{4, 2}, Case{3, 3}, Case{5, 5}, Case{6, 6},
                         Case{7, 7}, Case{8, 8}}) {
        if (DialogKind != 0) CloseDialog();
        if (c.Up != 0) OpenDialog(TDialogKind(c.Up));
        platform::Event e;
        e.Kind = platform::EventKind::Minimized;
        game->Window().Inject(e);
        game->Pump();
        EXPECT_EQ(DialogKind, c.After) << "over dialog " << c.Up;
        if (c.Up == 4) {
            EXPECT_EQ(Buttons[1], nullptr) << "the finish question's buttons are gone";
            EXPECT_EQ(DialogWindow, nullptr);
        }
    }
    EXPECT_EQ(ScreenMode, smRace);
}

// Closing the finish question with fire held brings the gun's sound back with the race; when the
// pause takes its place, the sound is stopped again, as a pause opened by P leaves it.
TEST_F(Dialogs, MinimisingOverTheFinishQuestionLeavesTheGunSilent) {
    StartRace();
    PlayerBoat->GainPowerUp(TPowerUp::Gun);
    PlayerBoat->Firing = true;
    OpenDialog(dkFinishRace);
    ASSERT_EQ(HoverIndex, 2);
    std::vector<bool> shot; // play (true) and stop (false) of "Shot", in order
    SoundListener = [&](const std::string& name, bool play) {
        if (name == "Shot") shot.push_back(play);
    };
    platform::Event e;
    e.Kind = platform::EventKind::Minimized;
    game->Window().Inject(e);
    game->Pump();
    ASSERT_EQ(DialogKind, 2);
    ASSERT_FALSE(shot.empty());
    EXPECT_FALSE(shot.back()) << "the last word on the gun's sound is a stop";
}

// Y and N in the same frame: Yes answers, No is dropped rather than clicking whatever Yes left up.
TEST_F(Dialogs, YesAndNoTogetherInTheFinishQuestionOpenTheNameEntry) {
    StartRace();
    Score = 12345;
    game->CloseWindow();
    ASSERT_EQ(DialogKind, 4);
    const auto before = HighScores;
    game->Window().SetKey('Y', true);
    game->Window().SetKey('N', true);
    game->Step();
    EXPECT_EQ(DialogKind, 5) << "the name is still to be typed";
    for (int r = 1; r <= 10; ++r)
        EXPECT_EQ(HighScores[size_t(r)].Name, before[size_t(r)].Name) << r;
}

TEST_F(Dialogs, YesAndNoTogetherInTheClearQuestionStayInTheHighScores) {
    FinishIntro();
    HighScores[1] = {"ACE", 9000, 0, 0};
    ClickSlot(3);
    ClickSlot(7);
    ASSERT_EQ(DialogKind, 10);
    game->Window().SetKey('Y', true);
    game->Window().SetKey('N', true);
    game->Step();
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(HighScores[1].Name, "ANONYMOUS") << "Yes cleared the table";
    EXPECT_EQ(ScreenMode, smHighScores) << "No did not go on to leave the screen";
}

} // namespace
