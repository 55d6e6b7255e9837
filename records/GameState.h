// Program-wide game state shared by the shell, the race and the records: the screen mode, the
// dialog that is up, the button slots, the key edges and the other variables every screen reads.
// Race variables live with the race; options and high scores with their records.
#pragma once
#include <array>
#include <cstdint>
#include <string>

class TSprite;
class TScrollBackground;
class TCaptionSprite;

// Screen modes.
enum : int32_t {
    smMainMenu = 0, smRace = 1, smOptions = 2, smHighScores = 3, smHelp = 4, smBoatChoice = 8, smStartUp = -1
};

extern int32_t ScreenMode;          // current screen; -1 only during start-up
extern uint8_t DialogKind;          // dialog over the screen, 0 none
extern int32_t DialogTimer;         // remaining show time of the timed dialogs, ms
extern TCaptionSprite* DialogWindow;  // the dialog backdrop

// Button slots 1..18 (index 0 unused); slots 16 and 17 hold integers, kept in ButtonNumbers.
extern std::array<TSprite*, 19> Buttons;
extern std::array<int32_t, 19> ButtonNumbers;
extern int32_t ButtonCount, FirstIndex, LastIndex, HoverIndex;
extern int32_t SavedHoverIndex, SavedButtonCount, SavedFirstIndex, SavedLastIndex;
extern bool SkipHoverSound, NavArmed, NavOverrun;
extern int32_t MouseX, MouseY;

// Key edges (went down this frame) and the key states of the previous frame.
extern bool PauseKeyHit, EscKeyHit, YesKeyHit, NoKeyHit;
extern bool PauseKeyWasDown, EscKeyWasDown, YesKeyWasDown, NoKeyWasDown;
extern bool CtrlDown;

extern int32_t HelpPage;
extern TCaptionSprite* HelpPageSprite;
extern TScrollBackground* Background;
extern TCaptionSprite* NameCursor;
extern int32_t CursorBlinkTimer;
extern std::string PlayerName;

extern int32_t FrameMs;        // nominal milliseconds per frame; every countdown steps by it
extern double VelocityScale;   // scale of the boat's velocity components
extern bool OptionsTextEditing;  // the options screen's text field takes key presses

// Puts every variable above back to its value at program start (tests start from here).
void ResetGameState();
