#include "SaveDir.h"

#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/Options.h"
#include "records/SaveFiles.h"

namespace {

class OptionsTest : public SaveDirTest {
  protected:
    void SetUp() override {
        SaveDirTest::SetUp();
        Options = TGameOptions{};
        HighScoreCheck.clear();
    }
};

TEST_F(OptionsTest, FlagsReadAnyNonZeroAsOnAndWriteOneOrZero) {
    struct Case {
        const char* lines;
        uint8_t full, music, sound;
    };
    const Case cases[] = {
        {"2\r\n0\r\n-1\r\n", 1, 0, 1},
        {"0\r\n0\r\n0\r\n", 0, 0, 0},
        {"1\n1\n1\n", 1, 1, 1},
        {" 0 junk\r\n7\r\n0\r\n", 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        WriteFile("Data/Save/options", std::string(c.lines) + "Text here\r\ncheck\r\n");
        LoadOptions();
        EXPECT_EQ(Options.FullScreen, c.full);
        EXPECT_EQ(Options.MusicOn, c.music);
        EXPECT_EQ(Options.SoundOn, c.sound);
        EXPECT_EQ(Options.AddInfo, "Text here");
        EXPECT_EQ(HighScoreCheck, "check");
    }
    ResetHighScores();
    Options = TGameOptions{2, 0, 1, "hi"};
    EXPECT_EQ(FormatOptionsFile(), "1\r\n0\r\n1\r\nhi\r\n" + BuildHighScoreCheck() + "\r\n");
}

TEST_F(OptionsTest, OptionsRoundTripThroughTheFile) {
    ResetHighScores();
    Options = TGameOptions{1, 0, 0, "Go Team"};
    ASSERT_TRUE(SaveOptionsAndHighScores());
    Options = TGameOptions{};
    LoadOptions();
    EXPECT_EQ(Options, (TGameOptions{1, 0, 0, "Go Team"}));
    EXPECT_TRUE(HighScoreCheckMatches());
}

TEST_F(OptionsTest, MissingFileGivesDefaultsAndNoCheckString) {
    HighScoreCheck = "stale";
    Options = TGameOptions{1, 0, 0, "x"};
    LoadOptions();
    EXPECT_EQ(Options, TGameOptions{});
    EXPECT_EQ(HighScoreCheck, "");
}

TEST_F(OptionsTest, DamagedFlagLinesTakeTheirDefaultsAndReadingGoesOn) {
    // Defaults: full screen 0, music 1, sound 1. Every line not damaged keeps what it says.
    struct Case {
        const char* label;
        std::string bytes;
        std::vector<int> damaged;
        TGameOptions read;
    };
    const Case cases[] = {
        {"one damaged line", "1\r\noff\r\n0\r\nTEXT\r\ncheck\r\n", {2}, {1, 1, 0, "TEXT"}},
        {"all three damaged", "on\r\n-\r\n1.5\r\nTEXT\r\ncheck\r\n", {1, 2, 3}, {0, 1, 1, "TEXT"}},
        {"too large for 32 bits", "0\r\n0\r\n99999999999\r\nTEXT\r\ncheck\r\n", {3}, {0, 0, 1, "TEXT"}},
        {"junk after a number is not damage", "1 x\r\n0\r\n0\r\nTEXT\r\ncheck\r\n", {}, {1, 0, 0, "TEXT"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Options = TGameOptions{1, 0, 0, "before"};
        HighScoreCheck = "before";
        EXPECT_EQ(ReadOptionsFile(c.bytes), c.damaged);
        EXPECT_EQ(Options, c.read);
        EXPECT_EQ(HighScoreCheck, "check");
    }

    WriteFile("Data/Save/options", cases[1].bytes);
    testing::internal::CaptureStderr();
    LoadOptions();
    const std::string said = testing::internal::GetCapturedStderr();
    for (const char* line : {"line 1", "line 2", "line 3"})
        EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_NE(said.find("Data/Save/options"), std::string::npos);
    EXPECT_EQ(HighScoreCheck, "check");
}

TEST_F(OptionsTest, AddInfoTakesLettersAndSpacesUpToTenCharacters) {
    Options.AddInfo = "_______";
    for (char c : std::string("abcd"))
        EditAddInfo(c);
    EXPECT_EQ(Options.AddInfo, "_______abc"); // only three fit after the default

    Options.AddInfo = "";
    for (char c : std::string("a1B!-z _9\t"))
        EditAddInfo(c);
    EXPECT_EQ(Options.AddInfo, "aBz "); // digits and punctuation refused, case kept

    Options.AddInfo = "__";
    EditAddInfo('\b');
    EXPECT_EQ(Options.AddInfo, "_");
    EditAddInfo('\b');
    EditAddInfo('\b');
    EXPECT_EQ(Options.AddInfo, "");
}

} // namespace
