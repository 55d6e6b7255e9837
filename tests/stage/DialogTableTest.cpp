// The dialog table: what runs, in which order, when a dialog opens over another, closes, or
// opens the next one from its own close step, and what a frame runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stage/Dialogs.h"
#include "stage/Game.h"
#include "stage/GameState.h"

namespace {

std::vector<std::string> Log;

void Note(const std::string& what) {
    Log.push_back(what + " kind " + std::to_string(int(DialogKind)));
}

struct DialogTable : ::testing::Test {
    void SetUp() override {
        ResetGameState();
        ClearDialogs();
        Game = TGame{}; // no display: StartFrame draws nothing
        Log.clear();
        RegisterDialogScene(
            {[] { Note("scene opening"); }, [] { Note("scene closing"); }, [] { Note("scene frozen"); }});
        RegisterDialog(dkPause, {[] { Note("open pause"); }, [] { Note("close pause"); },
                                 [](int lag) { Note("pause frame lag " + std::to_string(lag)); }});
        RegisterDialog(dkExitGame, {[] { Note("open exit"); }, [] { Note("close exit"); }, nullptr});
        // Like game over: its close step opens the name entry.
        RegisterDialog(dkGameOver, {nullptr, [] { OpenDialog(dkEnterName); }, nullptr});
        RegisterDialog(dkEnterName, {[] { Note("open name"); }, nullptr, nullptr});
    }
    void TearDown() override {
        ClearDialogs();
        ResetGameState();
    }
};

} // namespace

TEST_F(DialogTable, OpeningOverAnotherClosesItFirstWithTheSceneHooksAround) {
    OpenDialog(dkPause);
    OpenDialog(dkExitGame);
    EXPECT_EQ(DialogKind, dkExitGame);
    const std::vector<std::string> expected = {
        "scene opening kind 0", "open pause kind 2",
        // The scene hears the opening first, then the pause closes with its kind still named;
        // its own close step runs once the kind is cleared.
        "scene opening kind 2", "scene closing kind 2", "close pause kind 0", "open exit kind 9"};
    EXPECT_EQ(Log, expected);
}

TEST_F(DialogTable, ACloseStepThatOpensTheNextDialogLeavesThatOneUp) {
    OpenDialog(dkGameOver);
    CloseDialog();
    EXPECT_EQ(DialogKind, dkEnterName);
    const std::vector<std::string> expected = {"scene opening kind 0", "scene closing kind 8",
                                               "scene opening kind 0", "open name kind 5"};
    EXPECT_EQ(Log, expected);
}

TEST_F(DialogTable, ClosingWithNothingUpOnlyTellsTheScene) {
    CloseDialog();
    EXPECT_EQ(DialogKind, dkNone);
    EXPECT_EQ(Log, std::vector<std::string>{"scene closing kind 0"});
}

TEST_F(DialogTable, AFrameRunsTheFrozenSceneThenTheDialogOfTheKindThatIsUp) {
    OpenDialog(dkPause);
    Log.clear();
    DialogFrame(3);
    const std::vector<std::string> expected = {"scene frozen kind 2", "pause frame lag 3 kind 2"};
    EXPECT_EQ(Log, expected);

    // A kind with no handler (or no frame step) is up without doing anything of its own.
    DialogKind = dkSending;
    Log.clear();
    DialogFrame(1);
    OpenDialog(dkTimeOver);
    EXPECT_EQ(DialogKind, dkTimeOver);
    const std::vector<std::string> rest = {"scene frozen kind 7", "scene opening kind 7",
                                           "scene closing kind 7"};
    EXPECT_EQ(Log, rest);
}
