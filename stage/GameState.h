// Program-wide game state shared by the shell, the race and the records: the screen mode, the
// dialog that is up, the button slots, the key edges and the other variables every screen reads.
// Grouped by who owns it; every variable keeps its one initial value here, so a reset is `= {}`.
// Race variables live with the race; options and high scores with their records.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "stage/DialogKind.h"

class TSprite;
class TScrollBackground;
class TCaptionSprite;

// Screen modes.
enum : int32_t {
    smMainMenu = 0,
    smRace = 1,
    smOptions = 2,
    smHighScores = 3,
    smHelp = 4,
    smBoatChoice = 8,
    smStartUp = -1
};

// Button slots 1..18 (index 0 unused). Every screen numbers its buttons the same way: the main
// menu's six, then the sub-screen's own from 7, the Yes/No of a question over a menu at 11 and
// 12, and the main menu's caption and panels above. A question over the race uses 1 and 2.
enum TButtonSlot : int32_t {
    slNone = 0,
    slStart = 1,
    slOptions = 2,
    slHighScores = 3,
    slHelp = 4,
    slVisitWeb = 5,
    slExit = 6,
    slRaceYes = 1,
    slRaceNo = 2,
    slFullScreen = 7,
    slMusic = 8,
    slSound = 9,
    slAddInfo = 10, // options screen
    slClearTable = 7,
    slWorldTable = 8, // high-score screen
    slPreviousPage = 7,
    slNextPage = 8, // help
    slBoat1 = 7,
    slBoat2 = 8,
    slBoat3 = 9, // boat choice
    slDialogYes = 11,
    slDialogNo = 12,
    slCaption = 13,
    slUpPanel = 14,
    slDownPanel = 15,
    slAnimPhase = 16,
    slAfterAnim = 17, // hold numbers (ButtonNumbers), not sprites
    slBoatTitle = 18,
};
constexpr int ButtonSlotCount = 18;

// The screen and what the menus keep beside it.
struct TScreenState {
    int32_t Mode = smMainMenu; // current screen; smStartUp only during start-up
    int32_t MouseX = 0, MouseY = 0;
    int32_t HelpPage = 0;
    TCaptionSprite* HelpPageSprite = nullptr;
    TScrollBackground* Background = nullptr;
    TCaptionSprite* NameCursor = nullptr; // the name entry's and the options text field's cursor
    int32_t CursorBlinkTimer = 0;
    std::string PlayerName;
    bool OptionsTextEditing = false; // the options screen's text field takes key presses
};

// The dialog over the screen.
struct TDialogState {
    TDialogKind Kind = dkNone;
    int32_t Timer = 0;                // remaining show time of the timed dialogs, ms
    TCaptionSprite* Window = nullptr; // the question's backdrop
};

// The button slots, their range and the highlight; a menu question keeps the screen's range aside.
struct TButtonState {
    std::array<TSprite*, ButtonSlotCount + 1> Sprites{};
    std::array<int32_t, ButtonSlotCount + 1> Numbers{}; // slots 16 and 17
    int32_t Count = 0, First = 0, Last = 0, Hover = 0;
    int32_t SavedHover = 0, SavedCount = 0, SavedFirst = 0, SavedLast = 0;
    bool SkipHoverSound = false, NavArmed = false, NavOverrun = false;
};

// Key edges (went down this frame) and the key states of the previous frame.
struct TKeyState {
    bool PauseHit = false, EscHit = false, YesHit = false, NoHit = false;
    bool PauseWasDown = false, EscWasDown = false, YesWasDown = false, NoWasDown = false;
    bool CtrlDown = false;
};

// The pace every countdown and movement steps by.
struct TPaceState {
    int32_t FrameMs = 15;       // nominal milliseconds per frame; every countdown steps by it
    double VelocityScale = 1.0; // scale of the boat's velocity components
};

struct TGameState {
    TScreenState Screen;
    TDialogState Dialog;
    TButtonState Slots;
    TKeyState Keys;
    TPaceState Pace;
};

// The one game state of the program.
extern TGameState GameState;

// The names every screen uses, bound to their place in GameState.
inline int32_t& ScreenMode = GameState.Screen.Mode;
inline int32_t& MouseX = GameState.Screen.MouseX;
inline int32_t& MouseY = GameState.Screen.MouseY;
inline int32_t& HelpPage = GameState.Screen.HelpPage;
inline TCaptionSprite*& HelpPageSprite = GameState.Screen.HelpPageSprite;
inline TScrollBackground*& Background = GameState.Screen.Background;
inline TCaptionSprite*& NameCursor = GameState.Screen.NameCursor;
inline int32_t& CursorBlinkTimer = GameState.Screen.CursorBlinkTimer;
inline std::string& PlayerName = GameState.Screen.PlayerName;
inline bool& OptionsTextEditing = GameState.Screen.OptionsTextEditing;

inline TDialogKind& DialogKind = GameState.Dialog.Kind;
inline int32_t& DialogTimer = GameState.Dialog.Timer;
inline TCaptionSprite*& DialogWindow = GameState.Dialog.Window;

inline std::array<TSprite*, ButtonSlotCount + 1>& Buttons = GameState.Slots.Sprites;
inline std::array<int32_t, ButtonSlotCount + 1>& ButtonNumbers = GameState.Slots.Numbers;
inline int32_t& ButtonCount = GameState.Slots.Count;
inline int32_t& FirstIndex = GameState.Slots.First;
inline int32_t& LastIndex = GameState.Slots.Last;
inline int32_t& HoverIndex = GameState.Slots.Hover;
inline int32_t& SavedHoverIndex = GameState.Slots.SavedHover;
inline int32_t& SavedButtonCount = GameState.Slots.SavedCount;
inline int32_t& SavedFirstIndex = GameState.Slots.SavedFirst;
inline int32_t& SavedLastIndex = GameState.Slots.SavedLast;
inline bool& SkipHoverSound = GameState.Slots.SkipHoverSound;
inline bool& NavArmed = GameState.Slots.NavArmed;
inline bool& NavOverrun = GameState.Slots.NavOverrun;

inline bool& PauseKeyHit = GameState.Keys.PauseHit;
inline bool& EscKeyHit = GameState.Keys.EscHit;
inline bool& YesKeyHit = GameState.Keys.YesHit;
inline bool& NoKeyHit = GameState.Keys.NoHit;
inline bool& PauseKeyWasDown = GameState.Keys.PauseWasDown;
inline bool& EscKeyWasDown = GameState.Keys.EscWasDown;
inline bool& YesKeyWasDown = GameState.Keys.YesWasDown;
inline bool& NoKeyWasDown = GameState.Keys.NoWasDown;
inline bool& CtrlDown = GameState.Keys.CtrlDown;

inline int32_t& FrameMs = GameState.Pace.FrameMs;
inline double& VelocityScale = GameState.Pace.VelocityScale;

// Puts the game state and the options back to their values at program start (tests start from
// here). Sprites the state points at are not destroyed.
void ResetGameState();
