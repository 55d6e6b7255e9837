// The high-score table and the options, loaded and saved as one pair: the options file holds the
// table's check string, so neither file may change without the other.
#pragma once
#include <string>

// While a save replaces the pair, the pair it replaces is kept under these names; they are
// removed once both new files are in place, so they exist only after an interrupted save.
inline constexpr const char* kPreviousHighScoreFile = "Data/Save/hs.previous";
inline constexpr const char* kPreviousOptionsFile = "Data/Save/options.previous";

// Start-up: LoadHighScores, LoadOptions, then the check. When the table does not match its check
// string and an interrupted save left the previous pair behind, the previous table is taken if it
// matches its own check string (reported on stderr); otherwise the default list replaces it.
void LoadOptionsAndHighScores();

// Exit: writes both files so that a failure or a crash at any step leaves a pair the next start
// accepts, the old one or the new one:
//   1. both new files are written to temporary files and flushed (a failure here changes nothing);
//   2. the pair on disk, when it matches, is copied to the previous pair;
//   3. a file on disk that does not read is moved aside (hs.damaged, hs.damaged.2, ...);
//   4. the table is renamed into place, then the options;
//   5. the previous pair is removed.
// Failures are reported on stderr; the result is false when the new pair is not in place.
bool SaveOptionsAndHighScores();

// Where a damaged file is moved: path + ".damaged", or ".damaged.2", ".damaged.3", ... when that
// name is taken, so an earlier one is never overwritten.
std::string FreeDamagedPathFor(const std::string& path);
