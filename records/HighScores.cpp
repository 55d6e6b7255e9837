#include "records/HighScores.h"

#include "engine/Errors.h"
#include "records/TextFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <utility>

THighScoreTable HighScores{};
std::string HighScoreCheck;

void ResetHighScores() {
    for (int rank = 1; rank <= 10; ++rank)
        HighScores[rank] = THighScore{"ANONYMOUS", (11 - rank) * 500, 0, 0};
}

void ReadHighScoresFile(const std::string& bytes) {
    ReadHighScoresInto(bytes, HighScores);
}

void ReadHighScoresInto(const std::string& bytes, THighScoreTable& table) {
    TTextReader in(bytes);
    for (int k = 1; k <= 10; ++k) {
        THighScore& e = table[k];
        e.Name = in.ReadString();
        in.SkipLine();
        e.Score = in.ReadInteger();
        in.SkipLine();
        e.Extra1 = in.ReadInteger();
        in.SkipLine();
        e.Extra2 = in.ReadInteger();
        in.SkipLine();
    }
}

void LoadHighScores() {
    std::string bytes;
    if (!FileCanBeOpened(kHighScoreFile) || !ReadWholeFile(kHighScoreFile, bytes)) {
        ResetHighScores();
        return;
    }
    try {
        ReadHighScoresFile(bytes);
    } catch (const EInOutError& e) {
        std::fprintf(stderr, "%s is damaged (%s); using the default high-score table\n", kHighScoreFile,
                     e.what());
        ResetHighScores();
    }
}

std::string FormatHighScoresFile() {
    std::string out;
    for (int k = 1; k <= 10; ++k) {
        const THighScore& e = HighScores[k];
        out += e.Name + "\r\n";
        out += std::to_string(e.Score) + "\r\n";
        out += std::to_string(e.Extra1) + "\r\n";
        out += std::to_string(e.Extra2) + "\r\n";
    }
    return out;
}

bool ScoreQualifies(int32_t score) {
    for (int k = 1; k <= 10; ++k)
        if (score > HighScores[k].Score) return true;
    return false;
}

void InsertHighScore(const std::string& name, int32_t score) {
    HighScores[kSpareSlot].Name = name;
    HighScores[kSpareSlot].Score = score;
    for (int pass = 1; pass <= 10; ++pass)
        for (int a = 1; a <= 11 - pass; ++a)
            if (HighScores[a].Score < HighScores[a + 1].Score) std::swap(HighScores[a], HighScores[a + 1]);
}

std::string BuildHighScoreCheck() {
    return BuildHighScoreCheck(HighScores);
}

std::string BuildHighScoreCheck(const THighScoreTable& table) {
    size_t longest = 0;
    for (int k = 1; k <= 10; ++k)
        longest = std::max(longest, table[k].Name.size());
    std::string s(longest, ' ');
    // Folds a character into one place of the check string, on unsigned codes 0..255.
    auto fold = [&s](size_t i, char c) {
        unsigned sum = unsigned(static_cast<unsigned char>(s[i])) + static_cast<unsigned char>(c);
        s[i] = static_cast<char>(static_cast<unsigned char>(sum % 224 + 32));
    };
    for (int k = 1; k <= 10; ++k) {
        const std::string& name = table[k].Name;
        for (size_t j = 0; j < name.size(); ++j)
            fold(j, name[j]);
        std::string digits = std::to_string(table[k].Score);
        for (size_t j = 0; j < digits.size() && j < longest; ++j)
            fold(j, digits[j]);
    }
    return s;
}

bool HighScoreCheckMatches() {
    return BuildHighScoreCheck() == HighScoreCheck;
}

bool FileCanBeOpened(const std::string& path) {
    if (path.empty()) return false;
    std::ifstream in(path, std::ios::binary);
    return bool(in);
}
