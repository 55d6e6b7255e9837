// A whole play session on the headless harness, from start-up to the exit dialog: the menus, the
// boat choice, two levels with every pickup, a jump and wrecks, game over, the name entry, the
// result sent to the score service, the high scores, the options, and the save files
// the session leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/Navigation.h"
#include "platform/KeyCodes.h"
#include "race/Boat.h"
#include "race/Course.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "race/RiverObject.h"
#include "records/HighScores.h"
#include "records/Http.h"
#include "records/Music.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "support/Harness.h"

// The sessions send results to the score service program, which is built only where
// its libraries are available.
#ifdef SPRAYDASH_SCORESERVER
#include "records/ScoreServerProcess.h"

namespace {

namespace fs = std::filesystem;

constexpr int KeyY = vk::KeyA + ('Y' - 'A');

// The race needs the built picture lists.
bool DataBuilt() {
    return fs::exists(fs::path(SPRAYDASH_DATA_DIR) / "Res" / "Res3.dxg");
}

// A file's bytes; empty when it is missing.
std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Steps frames until done() holds or limit frames have run; returns whether it held.
template <class Pred> bool StepUntil(GameHarness& h, Pred done, int limit) {
    for (int i = 0; i < limit && !done(); ++i)
        h.Step();
    return done();
}

// A mouse click in the middle of a slot's sprite.
void ClickSlot(GameHarness& h, int slot) {
    TSprite* s = Buttons[size_t(slot)];
    ASSERT_NE(s, nullptr) << "slot " << slot;
    h.Click(int(s->X) + s->Width / 2, int(s->Y) + s->Height / 2);
}

// The mouse moved over a slot's sprite.
void HoverSlot(GameHarness& h, int slot) {
    TSprite* s = Buttons[size_t(slot)];
    ASSERT_NE(s, nullptr) << "slot " << slot;
    h.MoveMouse(int(s->X) + s->Width / 2, int(s->Y) + s->Height / 2);
}

// A key held over one frame, as the frame's input poll reads it, then released.
void TapKey(GameHarness& h, int key) {
    h.Window().SetKey(key, true);
    h.Step();
    h.Window().SetKey(key, false);
    h.Step();
}

// Answers a question dialog with Y: the dialog frame reads the key while it is held.
void AnswerYes(GameHarness& h) {
    h.KeyDown(KeyY);
    h.Window().SetKey(KeyY, true);
    h.Step();
    h.Window().SetKey(KeyY, false);
    h.KeyUp(KeyY);
}

// The main menu is up, its intro over, no dialog.
bool MainMenuIdle() {
    return ScreenMode == smMainMenu && DialogKind == 0 && MenuAnimPhase() == 0;
}

// The boat can meet an object now: racing, on the water, no dialog up.
bool BoatReady() {
    return ScreenMode == smRace && DialogKind == 0 && PlayerBoat && PlayerBoat->State == bsRacing &&
           !PlayerBoat->Airborne;
}

// Puts an object of kind on the river through the course's own placement, then moves it onto
// the boat's bow (its lower edge a few pixels into the boat) so that the next frame's collision
// query meets it. When a random object is in the way of the placement, the river is cleared
// and the placement tried again.
TWallSprite* PlaceAhead(int kind) {
    std::array<bool, MaxRiverObjects + 1> before = RiverObjectUsed;
    PlaceObject(kind);
    int slot = 0;
    for (int i = 1; i <= MaxRiverObjects && slot == 0; ++i)
        if (RiverObjectUsed[i] && !before[i]) slot = i;
    if (slot == 0) {
        ClearRiverObjects();
        PlaceObject(kind);
        for (int i = 1; i <= MaxRiverObjects && slot == 0; ++i)
            if (RiverObjectUsed[i]) slot = i;
    }
    if (slot == 0) return nullptr;
    TWallSprite* o = RiverObjects[size_t(slot)];
    const TMyCarSprite& boat = *PlayerBoat;
    o->X = boat.X + boat.Width / 2.0 - o->Width / 2.0;
    o->Y = boat.Y - o->Height + 6;
    return o;
}

// A simple pilot for the run to the finish: when something that stops or wrecks the boat lies
// ahead in its path, hold the arrow key toward the wider side of the river; otherwise neither.
void SteerClear(GameHarness& h) {
    const TMyCarSprite& boat = *PlayerBoat;
    int steer = 0;
    double nearest = 1e9;
    for (int i = 1; i <= MaxRiverObjects; ++i) {
        if (!RiverObjectUsed[size_t(i)] || !RiverObjects[size_t(i)]) continue;
        const TWallSprite& o = *RiverObjects[size_t(i)];
        const bool harmless = o.IsBox || o.OnShore || o.Kind == rkRamp || o.Kind == rkFinishLine;
        if (harmless || o.Exploded || !o.CollisionEnabled) continue;
        const double gap = boat.Y - (o.Y + o.Height); // how far ahead its near edge is
        if (gap > 360 || o.Y > boat.Y + boat.Height) continue;
        if (o.X + o.Width < boat.X - 24 || o.X > boat.X + boat.Width + 24) continue;
        if (gap >= nearest) continue;
        nearest = gap;
        const double roomLeft = o.X - LeftBank, roomRight = RightBank - (o.X + o.Width);
        steer = roomLeft > roomRight ? -1 : 1;
    }
    h.Window().SetKey(vk::Left, steer < 0);
    h.Window().SetKey(vk::Right, steer > 0);
}

// The save file a table of (name, score) entries gives: four CR LF lines per entry.
std::string HighScoreFileOf(const std::vector<THighScore>& table) {
    std::string s;
    for (const THighScore& e : table)
        s += e.Name + "\r\n" + std::to_string(e.Score) + "\r\n" + std::to_string(e.Extra1) + "\r\n" +
             std::to_string(e.Extra2) + "\r\n";
    return s;
}

// The default table with one result put where it ranks: below every equal or better score.
std::vector<THighScore> DefaultTableWith(const std::string& name, int32_t score) {
    std::vector<THighScore> table;
    for (int i = 0; i < 10; ++i)
        table.push_back({"ANONYMOUS", 5000 - 500 * i, 0, 0});
    auto at = std::find_if(table.begin(), table.end(), [&](const THighScore& e) { return e.Score < score; });
    table.insert(at, THighScore{name, score, 0, 0});
    table.resize(10);
    return table;
}

// Where a screenshot of this session goes.
std::string Shot(const char* name) {
    return GameHarness::OutputPath(std::string("e2e-") + name);
}

// Points the game at the test's own score server for one test.
struct ServerAddress {
    std::string SavedHost = ScoreServerHost;
    char SavedKey = ScoreKeyLetter;
    explicit ServerAddress(int port) {
        ScoreServerHost = "127.0.0.1:" + std::to_string(port);
        ScoreKeyLetter = 'S';
    }
    ~ServerAddress() {
        ScoreServerHost = SavedHost;
        ScoreKeyLetter = SavedKey;
    }
};

// Every sound the game plays during a test, in order.
struct SoundLog {
    std::vector<std::string> Played;
    SoundLog() {
        SoundListener = [this](const std::string& name, bool play) {
            if (play) Played.push_back(name);
        };
    }
    ~SoundLog() { SoundListener = nullptr; }
    int Count(const std::string& name) const { return int(std::count(Played.begin(), Played.end(), name)); }
};

} // namespace

