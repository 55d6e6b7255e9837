#include "records/Options.h"

#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/TextFile.h"

#include <cstdio>

namespace {
// Flags are written as "1" or "0"; any non-zero number reads as on.
uint8_t FlagFrom(int32_t v) { return v != 0 ? 1 : 0; }
}  // namespace

void ReadOptionsFile(const std::string& bytes) {
    TTextReader in(bytes);
    Options.FullScreen = FlagFrom(in.ReadInteger());
    in.SkipLine();
    Options.MusicOn = FlagFrom(in.ReadInteger());
    in.SkipLine();
    Options.SoundOn = FlagFrom(in.ReadInteger());
    in.SkipLine();
    Options.AddInfo = in.ReadString();
    in.SkipLine();
    HighScoreCheck = in.ReadString();
    in.SkipLine();
}

void LoadOptions() {
    std::string bytes;
    if (!FileCanBeOpened(kOptionsFile) || !ReadWholeFile(kOptionsFile, bytes)) {
        Options = TGameOptions{};
        HighScoreCheck.clear();
        return;
    }
    try {
        ReadOptionsFile(bytes);
    } catch (const EInOutError& e) {
        std::fprintf(stderr, "%s is damaged (%s); using the default options\n", kOptionsFile, e.what());
        Options = TGameOptions{};
        HighScoreCheck.clear();
    }
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

bool SaveOptions() {
    std::string error;
    if (WriteFileReplacing(kOptionsFile, FormatOptionsFile(), error)) return true;
    std::fprintf(stderr, "The options were not saved: %s\n", error.c_str());
    return false;
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
