// Reading and writing the game's small save files: 8-bit text, one value per line, CR LF ends.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Reads a text file held in memory by the save-file rules: string reads take a whole line,
// integer reads skip blanks and line ends first, and the end of the file yields "" and 0.
class TTextReader {
  public:
    // Reads from the given bytes (a copy is kept).
    explicit TTextReader(std::string bytes);

    // Takes every character up to the line end (LF; a CR just before it is not part of the
    // line) and leaves the line end for SkipLine. At the end of the file: "".
    std::string ReadString();
    // Skips characters of code 32 or below (line ends included), then converts the next token
    // of at most 32 characters as a signed decimal integer; the rest of a longer token stays.
    // At the end of the file: 0. Raises EInOutError("Invalid numeric input") when the token
    // does not convert.
    int32_t ReadInteger();
    // Skips the rest of the current line and its line end; nothing at the end of the file.
    void SkipLine();
    // True when every byte has been consumed.
    bool AtEnd() const { return Pos >= Bytes.size(); }

  private:
    std::string Bytes;
    size_t Pos = 0;
};

// Converts a token as a signed decimal integer with an optional sign; false when it is not one
// or does not fit in 32 bits.
bool ParseDecimalInt32(const std::string& token, int32_t& value);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// The temporary file a replacement is written to first: the path with ".tmp" added.
inline std::string TemporaryPathFor(const std::string& path) {
    return path + ".tmp";
}

// Creates the folders above path; false (with the reason in error) when that fails.
bool CreateParentFolders(const std::string& path, std::string& error);
// Writes bytes to path and flushes them to the disk, through SaveFileSystem. On failure the
// half-written file is removed, the reason goes into error and the result is false.
bool WriteFileDurably(const std::string& path, const std::string& bytes, std::string& error);
// Renames from over to in one step, through SaveFileSystem; false with the reason in error.
bool ReplaceFile(const std::string& from, const std::string& to, std::string& error);

// Replaces a file safely: creates the parent folders, writes a temporary file beside the target,
// flushes it to disk and renames it over the old file, so a crash or a full disk mid-write leaves
// the previous file intact and no temporary file behind. On failure returns false and puts the
// reason in error.
bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string& error);