TEST(PlaySession, FromStartUpThroughTwoLevelsAndTheHighScoresToTheExitDialog) {
    if (!DataBuilt()) GTEST_SKIP() << "the game data is not built";
    SoundLog sounds;
    HarnessOptions options;
    options.Name = "e2e-session";
    auto game = std::make_unique<GameHarness>(options);
    GameHarness& h = *game;
    const fs::path saveDir = h.Dir().Path() / "Data" / "Save";
    ScoreServerProcess server(h.Dir().Path());
    ASSERT_GT(server.Port, 0) << "the score service did not start: " << server.Log();
    ServerAddress address(server.Port);
    // The form seeds the generator from the machine's nanosecond counter, which the fake clock
    // does not drive; a fixed state right after start-up makes every river of the session the same.
    RandomState = 20261209u;

    // --- Main menu: the intro slides in, then keys and the mouse work.
    ASSERT_EQ(ScreenMode, smMainMenu);
    EXPECT_NE(MenuAnimPhase(), 0) << "the intro runs at start-up";
    ASSERT_TRUE(StepUntil(h, MainMenuIdle, 600));
    h.Step(); // the navigation arms on a frame with no arrow key held
    EXPECT_EQ(ButtonCount, 6);
    EXPECT_EQ(HoverIndex, 1);
    TapKey(h, vk::Down);
    EXPECT_EQ(HoverIndex, 2);
    TapKey(h, vk::Up);
    ASSERT_EQ(HoverIndex, 1);

    // --- Boat choice: Enter opens it, Right and the mouse move the highlight, a click starts.
    h.PressKey(vk::Return);
    ASSERT_EQ(ScreenMode, smBoatChoice);
    h.Step();
    EXPECT_EQ(HoverIndex, 7);
    TapKey(h, vk::Right);
    EXPECT_EQ(HoverIndex, 8);
    HoverSlot(h, 9);
    EXPECT_EQ(HoverIndex, 9);
    ClickSlot(h, 8);
    ASSERT_EQ(ScreenMode, smRace);
    EXPECT_EQ(ChosenBoat, 2);
    EXPECT_EQ(DialogKind, 1) << "the level intro";
    EXPECT_EQ(Level, 1);
    EXPECT_EQ(Lives, 3);
    EXPECT_EQ(Score, 0);
    EXPECT_EQ(TimeLeft, 60000);

    // --- Level 1, full throttle on a river that fills with objects.
    ASSERT_TRUE(StepUntil(
        h, [] { return DialogKind == 0; }, 200));
    h.KeyDown(vk::Up);
    h.Window().SetKey(vk::Up, true);
    h.Steps(240);
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    EXPECT_GT(PlayerBoat->Speed, 10);
    EXPECT_TRUE(std::any_of(RiverObjectUsed.begin() + 1, RiverObjectUsed.end(), [](bool u) { return u; }))
        << "objects on the river";
    h.SaveScreenshot(Shot("race"));

    // Gun: picked up, then fired for a moment (the beam clears the way ahead).
    ASSERT_NE(PlaceAhead(rkGun), nullptr);
    h.Step();
    ASSERT_TRUE(PlayerBoat->HasGun);
    EXPECT_GT(PlayerBoat->GunTime, 9900);
    h.KeyDown(vk::Control);
    h.Steps(12);
    h.SaveScreenshot(Shot("gun"));
    h.KeyUp(vk::Control);
    h.Step();
    EXPECT_FALSE(PlayerBoat->Firing);

    // Engine: a higher top speed.
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    ASSERT_NE(PlaceAhead(rkEngine), nullptr);
    h.Step();
    ASSERT_TRUE(PlayerBoat->HasEngine);
    EXPECT_EQ(PlayerBoat->MaxSpeed, EngineMaxSpeed);
    h.Steps(30);
    EXPECT_GT(PlayerBoat->Speed, NormalMaxSpeed) << "the engine lifts the cap";
    h.SaveScreenshot(Shot("engine"));

    // Extra life.
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    int32_t lives = Lives;
    ASSERT_NE(PlaceAhead(rkLife), nullptr);
    h.Step();
    EXPECT_EQ(Lives, lives + 1);
    lives = Lives;

    // Ramp: met at the bow, the boat jumps and lands again.
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    const int jumps = sounds.Count("Jump");
    ASSERT_NE(PlaceAhead(rkRamp), nullptr);
    h.Step();
    ASSERT_TRUE(PlayerBoat->Airborne);
    EXPECT_EQ(sounds.Count("Jump"), jumps + 1);
    h.Steps(10);
    h.SaveScreenshot(Shot("jump"));
    ASSERT_TRUE(StepUntil(
        h, [] { return !PlayerBoat->Airborne; }, 200));

    // Wreck on a fisherman: a life gone, the gun and engine with it, then back on the river.
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    lives = Lives;
    ASSERT_NE(PlaceAhead(rkFisher), nullptr);
    h.Step();
    ASSERT_EQ(PlayerBoat->State, bsWrecked);
    EXPECT_EQ(Lives, lives - 1);
    EXPECT_FALSE(PlayerBoat->HasGun);
    EXPECT_FALSE(PlayerBoat->HasEngine);
    EXPECT_EQ(PlayerBoat->MaxSpeed, NormalMaxSpeed);
    h.Steps(8);
    h.SaveScreenshot(Shot("wreck"));
    ASSERT_TRUE(StepUntil(
        h, [] { return PlayerBoat->State == bsRacing; }, 400));
    EXPECT_TRUE(PlayerBoat->Visible);

    // Shield: a second fisherman explodes without costing a life.
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    ASSERT_NE(PlaceAhead(rkShield), nullptr);
    h.Step();
    ASSERT_TRUE(PlayerBoat->HasShield);
    h.Steps(20);
    h.SaveScreenshot(Shot("shield"));
    ASSERT_TRUE(StepUntil(h, BoatReady, 400));
    lives = Lives;
    TWallSprite* fisher = PlaceAhead(rkFisher);
    ASSERT_NE(fisher, nullptr);
    const int32_t fisherSlot = fisher->Slot;
    h.Step();
    ASSERT_EQ(RiverObjects[size_t(fisherSlot)], fisher) << "still there, exploding";
    EXPECT_TRUE(fisher->Exploded);
    EXPECT_EQ(PlayerBoat->State, bsRacing);
    EXPECT_EQ(Lives, lives);

    // On to the finish, dodging what lies ahead; with this river the boat gets there with a few
    // seconds to spare, and the time left becomes points.
    int32_t scoreBeforeBonus = -1;
    bool timeOver = false;
    ASSERT_TRUE(StepUntil(
        h,
        [&] {
            if (PlayerBoat && ScreenMode == smRace) SteerClear(h);
            if (PlayerBoat && PlayerBoat->LevelComplete && scoreBeforeBonus < 0) scoreBeforeBonus = Score;
            timeOver = timeOver || DialogKind == 3 || DialogKind == 8;
            return Level == 2 || ScreenMode != smRace;
        },
        4000))
        << "level 1 not finished; lives " << Lives << " time " << TimeLeft;
    h.Window().SetKey(vk::Left, false);
    h.Window().SetKey(vk::Right, false);
    EXPECT_FALSE(timeOver);
    ASSERT_EQ(ScreenMode, smRace);
    EXPECT_GT(scoreBeforeBonus, 0);
    EXPECT_GT(Score, scoreBeforeBonus) << "time bonus";
    EXPECT_EQ(sounds.Count("Finish"), 1);

    // --- Level 2: a fresh level with the same lives and no power-ups.
    EXPECT_EQ(DialogKind, 1);
    EXPECT_EQ(TimeLeft, 60000);
    EXPECT_FALSE(PlayerBoat->HasGun || PlayerBoat->HasEngine || PlayerBoat->HasShield);
    ASSERT_TRUE(StepUntil(
        h, [] { return DialogKind == 0; }, 200));
    h.Steps(200);
    h.SaveScreenshot(Shot("level2"));

    // Bonus boxes and a duck change the score by their amounts.
    struct ScoreCase {
        TRiverKind Kind;
        int32_t Change;
    };
    for (const ScoreCase c : {ScoreCase{rkBonus10, 10}, ScoreCase{rkBonus20, 20}, ScoreCase{rkBonus50, 50},
                              ScoreCase{rkBonus100, 100}, ScoreCase{rkDuck, -100}}) {
        ASSERT_TRUE(StepUntil(h, BoatReady, 400));
        const int32_t before = Score;
        TWallSprite* o = PlaceAhead(c.Kind);
        ASSERT_NE(o, nullptr);
        h.Step();
        EXPECT_EQ(Score, before + c.Change) << "kind " << int(c.Kind);
    }
    // More hundreds, so that the result earns a place in the middle of the table.
    for (int box = 0; box < 30 && Score < 2600; ++box) {
        ASSERT_TRUE(StepUntil(h, BoatReady, 400));
        ASSERT_NE(PlaceAhead(rkBonus100), nullptr);
        h.Step();
    }

    // Fishermen until the last life is gone; game over follows the crash animation.
    for (int wreck = 0; wreck < 10 && Lives > 0 && DialogKind != 8; ++wreck) {
        ASSERT_TRUE(StepUntil(h, BoatReady, 400)) << "lives " << Lives;
        ASSERT_NE(PlaceAhead(rkFisher), nullptr);
        h.Step();
    }
    EXPECT_EQ(Lives, 0);
    ASSERT_TRUE(StepUntil(
        h, [] { return DialogKind == 8; }, 400));
    h.KeyUp(vk::Up);
    h.Window().SetKey(vk::Up, false);
    EXPECT_EQ(sounds.Count("GameOver"), 1);
    h.Step();
    h.SaveScreenshot(Shot("game-over"));
    const int32_t finalScore = Score;
    ASSERT_TRUE(ScoreQualifies(finalScore)) << "score " << finalScore;

    // --- Name entry: typed characters, a correction, and no more than ten.
    ASSERT_TRUE(StepUntil(
        h, [] { return DialogKind != 8; }, 200));
    ASSERT_EQ(DialogKind, 5);
    h.Type("RIVER RATT");
    h.Type("\b!XY");
    h.Step();
    EXPECT_EQ(PlayerName, "RIVER RAT!");
    h.SaveScreenshot(Shot("name-entry"));
    h.Type("\r");
    ASSERT_EQ(DialogKind, 6) << "send the result?";
    EXPECT_EQ(HoverIndex, 1) << "Yes is offered first";
    const std::vector<THighScore> expected = DefaultTableWith("RIVER RAT!", finalScore);
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(HighScores[size_t(i)], expected[size_t(i - 1)]) << "rank " << i;

    // --- Sent: the race ends, the menu comes back and opens the high scores.
    h.Step();
    AnswerYes(h);
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(DialogKind, 0);
    EXPECT_EQ(PlayerBoat, nullptr);
    ASSERT_TRUE(StepUntil(
        h, [] { return ScreenMode == smHighScores; }, 600));
    h.Steps(5);
    h.SaveScreenshot(Shot("high-scores"));
    {
        THttpClient browser;
        const std::string page = browser.GetToString(WorldHighScoreUrl());
        EXPECT_NE(page.find("<td class=\"name\">RIVER RAT!</td><td class=\"score\">" +
                            std::to_string(finalScore) + "</td><td class=\"info\">_______</td>"),
                  std::string::npos)
            << page;
    }

    // --- Options: full screen, music and sound each toggled and back, by the mouse.
    h.Type("\x1b");
    ASSERT_TRUE(StepUntil(h, MainMenuIdle, 600));
    ClickSlot(h, 2);
    ASSERT_EQ(ScreenMode, smOptions);
    h.Step();
    ClickSlot(h, 7);
    h.Step();
    EXPECT_EQ(Options.FullScreen, 1);
    EXPECT_TRUE(h.Window().IsFullScreen());
    ClickSlot(h, 7);
    h.Step();
    EXPECT_EQ(Options.FullScreen, 0);
    EXPECT_FALSE(h.Window().IsFullScreen());
    ClickSlot(h, 8);
    h.Step();
    EXPECT_EQ(Options.MusicOn, 0);
    EXPECT_EQ(SongHandle, 0u) << "the music stops at once";
    ClickSlot(h, 8);
    h.Step();
    EXPECT_EQ(Options.MusicOn, 1);
    EXPECT_NE(SongHandle, 0u) << "the menu music plays again";
    ClickSlot(h, 9);
    h.Step();
    EXPECT_EQ(Options.SoundOn, 0);
    const size_t heard = sounds.Played.size();
    HoverSlot(h, 7);
    h.Steps(3);
    EXPECT_EQ(sounds.Played.size(), heard) << "no sound while the sound option is off";
    ClickSlot(h, 9);
    h.Step();
    EXPECT_EQ(Options.SoundOn, 1);
    EXPECT_EQ(Options, TGameOptions{});
    h.Type("\x1b");
    ASSERT_TRUE(StepUntil(h, MainMenuIdle, 600));

    // --- Exit: the dialog's Yes saves the options and ends the program.
    ClickSlot(h, 6);
    ASSERT_EQ(DialogKind, 9);
    EXPECT_EQ(HoverIndex, 12) << "No is offered first";
    h.Step();
    AnswerYes(h);
    EXPECT_TRUE(h.Form().Terminated());
    EXPECT_TRUE(fs::exists(saveDir / "options")) << "saved by the Yes";
    game.reset(); // the form's destruction saves the options again and the table

    // --- The save files, byte for byte.
    const std::string hs = ReadFile(saveDir / "hs");
    EXPECT_EQ(hs, HighScoreFileOf(expected));
    EXPECT_EQ(std::count(hs.begin(), hs.end(), '\n'), 40);
    const std::string check = BuildHighScoreCheck();
    EXPECT_FALSE(check.empty());
    EXPECT_EQ(ReadFile(saveDir / "options"), "0\r\n1\r\n1\r\n_______\r\n" + check + "\r\n");

    // The next start accepts the table those files hold: the check string matches it.
    HarnessOptions restart;
    restart.Name = "e2e-session-restart";
    restart.Saves = {{"hs", hs}, {"options", ReadFile(saveDir / "options")}};
    GameHarness again(restart);
    EXPECT_TRUE(HighScoreCheckMatches());
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(HighScores[size_t(i)], expected[size_t(i - 1)]) << "rank " << i;
}

