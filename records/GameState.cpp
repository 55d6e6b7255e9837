#include "records/GameState.h"

#include "records/Options.h"

int32_t ScreenMode = 0;
uint8_t DialogKind = 0;
int32_t DialogTimer = 0;
TCaptionSprite* DialogWindow = nullptr;
std::array<TSprite*, 19> Buttons{};
std::array<int32_t, 19> ButtonNumbers{};
int32_t ButtonCount = 0, FirstIndex = 0, LastIndex = 0, HoverIndex = 0;
int32_t SavedHoverIndex = 0, SavedButtonCount = 0, SavedFirstIndex = 0, SavedLastIndex = 0;
bool SkipHoverSound = false, NavArmed = false, NavOverrun = false;
int32_t MouseX = 0, MouseY = 0;
bool PauseKeyHit = false, EscKeyHit = false, YesKeyHit = false, NoKeyHit = false;
bool PauseKeyWasDown = false, EscKeyWasDown = false, YesKeyWasDown = false, NoKeyWasDown = false;
bool CtrlDown = false;
int32_t HelpPage = 0;
TCaptionSprite* HelpPageSprite = nullptr;
TScrollBackground* Background = nullptr;
TCaptionSprite* NameCursor = nullptr;
int32_t CursorBlinkTimer = 0;
std::string PlayerName;
int32_t FrameMs = 15;
double VelocityScale = 1.0;
bool OptionsTextEditing = false;

TGameOptions Options;

void ResetGameState() {
    ScreenMode = 0;
    DialogKind = 0;
    DialogTimer = 0;
    DialogWindow = nullptr;
    Buttons.fill(nullptr);
    ButtonNumbers.fill(0);
    ButtonCount = FirstIndex = LastIndex = HoverIndex = 0;
    SavedHoverIndex = SavedButtonCount = SavedFirstIndex = SavedLastIndex = 0;
    SkipHoverSound = NavArmed = NavOverrun = false;
    MouseX = MouseY = 0;
    PauseKeyHit = EscKeyHit = YesKeyHit = NoKeyHit = false;
    PauseKeyWasDown = EscKeyWasDown = YesKeyWasDown = NoKeyWasDown = false;
    CtrlDown = false;
    HelpPage = 0;
    HelpPageSprite = nullptr;
    Background = nullptr;
    NameCursor = nullptr;
    CursorBlinkTimer = 0;
    PlayerName.clear();
    FrameMs = 15;
    VelocityScale = 1.0;
    OptionsTextEditing = false;
    Options = TGameOptions{};
}
