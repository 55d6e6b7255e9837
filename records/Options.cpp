#include "records/Options.h"

#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/TextFile.h"

#include <cstdio>

namespace {
// Flags are written as "1" or "0"; any non-zero number reads as on.
uint8_t FlagFrom(int32_t v) {
    return v != 0 ? 1 : 0;
}

// Reads one flag line; a line that does not convert leaves the flag at its default and is noted.
void ReadFlag(TTextReader& in, int line, uint8_t& flag, uint8_t fallback, std::vector<int>& damaged) {
    try {
        flag = FlagFrom(in.ReadInteger());
    } catch (const EInOutError&) {
        flag = fallback;
        damaged.push_back(line);
    }
    in.SkipLine();
}
} // namespace

std::vector<int> ReadOptionsInto(const std::string& bytes, TGameOptions& options, std::string& check) {
    const TGameOptions defaults;
    std::vector<int> damaged;
    TTextReader in(bytes);
    ReadFlag(in, 1, options.FullScreen, defaults.FullScreen, damaged);
    ReadFlag(in, 2, options.MusicOn, defaults.MusicOn, damaged);
    ReadFlag(in, 3, options.SoundOn, defaults.SoundOn, damaged);
    options.AddInfo = in.ReadString();
    in.SkipLine();
    check = in.ReadString();
    in.SkipLine();
    return damaged;
}

std::vector<int> ReadOptionsFile(const std::string& bytes) {
    return ReadOptionsInto(bytes, Options, HighScoreCheck);
}

void LoadOptions() {
    std::string bytes;
    if (!FileCanBeOpened(kOptionsFile) || !ReadWholeFile(kOptionsFile, bytes)) {
        Options = TGameOptions{};
        HighScoreCheck.clear();
        return;
    }
    // Only the damaged flag is lost: the check string on its own line still guards the table.
    for (int line : ReadOptionsFile(bytes))
        std::fprintf(stderr, "%s: line %d is damaged (Invalid numeric input); using its default\n",
                     kOptionsFile, line);
}

std::string FormatOptionsFile() {
    std::string out;
    out += Options.FullScreen ? "1\r\n" : "0\r\n";
    out += Options.MusicOn ? "1\r\n" : "0\r\n";
    out += Options.SoundOn ? "1\r\n" : "0\r\n";
    out += Options.AddInfo + "\r\n";
    out += BuildHighScoreCheck() + "\r\n";
    return out;
}

void EditAddInfo(char key) {
    std::string& text = Options.AddInfo;
    if (key == '\b') {
        if (!text.empty()) text.pop_back();
        return;
    }
    bool letter = (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z');
    if ((letter || key == ' ') && text.size() < kMaxAddInfoLength) text += key;
}
