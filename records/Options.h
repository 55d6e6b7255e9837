// The options file: reading and writing the game's four options (stage/Settings) and the
// high-score check string they are kept with, and editing the free text.
#pragma once
#include <cstddef>
#include <string>

#include "stage/Settings.h"

// Where the options (and the high-score check string) are kept, relative to the working directory.
inline constexpr const char* kOptionsFile = "Data/Save/options";
// Longest AddInfo the options screen lets the player type.
inline constexpr size_t kMaxAddInfoLength = 10;

// Reads the options and HighScoreCheck at start-up, after LoadHighScores. A missing file gives
// the defaults with an empty check string; a damaged one (a flag line that is not a number) is
// reported on stderr and treated the same way, so start-up goes on.
void LoadOptions();
// Reads an options file into Options and HighScoreCheck by the save-file reading rules; raises
// EInOutError("Invalid numeric input") on a flag that does not convert, keeping what was read.
void ReadOptionsFile(const std::string& bytes);
// The five CR LF lines of the options file, with the check string of the current table.
std::string FormatOptionsFile();
// Writes the options at exit (replacing the file safely); a failure is reported on stderr and
// returns false, and does not keep the high-score table from being saved.
bool SaveOptions();
// Applies one typed character to AddInfo while it is being edited: Backspace (8) removes the last
// character, a letter of either case or a space is appended while there is room, anything else is
// ignored. Called by the key dispatch of the options screen.
void EditAddInfo(char key);