TEST(PlaySession, ResultSentWhileTheServerIsDownStillEndsTheRaceAndIsSavedAtTheClose) {
    if (!DataBuilt()) GTEST_SKIP() << "the game data is not built";
    HarnessOptions options;
    options.Name = "e2e-server-down";
    auto game = std::make_unique<GameHarness>(options);
    GameHarness& h = *game;
    const fs::path saveDir = h.Dir().Path() / "Data" / "Save";
    // A port that was just free and is closed again: the connection is refused.
    int closedPort = 0;
    {
        ScoreServerProcess gone(h.Dir().Path());
        closedPort = gone.Port;
    }
    ASSERT_GT(closedPort, 0);
    ServerAddress address(closedPort);
    RandomState = 7u;

    ASSERT_TRUE(StepUntil(h, MainMenuIdle, 600));
    h.PressKey(vk::Return); // Start
    ASSERT_EQ(ScreenMode, smBoatChoice);
    h.Step();
    h.PressKey(vk::Return); // the first boat
    ASSERT_EQ(ScreenMode, smRace);
    EXPECT_EQ(ChosenBoat, 1);
    ASSERT_TRUE(StepUntil(
        h, [] { return DialogKind == 0; }, 200));

    // Six hundreds, then give up through the finish-race question.
    for (int box = 0; box < 6; ++box) {
        ASSERT_TRUE(StepUntil(h, BoatReady, 400));
        ASSERT_NE(PlaceAhead(rkBonus100), nullptr);
        h.Step();
    }
    ASSERT_EQ(Score, 600);
    TapKey(h, vk::Escape);
    ASSERT_EQ(DialogKind, 4);
    EXPECT_EQ(HoverIndex, 2) << "No is offered first";
    AnswerYes(h);
    ASSERT_EQ(DialogKind, 5);
    h.Type("ACE\r");
    ASSERT_EQ(DialogKind, 6);
    h.Step();
    AnswerYes(h); // the GET is refused; the game drops the error and goes on
    EXPECT_EQ(ScreenMode, smMainMenu);
    EXPECT_EQ(PlayerBoat, nullptr);
    ASSERT_TRUE(StepUntil(
        h, [] { return ScreenMode == smHighScores; }, 600));
    EXPECT_EQ(HighScores[10], (THighScore{"ACE", 600, 0, 0}));
    EXPECT_EQ(HighScores[11], (THighScore{"ANONYMOUS", 500, 0, 0})) << "the dropped entry";

    // The window's close button asks first; Yes ends the program and the table is written.
    h.CloseWindow();
    h.Step();
    ASSERT_EQ(DialogKind, 9);
    AnswerYes(h);
    EXPECT_TRUE(h.Form().Terminated());
    game.reset();
    EXPECT_EQ(ReadFile(saveDir / "hs"), HighScoreFileOf(DefaultTableWith("ACE", 600)));
}

#else

TEST(PlaySession, NeedsTheScoreService) {
    GTEST_SKIP() << "the score service is not built";
}

#endif
