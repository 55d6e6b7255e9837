#include "records/SaveFiles.h"

#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/Options.h"
#include "records/SaveFileSystem.h"
#include "records/TextFile.h"

#include <cstdio>
#include <filesystem>

namespace {

// A table file and its check string as they stand on disk.
struct TStoredPair {
    THighScoreTable Table{};
    std::string Check;
};

// Reads a pair; false when either file is missing or the table does not read. Damaged flag
// lines of the options file do not matter here: only its check line pairs it with the table.
bool ReadStoredPair(const std::string& tablePath, const std::string& optionsPath, TStoredPair& pair) {
    std::string tableBytes, optionsBytes;
    if (!FileCanBeOpened(tablePath) || !ReadWholeFile(tablePath, tableBytes)) return false;
    if (!FileCanBeOpened(optionsPath) || !ReadWholeFile(optionsPath, optionsBytes)) return false;
    try {
        ReadHighScoresInto(tableBytes, pair.Table);
    } catch (const EInOutError&) {
        return false;
    }
    TGameOptions ignored;
    ReadOptionsInto(optionsBytes, ignored, pair.Check);
    return true;
}

bool StoredPairMatches(const std::string& tablePath, const std::string& optionsPath) {
    TStoredPair pair;
    return ReadStoredPair(tablePath, optionsPath, pair) && BuildHighScoreCheck(pair.Table) == pair.Check;
}

// True when some line of the bytes does not read by the save-file rules.
bool TableBytesDamaged(const std::string& bytes) {
    THighScoreTable table{};
    try {
        ReadHighScoresInto(bytes, table);
    } catch (const EInOutError&) {
        return true;
    }
    return false;
}

bool OptionsBytesDamaged(const std::string& bytes) {
    TGameOptions options;
    std::string check;
    return !ReadOptionsInto(bytes, options, check).empty();
}

// Moves a file that is there but does not read out of the way of its replacement, and says
// where it went: the start-up has already fallen back to defaults for what it could not read.
bool KeepDamagedAside(const std::string& path, bool (*damaged)(const std::string&), std::string& error) {
    std::string bytes;
    if (!FileCanBeOpened(path) || !ReadWholeFile(path, bytes) || !damaged(bytes)) return true;
    const std::string aside = FreeDamagedPathFor(path);
    if (!ReplaceFile(path, aside, error)) return false;
    std::fprintf(stderr, "%s could not be read; it is kept as %s\n", path.c_str(), aside.c_str());
    return true;
}

bool CopyFileReplacing(const std::string& from, const std::string& to, std::string& error) {
    std::string bytes;
    if (!ReadWholeFile(from, bytes)) {
        error = "cannot read " + from;
        return false;
    }
    return WriteFileReplacing(to, bytes, error);
}

bool Report(const std::string& error) {
    std::fprintf(stderr, "The high-score table and the options were not saved: %s\n", error.c_str());
    return false;
}

} // namespace

std::string FreeDamagedPathFor(const std::string& path) {
    std::string candidate = path + ".damaged";
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(candidate, ec); ++n)
        candidate = path + ".damaged." + std::to_string(n);
    return candidate;
}

void LoadOptionsAndHighScores() {
    LoadHighScores();
    LoadOptions();
    if (HighScoreCheckMatches()) return;
    // A save stopped between its two renames leaves the new table beside the old check string;
    // the pair it was replacing is still whole under the previous names.
    TStoredPair previous;
    if (ReadStoredPair(kPreviousHighScoreFile, kPreviousOptionsFile, previous) &&
        BuildHighScoreCheck(previous.Table) == previous.Check) {
        std::fprintf(stderr,
                     "%s does not match %s (a save was interrupted); using the table saved before, %s\n",
                     kHighScoreFile, kOptionsFile, kPreviousHighScoreFile);
        for (int k = 1; k <= 10; ++k)
            HighScores[k] = previous.Table[k];
        HighScoreCheck = previous.Check;
        return;
    }
    ResetHighScores();
}

bool SaveOptionsAndHighScores() {
    std::string error;
    const std::string tableTemp = TemporaryPathFor(kHighScoreFile);
    const std::string optionsTemp = TemporaryPathFor(kOptionsFile);
    TSaveFileSystem& disk = SaveFileSystem();

    // 1. Both new files complete on disk before anything that exists is touched.
    if (!CreateParentFolders(kHighScoreFile, error)) return Report(error);
    if (!WriteFileDurably(tableTemp, FormatHighScoresFile(), error)) return Report(error);
    if (!WriteFileDurably(optionsTemp, FormatOptionsFile(), error)) {
        disk.Remove(tableTemp);
        return Report(error);
    }
    // 2, 3. A pair that does not match is not worth keeping, and must not replace a previous pair
    // an earlier interrupted save left behind.
    bool ok = !StoredPairMatches(kHighScoreFile, kOptionsFile) ||
              (CopyFileReplacing(kHighScoreFile, kPreviousHighScoreFile, error) &&
               CopyFileReplacing(kOptionsFile, kPreviousOptionsFile, error));
    ok = ok && KeepDamagedAside(kHighScoreFile, TableBytesDamaged, error) &&
         KeepDamagedAside(kOptionsFile, OptionsBytesDamaged, error);
    // 4. Between these two renames the pair on disk does not match; the previous pair covers it.
    ok = ok && ReplaceFile(tableTemp, kHighScoreFile, error);
    if (!ok) {
        disk.Remove(tableTemp);
        disk.Remove(optionsTemp);
        return Report(error);
    }
    if (!ReplaceFile(optionsTemp, kOptionsFile, error)) {
        disk.Remove(optionsTemp);
        return Report(error);
    }
    // 5. The new pair is whole: the previous one would only confuse a later recovery.
    disk.Remove(kPreviousHighScoreFile);
    disk.Remove(kPreviousOptionsFile);
    return true;
}
