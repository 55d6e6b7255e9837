// The main menu: its intro animation, hover and keys, and the way into and out of the sub-screens.
#include <functional>

#include "ShellFixture.h"
#include "records/HighScores.h"
#include "records/Options.h"

namespace {

using MainMenu = ShellFixture;

TEST_F(MainMenu, IntroSlidesButtonsToRestAt556After61Frames) {
    ASSERT_EQ(ScreenMode, smMainMenu);
    ASSERT_EQ(MenuAnimPhase(), 1);
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(Buttons[size_t(slot)]->X, 800) << slot;
    int panelFrames = 0;
    while (MenuAnimPhase() == 1) {
        game->Step();
        ++panelFrames;
    }
    // The frame that ends the panels already moves the buttons once.
    int buttonFrames = 1;
    while (MenuAnimPhase() == 3) {
        game->Step();
        if (MenuAnimPhase() == 3) ++buttonFrames;
    }
    EXPECT_EQ(buttonFrames, 61);
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(Buttons[size_t(slot)]->X, 556) << slot;
    // The upper panel (100 high) comes down 1.75 a frame from -100: 58 frames (100 / 1.75 =
    // 57.1), resting at -100 + 58 x 1.75 = 1.5. The lower one (50 high) rises 7/6 a frame from
    // 600 and is done after 43 frames (50 / (7/6) = 42.9) at 600 - 43 x 7/6 = 549.83.
    EXPECT_EQ(panelFrames, 58);
    EXPECT_DOUBLE_EQ(Buttons[14]->Y, 1.5);
    EXPECT_NEAR(Buttons[15]->Y, 600 - 43 * 7.0 / 6, 1e-9);
    game->SaveScreenshot(GameHarness::OutputPath("main-menu"));
}

TEST_F(MainMenu, ClicksDuringTheIntroDoNothing) {
    game->Steps(5);
    game->Click(600, 130);
    game->PressKey(vk::Return);
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(Count("B_Act"), 0);
}

TEST_F(MainMenu, EscDoesNothingAndBackspaceOpensTheHighlightedItem) {
    FinishIntro();
    game->Step();
    EXPECT_EQ(HoverIndex, 1);
    game->PressKey(vk::Escape);
    game->Step();
    EXPECT_EQ(ScreenMode, smMainMenu);
    Tap(vk::Down);
    Tap(vk::Down);
    EXPECT_EQ(HoverIndex, 3);
    int clicks = Count("B_Act");
    game->PressKey(vk::Back);
    EXPECT_EQ(ScreenMode, smHighScores);
    EXPECT_EQ(Count("B_Act"), clicks) << "a key opens without the click sound";
    game->Step();
    game->SaveScreenshot(GameHarness::OutputPath("high-scores"));
    game->PressKey(vk::Escape);
    game->Step();
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(HoverIndex, 3);
}

TEST_F(MainMenu, NavigationWrapsAndSoundsOncePerNewHighlight) {
    FinishIntro();
    game->Step();
    sounds.clear();
    Tap(vk::Up);
    EXPECT_EQ(HoverIndex, 6) << "Up from the first button wraps to the last";
    EXPECT_EQ(Count("B_Act"), 1);
    game->Steps(10);
    EXPECT_EQ(Count("B_Act"), 1) << "holding the highlight is silent";
    game->Window().SetKey(vk::Down, true);
    game->Steps(10);
    game->Window().SetKey(vk::Down, false);
    game->Step();
    EXPECT_EQ(HoverIndex, 1) << "holding a key moves one step only";
}

TEST_F(MainMenu, MouseLeavingTheButtonsKeepsTheHighlight) {
    FinishIntro();
    Hover(4);
    game->Step();
    EXPECT_TRUE(Lit(4));
    game->MoveMouse(10, 10);
    game->Step();
    EXPECT_EQ(HoverIndex, 4);
    EXPECT_TRUE(Lit(4));
}

TEST_F(MainMenu, ClickingTheLitButtonOfTheOpenSubScreenReturnsToTheMenu) {
    FinishIntro();
    ClickSlot(3);
    ASSERT_EQ(ScreenMode, smHighScores);
    game->Step();
    EXPECT_EQ(HoverIndex, 8);
    EXPECT_TRUE(ShowsActiveLook(3)) << "the sub-screen's own button stays lit";
    ClickSlot(3);
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(Buttons[7], nullptr);
}

TEST_F(MainMenu, HoveringAnotherMenuButtonLeavesTheSubScreen) {
    FinishIntro();
    ClickSlot(4);
    ASSERT_EQ(ScreenMode, smHelp);
    game->Step();
    Hover(2);
    game->Step();
    EXPECT_EQ(ScreenMode, smMainMenu);
    game->Step();
    EXPECT_TRUE(Lit(2));
    EXPECT_TRUE(ScreenCaption()->Visible);
}

TEST_F(MainMenu, HelpPagesWrapBothWaysAndRightOnNextTurnsThePage) {
    FinishIntro();
    ClickSlot(4);
    ASSERT_EQ(ScreenMode, smHelp);
    EXPECT_EQ(HelpPage, 1);
    ClickSlot(7);
    EXPECT_EQ(HelpPage, 3) << "previous from page 1";
    ClickSlot(8);
    EXPECT_EQ(HelpPage, 1) << "next from page 3";
    game->Step();
    ASSERT_EQ(HoverIndex, 8);
    Tap(vk::Right);
    EXPECT_EQ(HelpPage, 2) << "Right past the last button clicks next";
    game->SaveScreenshot(GameHarness::OutputPath("help"));
}

TEST_F(MainMenu, LeftFromTheFirstBoatHighlightsTheThird) {
    FinishIntro();
    ClickSlot(1);
    ASSERT_EQ(ScreenMode, smBoatChoice);
    game->Step();
    EXPECT_EQ(HoverIndex, 7);
    Tap(vk::Left);
    EXPECT_EQ(HoverIndex, 9);
    game->SaveScreenshot(GameHarness::OutputPath("boat-choice"));
}

TEST_F(MainMenu, OptionsNavigationFromTheMenuSlot) {
    FinishIntro();
    ClickSlot(2);
    ASSERT_EQ(ScreenMode, smOptions);
    game->Step();
    game->SaveScreenshot(GameHarness::OutputPath("options"));
    // The mouse rests on the options button of the main menu.
    Hover(2);
    EXPECT_EQ(HoverIndex, 2);
    Tap(vk::Down);
    EXPECT_EQ(HoverIndex, 8) << "outside the range, a step starts from the first slot";
    Hover(2);
    Tap(vk::Up);
    EXPECT_EQ(HoverIndex, 10);
}

// The frame that leaves a sub-screen by highlight still draws the screen's text: the picture of
// that frame depends on the text shown (run twice with different texts, the pictures differ).
TEST_F(MainMenu, TheFrameLeavingASubScreenStillDrawsItsText) {
    struct Case {
        const char* Screen;
        int MenuSlot, LeaveSlot;
        std::function<void(const std::string&)> SetText;
    };
    const Case cases[] = {
        {"high scores", 3, 2, [](const std::string& t) { HighScores[1].Name = t; }},
        {"options", 2, 3, [](const std::string& t) { Options.AddInfo = t; }},
    };
    for (const Case& c : cases) {
        uint64_t digests[2] = {};
        const char* texts[2] = {"AAAA", "WWWWWWWW"};
        for (int run = 0; run < 2; ++run) {
            game.reset();
            game = std::make_unique<GameHarness>();
            FinishIntro();
            ClickSlot(c.MenuSlot);
            game->Step();
            c.SetText(texts[run]);
            Hover(c.LeaveSlot);
            game->Step();
            ASSERT_EQ(ScreenMode, smMainMenu) << c.Screen;
            digests[run] = game->BackSurfaceDigest();
        }
        EXPECT_NE(digests[0], digests[1]) << c.Screen << ": the text is drawn on the leaving frame";
    }
}

// Enter in the options screen is handled there only: with the main menu's options button lit it
// returns to the menu, and the key does not go on to click that button again in the menu.
TEST_F(MainMenu, EnterThatLeavesTheOptionsStaysInTheMenu) {
    FinishIntro();
    ClickSlot(2);
    ASSERT_EQ(ScreenMode, smOptions);
    game->Step();
    Hover(2);
    ASSERT_EQ(HoverIndex, 2);
    game->PressKey(vk::Return);
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(Buttons[7], nullptr) << "the options buttons are gone";
}

} // namespace
