// The local table of the ten best results: its file, its check string, qualifying and insertion.
#pragma once
#include <array>
#include <cstdint>
#include <string>

// One result of the table; Extra1 and Extra2 are carried through the file untouched.
struct THighScore {
    std::string Name; // player name as typed (at most 10 characters in the game)
    int32_t Score = 0;
    int32_t Extra1 = 0;
    int32_t Extra2 = 0;
    bool operator==(const THighScore&) const = default;
};

// Where the table is kept, relative to the working directory.
inline constexpr const char* kHighScoreFile = "Data/Save/hs";
// Index of the spare slot that takes a new result before sorting and the dropped one after.
inline constexpr int kSpareSlot = 11;

// Entries 1..10 in rank order (1 is best), 11 the spare slot; index 0 is unused.
using THighScoreTable = std::array<THighScore, 12>;
extern THighScoreTable HighScores;
// The check string read from the options file; empty when there was none.
extern std::string HighScoreCheck;

// Puts the default list ("ANONYMOUS", 5000 down to 500) into entries 1..10; the spare is kept.
void ResetHighScores();
// Reads the table from kHighScoreFile at start-up. A missing file gives the default list; a
// damaged one (a number line that does not convert) is reported on stderr and also gives the
// default list, so start-up goes on.
void LoadHighScores();
// Reads a table file into entries 1..10 by the save-file reading rules; raises
// EInOutError("Invalid numeric input") on a number that does not convert, keeping what was read.
void ReadHighScoresFile(const std::string& bytes);
// The same, into a table of the caller's (the spare slot is not touched).
void ReadHighScoresInto(const std::string& bytes, THighScoreTable& table);
// The file bytes of entries 1..10: four CR LF lines per entry, forty lines in all. The table
// reaches the disk together with the options file that holds its check string (SaveFiles.h).
std::string FormatHighScoresFile();
// True when score is strictly greater than the lowest of entries 1..10.
bool ScoreQualifies(int32_t score);
// Puts the result into the spare slot and bubble-sorts all eleven (ten passes, ties not
// swapped, so a tie ranks below the entries already there).
void InsertHighScore(const std::string& name, int32_t score);
// The check string of entries 1..10 that the options file keeps.
std::string BuildHighScoreCheck();
// The same for another table than the game's.
std::string BuildHighScoreCheck(const THighScoreTable& table);
// True when BuildHighScoreCheck equals HighScoreCheck byte for byte.
bool HighScoreCheckMatches();
// True when path is not empty and the file can be opened for reading.
bool FileCanBeOpened(const std::string& path);
