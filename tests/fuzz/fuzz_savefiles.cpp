// Fuzzes the save-file readers: any bytes either read or fail with "Invalid numeric input" (the
// options file instead gives its damaged flags their defaults), and whatever reads is written back
// and reads again to the same values.
#include "engine/Errors.h"
#include "records/HighScores.h"
#include "records/Options.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    HighScores = {};
    try {
        ReadHighScoresFile(bytes);
        auto table = HighScores;
        ReadHighScoresFile(FormatHighScoresFile());
        for (int k = 1; k <= 10; ++k)
            if (!(HighScores[k] == table[k])) std::abort();
        // The check string never holds a line break, so the options file keeps its five lines.
        if (BuildHighScoreCheck().find_first_of("\r\n") != std::string::npos) std::abort();
    } catch (const EInOutError&) {
    }
    Options = TGameOptions{};
    ReadOptionsFile(bytes);
    TGameOptions read = Options;
    // What was written reads back whole: no flag of it is damaged.
    if (!ReadOptionsFile(FormatOptionsFile()).empty()) std::abort();
    if (!(Options == read) || read.FullScreen > 1 || read.MusicOn > 1 || read.SoundOn > 1) std::abort();
    return 0;
}
