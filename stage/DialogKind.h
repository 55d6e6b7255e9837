// The dialog kinds: which overlay is up over the screen. The values are the game's own numbers.
#pragma once
#include <cstdint>

enum TDialogKind : uint8_t {
    dkNone = 0,
    dkLevelIntro = 1,  // "Level n", two seconds
    dkPause = 2,       // "Pause" until P or Esc
    dkTimeOver = 3,    // the time ran out with lives left
    dkFinishRace = 4,  // "Finish race?"
    dkEnterName = 5,   // a result for the table: the name entry
    dkSendResult = 6,  // "Send the result to the World's Highscores page?"
    dkSending = 7,     // "Sending..." while the result goes out
    dkGameOver = 8,    // the time ran out with no lives left, or the last boat was wrecked
    dkExitGame = 9,    // "Exit the game?"
    dkClearTable = 10, // "Do you want to clear the High Score Table?"
};

// Number of dialog kinds, dkNone not counted.
constexpr int DialogKindCount = 10;
