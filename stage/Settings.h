// The player's settings as every screen reads them: window or full screen, music, sound
// effects and the free text sent with results. records/Options keeps them in their file.
#pragma once
#include <cstdint>
#include <string>

// Window or full screen, music, sound effects, and the free text sent with every result.
struct TGameOptions {
    uint8_t FullScreen = 0;          // 1: full screen; 0: an 800 x 600 window
    uint8_t MusicOn = 1;             // music plays
    uint8_t SoundOn = 1;             // sound effects play
    std::string AddInfo = "_______"; // free text sent as the "add" value of every result
    bool operator==(const TGameOptions&) const = default;
};

// The one options record of the program.
extern TGameOptions Options;
