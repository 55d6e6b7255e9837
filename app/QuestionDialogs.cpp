#include "app/QuestionDialogs.h"

#include <string>

#include "app/InputDispatch.h"
#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "engine/DXClass.h"
#include "race/RaceState.h"
#include "stage/CaptionSprite.h"
#include "stage/Dialogs.h"
#include "stage/Frame.h"
#include "stage/Game.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "stage/TextStyles.h"

namespace {

TSprite& Root() {
    return SpriteRoot();
}

void Text(TTextStyle style, const std::string& text, int y) {
    UseTextStyle(style);
    PrintText(text, 400, y, true);
}

void YesNo(int yesSlot, double yesX, double noX, double y) {
    auto* yes = new TMenuButton(&Root(), "YesButton", y, yesX, 1, 0, "YesButton");
    auto* no = new TMenuButton(&Root(), "NoButton", y, noX, 1, 0, "NoButton");
    yes->SetZ(6);
    no->SetZ(6);
    Buttons[size_t(yesSlot)] = yes;
    Buttons[size_t(yesSlot + 1)] = no;
}

void AdvanceSlots(int first, int last, int lagCount) {
    for (int i = first; i <= last; ++i)
        if (Buttons[size_t(i)]) Buttons[size_t(i)]->Advance(lagCount);
}

// Y and N answer the question as a click on Yes or No would. Both in the same frame: Yes
// answers and No is dropped, since No would otherwise click whatever Yes left up (accept an
// empty name in the name entry, or leave the high-score screen below the clear question).
void AnswerKeys(int yesSlot) {
    if (YesKeyHit) {
        HoverIndex = yesSlot;
        MDXDrawClick();
        return;
    }
    if (NoKeyHit) {
        HoverIndex = yesSlot + 1;
        MDXDrawClick();
    }
}

// The backdrop every question stands on, from the current screen's picture list.
void OpenBackdrop() {
    DialogWindow = new TCaptionSprite(&Root(), ScreenPictures(), "Window");
    DialogWindow->X = 210;
    DialogWindow->Y = 200;
    DialogWindow->SetZ(5);
}

void CloseBackdrop() {
    FreeSprite(DialogWindow);
}

// ---------------------------------------------------------------- questions over the race

// Yes and No in slots 1 and 2; the race's engine stops while the question is up.
void OpenRaceQuestion(int hover, double yesX, double noX, double y) {
    OpenBackdrop();
    StopSound("Engine");
    ShowMouseCursor();
    ButtonCount = 2;
    HoverIndex = hover;
    FirstIndex = slRaceYes;
    LastIndex = slRaceNo;
    YesNo(slRaceYes, yesX, noX, y);
}

void CloseRaceQuestion() {
    ButtonCount = 2;
    FreeButtons();
    HideMouseCursor();
    CloseBackdrop();
}

void RaceQuestionFrame(int lagCount) {
    UpdateHover();
    NavigateHorizontal(true);
    AdvanceSlots(slRaceYes, slRaceNo, lagCount);
}

void OpenFinishRace() {
    OpenRaceQuestion(slRaceNo, 307, 414, 340);
}

void FinishRaceFrame(int lagCount) {
    RaceQuestionFrame(lagCount);
    Text(tsQuestion, "Finish race?", 257);
    if (EscKeyHit) {
        CloseDialog();
        return;
    }
    AnswerKeys(slRaceYes);
}

void OpenSendResult() {
    OpenRaceQuestion(slRaceYes, 315, 422, 344);
}

void SendResultFrame(int lagCount) {
    RaceQuestionFrame(lagCount);
    Text(tsMessage, "Send the result", 237);
    Text(tsMessage, "to the World's", 267);
    Text(tsMessage, "Highscores page?", 297);
    AnswerKeys(slRaceYes);
}

// ---------------------------------------------------------------- name entry and sending

void OpenEnterName() {
    OpenBackdrop();
    StopSound("Engine");
    NameCursor = new TCaptionSprite(&Root(), ScreenPictures(), "Cursor");
    NameCursor->X = 217;
    NameCursor->Y = 363;
    NameCursor->SetZ(7);
    NameCursor->Visible = false;
    CursorBlinkTimer = 0;
}

void CloseEnterName() {
    FreeSprite(NameCursor);
    CloseBackdrop();
}

void EnterNameFrame(int) {
    Text(tsMessage, "Your score is " + std::to_string(Score), 248);
    Text(tsMessage, "Please, enter your name:", 290);
    Text(tsMessage, PlayerName, 335);
    if (NameCursor) {
        NameCursor->X = MeasureText(PlayerName) / 2.0 + 400;
        CursorBlinkTimer -= Game.Timer ? Game.Timer->Interval() : 15;
        if (CursorBlinkTimer <= 0) {
            NameCursor->Visible = !NameCursor->Visible;
            CursorBlinkTimer = 500;
        }
    }
}

void SendingFrame(int) {
    Text(tsQuestion, "Sending...", 277);
}

// ---------------------------------------------------------------- questions over the menus

// Yes and No in slots 11 and 12; the screen's slot range is kept aside until the answer.
void OpenMenuQuestion() {
    OpenBackdrop();
    ShowMouseCursor();
    SavedFirstIndex = FirstIndex;
    SavedLastIndex = LastIndex;
    SavedHoverIndex = HoverIndex;
    SavedButtonCount = ButtonCount;
    ButtonCount = 2;
    HoverIndex = slDialogNo;
    FirstIndex = slDialogYes;
    LastIndex = slDialogNo;
    YesNo(slDialogYes, 315, 422, 344);
}

void RestoreMenuSlots() {
    FreeDialogButtons();
    FirstIndex = SavedFirstIndex;
    LastIndex = SavedLastIndex;
    HoverIndex = SavedHoverIndex;
    ButtonCount = SavedButtonCount;
}

void CloseExitGame() {
    RestoreMenuSlots();
    if (ScreenMode == smRace) HideMouseCursor();
    CloseBackdrop();
}

void CloseClearTable() {
    RestoreMenuSlots();
    CloseBackdrop();
}

// These two draw the whole frame themselves: the form runs them over any screen.
void MenuQuestionFrame(int lagCount, TTextStyle style, const char* line1, int y1, const char* line2, int y2) {
    UpdateDialogHover();
    NavigateHorizontal(true);
    AdvanceSlots(slDialogYes, slDialogNo, lagCount);
    StartFrame(lagCount, false);
    Text(style, line1, y1);
    if (line2) Text(style, line2, y2);
    EndFrame();
    AnswerKeys(slDialogYes);
}

void ExitGameFrame(int lagCount) {
    MenuQuestionFrame(lagCount, tsQuestion, "Exit the game?", 257, nullptr, 0);
}

void ClearTableFrame(int lagCount) {
    MenuQuestionFrame(lagCount, tsClearQuestion, "Do you want to clear", 237, "the High Score Table?", 287);
}

} // namespace

void RegisterShellDialogs() {
    RegisterDialog(dkFinishRace, {OpenFinishRace, CloseRaceQuestion, FinishRaceFrame});
    RegisterDialog(dkEnterName, {OpenEnterName, CloseEnterName, EnterNameFrame});
    RegisterDialog(dkSendResult, {OpenSendResult, CloseRaceQuestion, SendResultFrame});
    RegisterDialog(dkSending, {OpenBackdrop, CloseBackdrop, SendingFrame});
    RegisterDialog(dkExitGame, {OpenMenuQuestion, CloseExitGame, ExitGameFrame});
    RegisterDialog(dkClearTable, {OpenMenuQuestion, CloseClearTable, ClearTableFrame});
}
