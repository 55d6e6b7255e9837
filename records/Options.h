// The options file: reading and writing the game's four options (stage/Settings) and the
// high-score check string they are kept with, and editing the free text.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "stage/Settings.h"

// Where the options (and the high-score check string) are kept, relative to the working directory.
inline constexpr const char* kOptionsFile = "Data/Save/options";
// Longest AddInfo the options screen lets the player type.
inline constexpr size_t kMaxAddInfoLength = 10;

// Reads the options and HighScoreCheck at start-up, after LoadHighScores. A missing file gives
// the defaults with an empty check string. A damaged flag line (not a number) is reported on
// stderr and only that flag takes its default; the lines after it are still read.
void LoadOptions();
// Reads an options file into Options and HighScoreCheck by the save-file reading rules. A flag
// line that does not convert ("Invalid numeric input") takes its default and reading goes on;
// the result lists the numbers (1..3) of such lines, empty when the file read cleanly.
std::vector<int> ReadOptionsFile(const std::string& bytes);
// The same, into records of the caller's.
std::vector<int> ReadOptionsInto(const std::string& bytes, TGameOptions& options, std::string& check);
// The five CR LF lines of the options file, with the check string of the current table. The file
// reaches the disk together with the table (SaveFiles.h).
std::string FormatOptionsFile();
// Applies one typed character to AddInfo while it is being edited: Backspace (8) removes the last
// character, a letter of either case or a space is appended while there is room, anything else is
// ignored. Called by the key dispatch of the options screen.
void EditAddInfo(char key);
