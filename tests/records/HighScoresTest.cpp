#include "SaveDir.h"

#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/Options.h"
#include "records/SaveFiles.h"
#include "records/TextFile.h"

#include <filesystem>

namespace {

// What the game does at start-up with the two save files.
void StartUp() {
    HighScores = {};
    HighScoreCheck.clear();
    Options = TGameOptions{};
    LoadOptionsAndHighScores();
}

// What the game does at exit.
void Exit() {
    EXPECT_TRUE(SaveOptionsAndHighScores());
}

std::string DefaultHsFile() {
    std::string out;
    for (int rank = 1; rank <= 10; ++rank)
        out += "ANONYMOUS\r\n" + std::to_string((11 - rank) * 500) + "\r\n0\r\n0\r\n";
    return out;
}

void ExpectDefaultTable() {
    for (int rank = 1; rank <= 10; ++rank) {
        SCOPED_TRACE(rank);
        EXPECT_EQ(HighScores[rank], (THighScore{"ANONYMOUS", (11 - rank) * 500, 0, 0}));
    }
}

class HighScoresTest : public SaveDirTest {};

TEST_F(HighScoresTest, FirstRunUsesDefaultsAndExitWritesBothFilesIntoANewSaveFolder) {
    ASSERT_FALSE(std::filesystem::exists("Data/Save"));
    StartUp();
    ExpectDefaultTable();
    EXPECT_EQ(Options, TGameOptions{});
    EXPECT_EQ(Options.AddInfo, "_______");

    Exit();
    EXPECT_EQ(ReadFile("Data/Save/hs"), DefaultHsFile());
    EXPECT_EQ(ReadFile("Data/Save/options"), "0\r\n1\r\n1\r\n_______\r\n" + BuildHighScoreCheck() + "\r\n");
    EXPECT_FALSE(std::filesystem::exists("Data/Save/hs.tmp"));

    // The next start reads the same table back and the check string matches it.
    HighScores = {};
    LoadHighScores();
    LoadOptions();
    EXPECT_TRUE(HighScoreCheckMatches());
    ExpectDefaultTable();
}

TEST_F(HighScoresTest, OnlyAScoreAboveTheLowestQualifies) {
    ResetHighScores();
    EXPECT_FALSE(ScoreQualifies(500));
    EXPECT_FALSE(ScoreQualifies(-7));
    ASSERT_TRUE(ScoreQualifies(501));

    InsertHighScore("NEW", 501);
    EXPECT_EQ(HighScores[10], (THighScore{"NEW", 501, 0, 0}));
    EXPECT_EQ(HighScores[9].Score, 1000);
    EXPECT_EQ(HighScores[kSpareSlot], (THighScore{"ANONYMOUS", 500, 0, 0}));
}

TEST_F(HighScoresTest, InsertionRanksTiesBelowAndTheBestFirst) {
    struct Case {
        int32_t score;
        int expectedRank;
    };
    for (Case c : {Case{3000, 6}, Case{5000, 2}, Case{9999, 1}, Case{501, 10}}) {
        SCOPED_TRACE(c.score);
        ResetHighScores();
        InsertHighScore("ME", c.score);
        EXPECT_EQ(HighScores[c.expectedRank].Name, "ME");
        for (int r = 1; r <= 10; ++r) {
            if (r != c.expectedRank) {
                EXPECT_EQ(HighScores[r].Name, "ANONYMOUS") << r;
            }
            if (r > 1) {
                EXPECT_GE(HighScores[r - 1].Score, HighScores[r].Score) << r;
            }
        }
        EXPECT_EQ(HighScores[kSpareSlot].Score, 500);
    }
    // Several equal scores: the newcomer goes below all of them, the older ones keep their order.
    for (int r = 1; r <= 10; ++r)
        HighScores[r] = THighScore{"OLD" + std::to_string(r), r <= 4 ? 800 : 100, 0, 0};
    InsertHighScore("NEW", 800);
    EXPECT_EQ(HighScores[1].Name, "OLD1");
    EXPECT_EQ(HighScores[4].Name, "OLD4");
    EXPECT_EQ(HighScores[5].Name, "NEW");
    EXPECT_EQ(HighScores[kSpareSlot].Name, "OLD10");
}

TEST_F(HighScoresTest, CheckStringFoldsNamesAndOnlyTheDigitsThatFit) {
    ResetHighScores();
    std::string defaults = BuildHighScoreCheck();
    EXPECT_EQ(defaults.size(), 9u);
    for (char c : defaults)
        EXPECT_GE(static_cast<unsigned char>(c), 32);

    struct Case {
        const char* label;
        std::string firstName;
        int32_t firstScore;
        std::string expected;
    };
    // Worked by hand: entry 1 carries the name and score, entries 2..10 an empty name and 0.
    // "AB" with 12345: only "12" fit in a check string of length 2; nine "0" digits fold into place 1.
    // "\xE9" (233) with 7: codes are unsigned, so 32 + 233 wraps to 73; "7" gives 160; the zeros 208.
    const Case cases[] = {
        {"digits beyond the length", "AB", 12345, std::string{char(34), char(212)}},
        {"high character code", "\xE9", 7, std::string{char(208)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        for (int r = 1; r <= 10; ++r)
            HighScores[r] = THighScore{};
        HighScores[1] = THighScore{c.firstName, c.firstScore, 0, 0};
        EXPECT_EQ(BuildHighScoreCheck(), c.expected);
    }
    // Ten empty names give the empty check string, which a missing options file matches.
    for (int r = 1; r <= 10; ++r)
        HighScores[r] = THighScore{"", 100 * r, 0, 0};
    HighScoreCheck.clear();
    EXPECT_TRUE(HighScoreCheckMatches());
}

TEST_F(HighScoresTest, EmptyNameIsStoredAsAnEmptyLineAndReadsBack) {
    ResetHighScores();
    InsertHighScore("", 4200);
    Exit();
    EXPECT_EQ(ReadFile("Data/Save/hs").substr(0, 54),
              "ANONYMOUS\r\n5000\r\n0\r\n0\r\nANONYMOUS\r\n4500\r\n0\r\n0\r\n\r\n4200\r\n");
    StartUp();
    EXPECT_EQ(HighScores[3], (THighScore{"", 4200, 0, 0}));
}

TEST_F(HighScoresTest, HandEditedScoreResetsTheTableAtTheNextStart) {
    ResetHighScores();
    InsertHighScore("CHEAT", 600);
    Exit();
    std::string hs = ReadFile("Data/Save/hs");
    size_t at = hs.find("600\r\n");
    ASSERT_NE(at, std::string::npos);
    WriteFile("Data/Save/hs", hs.replace(at, 3, "900"));

    StartUp();
    ExpectDefaultTable();
}

TEST_F(HighScoresTest, ExtraFieldsAreCarriedButNotChecked) {
    ResetHighScores();
    HighScores[2].Extra1 = -5;
    HighScores[2].Extra2 = 77;
    Exit();
    StartUp();
    EXPECT_EQ(HighScores[2], (THighScore{"ANONYMOUS", 4500, -5, 77}));
}

TEST_F(HighScoresTest, ShortFileLeavesTheMissingLinesEmptyAndZero) {
    ReadHighScoresFile("BOB\r\n700\r\n1\r\n2\r\nEVE\r\n");
    EXPECT_EQ(HighScores[1], (THighScore{"BOB", 700, 1, 2}));
    EXPECT_EQ(HighScores[2], (THighScore{"EVE", 0, 0, 0}));
    for (int r = 3; r <= 10; ++r)
        EXPECT_EQ(HighScores[r], THighScore{}) << r;
}

TEST_F(HighScoresTest, DamagedNumberLineRaisesWhenReadAndFallsBackToDefaultsAtStartUp) {
    HighScores = {};
    std::string damaged = "BOB\r\n700\r\n1\r\n2\r\nEVE\r\nlots\r\n0\r\n0\r\n";
    try {
        ReadHighScoresFile(damaged);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Invalid numeric input");
    }
    EXPECT_EQ(HighScores[1], (THighScore{"BOB", 700, 1, 2}));
    EXPECT_EQ(HighScores[2].Name, "EVE");

    WriteFile("Data/Save/hs", damaged);
    testing::internal::CaptureStderr();
    LoadHighScores();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Data/Save/hs"), std::string::npos);
    ExpectDefaultTable();
}

TEST_F(HighScoresTest, FileCanBeOpenedOnlyForAnExistingNonEmptyPath) {
    WriteFile("present", "x");
    EXPECT_TRUE(FileCanBeOpened("present"));
    EXPECT_FALSE(FileCanBeOpened("absent"));
    EXPECT_FALSE(FileCanBeOpened(""));
}

// The text-reading rules decide what a file edited by hand yields.
TEST(TextReaderTest, ReadsStringsAndIntegersByTheSaveFileRules) {
    struct Case {
        const char* label;
        std::string bytes;
        std::string name;
        int32_t a, b;
    };
    const Case cases[] = {
        {"CR LF", "Name\r\n12\r\n-3\r\n", "Name", 12, -3},
        {"LF only", "Name\n12\n-3\n", "Name", 12, -3},
        {"blanks around numbers", "Name\r\n  12  trailing\r\n\t-3\r\n", "Name", 12, -3},
        {"empty number line takes the next number", "Name\r\n\r\n12\r\n-3\r\n", "Name", 12, -3},
        {"over-long token keeps its rest in the line", "Name\r\n" + std::string(31, '0') + "12345\r\n7\r\n",
         "Name", 1, 7},
        {"end of file", "Name", "Name", 0, 0},
        {"lone CR stays in the name", "Na\rme\r\n1\r\n2\r\n", "Na\rme", 1, 2},
        {"plus sign", "N\r\n+5\r\n2\r\n", "N", 5, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TTextReader in(c.bytes);
        EXPECT_EQ(in.ReadString(), c.name);
        in.SkipLine();
        EXPECT_EQ(in.ReadInteger(), c.a);
        in.SkipLine();
        EXPECT_EQ(in.ReadInteger(), c.b);
        in.SkipLine();
        EXPECT_TRUE(in.AtEnd());
        EXPECT_EQ(in.ReadString(), "");
        EXPECT_EQ(in.ReadInteger(), 0);
    }
}

TEST(TextReaderTest, RejectsNumbersThatDoNotConvert) {
    for (const char* bad : {"12a", "-", "--1", "2147483648", "-2147483649", "0x10", "1.5"}) {
        int32_t v = 0;
        EXPECT_FALSE(ParseDecimalInt32(bad, v)) << bad;
    }
    int32_t v = 0;
    EXPECT_TRUE(ParseDecimalInt32("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
}

} // namespace
