#include "SaveDir.h"

#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/Options.h"

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
    ASSERT_TRUE(SaveOptions());
    Options = TGameOptions{};
    LoadOptions();
    EXPECT_EQ(Options, (TGameOptions{1, 0, 0, "Go Team"}));
    EXPECT_TRUE(HighScoreCheckMatches());
}

TEST_F(OptionsTest, MissingOrDamagedFileGivesDefaultsAndNoCheckString) {
    HighScoreCheck = "stale";
    Options = TGameOptions{1, 0, 0, "x"};
    LoadOptions();
    EXPECT_EQ(Options, TGameOptions{});
    EXPECT_EQ(HighScoreCheck, "");

    WriteFile("Data/Save/options", "1\r\noff\r\n1\r\nTEXT\r\ncheck\r\n");
    try {
        Options = TGameOptions{};
        ReadOptionsFile(ReadFile("Data/Save/options"));
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Invalid numeric input");
        EXPECT_EQ(Options.FullScreen, 1);  // read before the damaged line
    }
    testing::internal::CaptureStderr();
    LoadOptions();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Data/Save/options"), std::string::npos);
    EXPECT_EQ(Options, TGameOptions{});
    EXPECT_EQ(HighScoreCheck, "");
}

TEST_F(OptionsTest, AddInfoTakesLettersAndSpacesUpToTenCharacters) {
    Options.AddInfo = "_______";
    for (char c : std::string("abcd")) EditAddInfo(c);
    EXPECT_EQ(Options.AddInfo, "_______abc");  // only three fit after the default

    Options.AddInfo = "";
    for (char c : std::string("a1B!-z _9\t")) EditAddInfo(c);
    EXPECT_EQ(Options.AddInfo, "aBz ");  // digits and punctuation refused, case kept

    Options.AddInfo = "__";
    EditAddInfo('\b');
    EXPECT_EQ(Options.AddInfo, "_");
    EditAddInfo('\b');
    EditAddInfo('\b');
    EXPECT_EQ(Options.AddInfo, "");
}

}  // namespace
