#include "app/QuestionDialogs.h"

#include <string>

#include "app/Dialogs.h"
#include "app/InputDispatch.h"
#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "engine/DXClass.h"
#include "race/CaptionSprite.h"
#include "race/RaceState.h"
#include "records/Game.h"
#include "records/GameSound.h"
#include "records/GameState.h"
#include "records/TextStyles.h"

namespace {

TSprite& Root() { return Game.SpriteEngine->Engine(); }

void Text(int style, const std::string& text, int y) {
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

}  // namespace

bool IsQuestionDialog(int kind) { return (kind >= 4 && kind <= 7) || kind == 9 || kind == 10; }

void OpenQuestionDialog(int kind) {
    if (!IsQuestionDialog(kind)) return;
    DialogWindow = new TCaptionSprite(&Root(), "Window");
    DialogWindow->X = 210;
    DialogWindow->Y = 200;
    DialogWindow->SetZ(5);
    switch (kind) {
        case 4:
        case 6:
            StopSound("Engine");
            ShowMouseCursor();
            ButtonCount = 2;
            HoverIndex = kind == 4 ? 2 : 1;
            FirstIndex = 1;
            LastIndex = 2;
            if (kind == 4) YesNo(1, 307, 414, 340);
            else YesNo(1, 315, 422, 344);
            break;
        case 9:
        case 10:
            ShowMouseCursor();
            SavedFirstIndex = FirstIndex;
            SavedLastIndex = LastIndex;
            SavedHoverIndex = HoverIndex;
            SavedButtonCount = ButtonCount;
            ButtonCount = 2;
            HoverIndex = 12;
            FirstIndex = 11;
            LastIndex = 12;
            YesNo(11, 315, 422, 344);
            break;
        case 5:
            StopSound("Engine");
            NameCursor = new TCaptionSprite(&Root(), "Cursor");
            NameCursor->X = 217;
            NameCursor->Y = 363;
            NameCursor->SetZ(7);
            NameCursor->Visible = false;
            CursorBlinkTimer = 0;
            break;
        default:
            break;
    }
}

void CloseQuestionDialog(int kind) {
    switch (kind) {
        case 4:
        case 6:
            ButtonCount = 2;
            FreeButtons();
            HideMouseCursor();
            break;
        case 9:
        case 10:
            FreeDialogButtons();
            FirstIndex = SavedFirstIndex;
            LastIndex = SavedLastIndex;
            HoverIndex = SavedHoverIndex;
            ButtonCount = SavedButtonCount;
            if (kind == 9 && ScreenMode == smRace) HideMouseCursor();
            break;
        case 5:
            delete NameCursor;
            NameCursor = nullptr;
            break;
        default:
            break;
    }
    if (IsQuestionDialog(kind)) {
        delete DialogWindow;
        DialogWindow = nullptr;
    }
}

void QuestionDialogFrame(int kind, int lagCount) {
    switch (kind) {
        case 4:
            UpdateHover();
            NavigateHorizontal(true);
            AdvanceSlots(1, 2, lagCount);
            Text(7, "Finish race?", 257);
            if (EscKeyHit) {
                CloseDialog();
                return;
            }
            AnswerKeys(1);
            break;
        case 5:
            Text(12, "Your score is " + std::to_string(Score), 248);
            Text(12, "Please, enter your name:", 290);
            Text(12, PlayerName, 335);
            if (NameCursor) {
                NameCursor->X = MeasureText(PlayerName) / 2.0 + 400;
                CursorBlinkTimer -= Game.Timer ? Game.Timer->Interval() : 15;
                if (CursorBlinkTimer <= 0) {
                    NameCursor->Visible = !NameCursor->Visible;
                    CursorBlinkTimer = 500;
                }
            }
            break;
        case 6:
            UpdateHover();
            NavigateHorizontal(true);
            AdvanceSlots(1, 2, lagCount);
            Text(12, "Send the result", 237);
            Text(12, "to the World's", 267);
            Text(12, "Highscores page?", 297);
            AnswerKeys(1);
            break;
        case 7:
            Text(7, "Sending...", 277);
            break;
        case 9:
            UpdateDialogHover();
            NavigateHorizontal(true);
            AdvanceSlots(11, 12, lagCount);
            StartFrame(lagCount, false);
            Text(7, "Exit the game?", 257);
            EndFrame();
            AnswerKeys(11);
            break;
        case 10:
            UpdateDialogHover();
            NavigateHorizontal(true);
            AdvanceSlots(11, 12, lagCount);
            StartFrame(lagCount, false);
            Text(10, "Do you want to clear", 237);
            Text(10, "the High Score Table?", 287);
            EndFrame();
            AnswerKeys(11);
            break;
        default:
            break;
    }
}
