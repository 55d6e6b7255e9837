#include "records/TextFile.h"

#include "engine/Errors.h"
#include "records/SaveFileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace {
// Longest token an integer read takes; the rest of a longer one stays in the line.
constexpr size_t kMaxNumberToken = 32;

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

TTextReader::TTextReader(std::string bytes) : Bytes(std::move(bytes)) {}

std::string TTextReader::ReadString() {
    size_t start = Pos;
    while (Pos < Bytes.size() && Bytes[Pos] != '\n')
        ++Pos;
    size_t end = Pos;
    // The CR of a CR LF pair belongs to the line end, not to the text.
    if (end < Bytes.size() && end > start && Bytes[end - 1] == '\r') {
        --end;
        Pos = end;
    }
    return Bytes.substr(start, end - start);
}

int32_t TTextReader::ReadInteger() {
    while (Pos < Bytes.size() && IsBlank(Bytes[Pos]))
        ++Pos;
    if (Pos >= Bytes.size()) return 0;
    size_t start = Pos;
    while (Pos < Bytes.size() && !IsBlank(Bytes[Pos]) && Pos - start < kMaxNumberToken)
        ++Pos;
    int32_t value = 0;
    if (!ParseDecimalInt32(Bytes.substr(start, Pos - start), value))
        throw EInOutError("Invalid numeric input");
    return value;
}

void TTextReader::SkipLine() {
    while (Pos < Bytes.size() && Bytes[Pos] != '\n')
        ++Pos;
    if (Pos < Bytes.size()) ++Pos;
}

bool ParseDecimalInt32(const std::string& token, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i >= token.size()) return false;
    int64_t v = 0;
    const int64_t limit = negative ? -int64_t(std::numeric_limits<int32_t>::min())
                                   : int64_t(std::numeric_limits<int32_t>::max());
    for (; i < token.size(); ++i) {
        char c = token[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > limit) return false;
    }
    value = int32_t(negative ? -v : v);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool CreateParentFolders(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    fs::path target(path);
    if (!target.has_parent_path()) return true;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    if (!ec) return true;
    error = "cannot create folder " + target.parent_path().string() + ": " + ec.message();
    return false;
}

bool WriteFileDurably(const std::string& path, const std::string& bytes, std::string& error) {
    TSaveFileSystem& disk = SaveFileSystem();
    errno = 0;
    FILE* f = disk.Open(path);
    if (!f) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    errno = 0;
    bool ok = disk.Write(f, bytes) && disk.Flush(f);
    // The reason of the first failure; closing could overwrite errno.
    const int savedErrno = ok ? 0 : errno;
    // Closed even after a failed write, so the handle is not leaked.
    ok = disk.Close(f) && ok;
    if (!ok) {
        error = "cannot write " + path + ": " + std::strerror(savedErrno ? savedErrno : errno);
        disk.Remove(path);
        return false;
    }
    return true;
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string& error) {
    errno = 0;
    if (SaveFileSystem().Rename(from, to)) return true;
    error = "cannot replace " + to + ": " + std::strerror(errno);
    return false;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string& error) {
    if (!CreateParentFolders(path, error)) return false;
    const std::string temp = TemporaryPathFor(path);
    if (!WriteFileDurably(temp, bytes, error)) return false;
    if (ReplaceFile(temp, path, error)) return true;
    SaveFileSystem().Remove(temp);
    return false;
}
