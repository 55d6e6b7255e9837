// The records seen through the running game: the options text field and a result that goes from
// the finished race to the score service's world page.
#include "ScoreServerProcess.h"
#include "support/Harness.h"

#include "app/Navigation.h"
#include "race/RaceState.h"
#include "records/HighScores.h"
#include "records/Http.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"
#include "stage/GameState.h"

#include <gtest/gtest.h>

namespace {

// Lets the main menu's opening animation finish (clicks are ignored while it runs).
void WaitForMainMenu(GameHarness& h) {
    for (int i = 0; i < 2000 && (ScreenMode != smMainMenu || MenuAnimPhase() != 0); ++i)
        h.Step();
    ASSERT_EQ(ScreenMode, smMainMenu);
    ASSERT_EQ(MenuAnimPhase(), 0);
}

// Picks a slot as the mouse or the arrow keys would and presses Enter on it.
void Choose(GameHarness& h, int slot) {
    HoverIndex = slot;
    h.Type("\r");
}

TEST(RecordsScenarioTest, EnterTwiceOnTheTextSlotStartsAndEndsEditing) {
    GameHarness h;
    WaitForMainMenu(h);
    Choose(h, 2);
    ASSERT_EQ(ScreenMode, smOptions);
    h.Step();

    Choose(h, 10);
    EXPECT_TRUE(OptionsTextEditing);
    h.Type("xy1!");
    h.Type("\b");
    h.Step();
    EXPECT_EQ(Options.AddInfo, "_______x");
    Choose(h, 10);
    EXPECT_FALSE(OptionsTextEditing);
    h.Type("z");
    EXPECT_EQ(Options.AddInfo, "_______x");
}

TEST(RecordsScenarioTest, SentResultAppearsOnTheWorldPage) {
    GameHarness h;
    ScoreServerProcess server(h.Dir().Path());
    ASSERT_GT(server.Port, 0);
    std::string savedHost = ScoreServerHost;
    ScoreServerHost = "127.0.0.1:" + std::to_string(server.Port);
    char savedKey = ScoreKeyLetter;
    ScoreKeyLetter = 'S';

    WaitForMainMenu(h);
    Choose(h, 1); // start
    ASSERT_EQ(ScreenMode, smBoatChoice);
    h.Step();
    Choose(h, 7); // the first boat
    ASSERT_EQ(ScreenMode, smRace);
    h.Steps(100);
    Score = 4321; // as if earned on the river

    h.CloseWindow(); // during a race: the finish-race question
    h.Step();
    ASSERT_EQ(DialogKind, 4);
    Choose(h, 1);
    ASSERT_EQ(DialogKind, 5); // a top-ten result: enter the name
    h.Type("RIVERKING");
    h.Step();
    Choose(h, HoverIndex);
    ASSERT_EQ(DialogKind, 6);                   // send it?
    EXPECT_EQ(HighScores[3].Name, "RIVERKING"); // below 5000 and 4500
    h.Step();
    Choose(h, 1);
    // Back to the main menu, whose opening animation then leads to the high-score screen.
    for (int i = 0; i < 2000 && ScreenMode != smHighScores; ++i)
        h.Step();
    EXPECT_EQ(ScreenMode, smHighScores);

    THttpClient browser;
    std::string page = browser.GetToString(WorldHighScoreUrl());
    ScoreServerHost = savedHost;
    ScoreKeyLetter = savedKey;
    EXPECT_NE(
        page.find(
            "<td class=\"name\">RIVERKING</td><td class=\"score\">4321</td><td class=\"info\">_______</td>"),
        std::string::npos)
        << page;
}

} // namespace
