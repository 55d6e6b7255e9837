// The main menu and its sub-screens. Positions are those the menu pictures were drawn for.
#include "app/Screens.h"

#include <string>

#include "app/InputDispatch.h"
#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "engine/DXClass.h"
#include "engine/PictureCollection.h"
#include "records/HighScores.h"
#include "records/Music.h"
#include "stage/CaptionSprite.h"
#include "stage/Frame.h"
#include "stage/Game.h"
#include "stage/GameState.h"
#include "stage/ScrollBackground.h"
#include "stage/TextStyles.h"

namespace {

TCaptionSprite* HighScoreTitle = nullptr;

TSprite& Root() {
    return SpriteRoot();
}
void EnableTimer(bool on) {
    if (Game.Timer) Game.Timer->SetEnabled(on);
}
TCaptionSprite* Caption(int slot) {
    return dynamic_cast<TCaptionSprite*>(Buttons[size_t(slot)]);
}

TCaptionSprite* NewCaption(const char* name, double x, double y) {
    auto* c = new TCaptionSprite(&Root(), MenuPictures(), name);
    c->X = x;
    c->Y = y;
    return c;
}

// The title of a sub-screen, left of the buttons.
TCaptionSprite* NewTitle(const char* name) {
    TCaptionSprite* t = NewCaption(name, 12, 106);
    t->SetZ(2);
    return t;
}

void Button(int slot, const std::string& active, const std::string& inactive, int inactivePattern,
            int activePattern, double x, double y) {
    Buttons[size_t(slot)] = new TMenuButton(&Root(), active, y, x, inactivePattern, activePattern, inactive);
}

// Keeps the sub-screen's own main-menu button lit.
void LightOwnButton(int slot) {
    if (TMenuButton* b = ButtonAt(slot)) b->SetActiveLook();
}

bool IsOneOf(int v, std::initializer_list<int> list) {
    for (int x : list)
        if (x == v) return true;
    return false;
}

// The ten rows of the table, centred on their columns.
void DrawTableRows() {
    UseTextStyle(tsTableRow);
    for (int r = 1; r <= 10; ++r) {
        const int y = 120 + 32 * r;
        PrintText(std::to_string(r), 62, y, true);
        PrintText(HighScores[size_t(r)].Name, 214, y, true);
        PrintText(std::to_string(HighScores[size_t(r)].Score), 435, y, true);
    }
}

const char* const captionOfSlot[] = {"", "StartC", "OptionsC", "HSC", "HelpC", "VisitWWWC", "ExitC"};

} // namespace

TCaptionSprite* ScreenCaption() {
    return Caption(slCaption);
}

void EnterSubScreen(int mode, int count, int first, int last, int hover) {
    ScreenMode = mode;
    SkipHoverSound = false;
    ButtonCount = count;
    FirstIndex = first;
    LastIndex = last;
    HoverIndex = hover;
    if (ScreenCaption()) ScreenCaption()->Visible = false;
    EnableTimer(true);
}

void FinishSubScreenFrame(int lagCount, int mode, int ownSlot, std::initializer_list<int> stay,
                          void (*close)(), void (*draw)()) {
    LightOwnButton(ownSlot);
    if (ScreenMode == mode && !IsOneOf(HoverIndex, stay)) {
        close();
        BuildMainMenu(false, fuNone);
    }
    StartFrame(lagCount, true);
    // Drawn also on the frame that leaves the screen.
    if (draw) draw();
    EndFrame();
}

// ---------------------------------------------------------------- main menu

void BuildMainMenu(bool rebuild, TMenuFollowUp followUp) {
    ScreenMode = smMainMenu;
    SkipHoverSound = followUp == fuHighScores;
    ButtonCount = 6;
    FirstIndex = slStart;
    LastIndex = slExit;
    MenuAfterAnim() = followUp;
    if (rebuild) {
        PlayScreenMusic();
        HoverIndex = followUp == fuHighScores ? slHighScores : slStart;
        MenuAnimPhase() = mpPanels;
        if (Background) Background->Image = &MenuPictures().Items().FindItem("MMBackground");
        Buttons[slCaption] = NewCaption("NullCaption", 27, 190);
        TCaptionSprite* up = NewCaption("UpPanel", 0, 0);
        up->Y = -up->Image->FrameHeight();
        Buttons[slUpPanel] = up;
        TCaptionSprite* down = NewCaption("DownPanel", 0, 600);
        down->X = 800 - down->Width;
        Buttons[slDownPanel] = down;
        const double ys[] = {0, 114, 174, 237, 299, 361, 423};
        for (int slot = slStart; slot <= slVisitWeb; ++slot)
            Button(slot, "MMB_Active", "MMB_Inactive", slot - 1, slot - 1, 800, ys[slot]);
        Button(slExit, "MM_ExitActive", "MM_ExitInactive", 0, 0, 800, ys[slExit]);
    }
    if (ScreenCaption()) ScreenCaption()->Visible = true;
    EnableTimer(true);
}

void MainMenuFrame(int lagCount) {
    if (MenuAnimPhase() == mpIdle) {
        NavigateVertical(true);
        UpdateHover();
        if (TCaptionSprite* c = ScreenCaption()) {
            if (HoverIndex >= slStart && HoverIndex <= slExit) {
                c->Visible = true;
                c->SetPicture(captionOfSlot[HoverIndex]);
            } else {
                c->Visible = false;
            }
        }
        if (MenuAfterAnim() == fuHighScores) {
            OpenHighScores();
            MenuAfterAnim() = fuNone;
        }
    }
    if (MenuAnimPhase() == mpPanels) {
        TSprite* up = Buttons[slUpPanel];
        TSprite* down = Buttons[slDownPanel];
        if (up->Y < 0) up->Y += 1.75;
        if (down->Y > 600 - down->Height) down->Y -= 7.0 / 6.0;
        if (up->Y >= 0 && down->Y <= 600 - down->Height) MenuAnimPhase() = mpButtons;
    }
    if (MenuAnimPhase() == mpButtons) {
        if (Buttons[slStart] && Buttons[slStart]->X > 558) {
            for (int i = 1; i <= ButtonCount; ++i)
                if (Buttons[size_t(i)]) Buttons[size_t(i)]->X -= 4;
        } else {
            MenuAnimPhase() = mpIdle;
        }
    }
    // The high-score screen may have been opened above: its own frame runs from the next one.
    StartFrame(lagCount, true);
    EndFrame();
}

void DestroyMainMenu() {
    ButtonCount = 6;
    FreeButtons();
    FreeSlot(slCaption);
    FreeSlot(slUpPanel);
    FreeSlot(slDownPanel);
    EnableTimer(false);
}

// ---------------------------------------------------------------- high scores

void OpenHighScores() {
    EnterSubScreen(smHighScores, 8, slClearTable, slWorldTable, slWorldTable);
    HighScoreTitle = NewTitle("HSB");
    Button(slClearTable, "ClearHS", "ClearHS", 0, 1, 265, 488);
    Button(slWorldTable, "ViewHS", "ViewHS", 0, 1, 148, 530);
}

void HighScoresFrame(int lagCount) {
    UpdateHover();
    NavigateVertical(true);
    FinishSubScreenFrame(lagCount, smHighScores, slHighScores,
                         {slNone, slHighScores, slClearTable, slWorldTable}, CloseHighScores, DrawTableRows);
}

void CloseHighScores() {
    FreeSprite(HighScoreTitle);
    FreeSlot(slClearTable);
    FreeSlot(slWorldTable);
    EnableTimer(false);
}

// ---------------------------------------------------------------- help

void ShowHelpPage() {
    static const char* const pages[] = {"", "Help1", "Help2", "Help3"};
    if (HelpPageSprite && HelpPage >= 1 && HelpPage <= 3) HelpPageSprite->SetPicture(pages[HelpPage]);
}

void OpenHelp() {
    EnterSubScreen(smHelp, 8, slPreviousPage, slNextPage, slNextPage);
    HelpPage = 1;
    HelpPageSprite = NewTitle("Help1");
    Button(slPreviousPage, "Previous", "Previous", 0, 1, 160, 510);
    Button(slNextPage, "Next", "Next", 0, 1, 446, 510);
}

void HelpFrame(int lagCount) {
    UpdateHover();
    NavigateHorizontal(false);
    // Pressing on past the end of the two buttons turns the page.
    if (NavOverrun) {
        MDXDrawClick();
        NavOverrun = false;
    }
    FinishSubScreenFrame(lagCount, smHelp, slHelp, {slNone, slHelp, slPreviousPage, slNextPage}, CloseHelp);
}

void CloseHelp() {
    FreeSprite(HelpPageSprite);
    FreeSlot(slPreviousPage);
    FreeSlot(slNextPage);
    EnableTimer(false);
}

// ---------------------------------------------------------------- boat choice

void OpenBoatChoice() {
    EnterSubScreen(smBoatChoice, 9, slBoat1, slBoat3, slBoat1);
    Buttons[slBoatTitle] = NewTitle("StartGameB");
    Button(slBoat1, "MenuBoat1_A", "MenuBoat1_I", 0, 0, 28, 192);
    Button(slBoat2, "MenuBoat2_A", "MenuBoat2_I", 0, 0, 195, 192);
    Button(slBoat3, "MenuBoat3_A", "MenuBoat3_I", 0, 0, 370, 192);
}

void BoatChoiceFrame(int lagCount) {
    NavigateHorizontal(true);
    UpdateHover();
    // Slot 10 is in the list as the game has it, though the boat choice has no tenth button.
    FinishSubScreenFrame(lagCount, smBoatChoice, slStart, {slNone, slStart, slBoat1, slBoat2, slBoat3, 10},
                         CloseBoatChoice);
}

void CloseBoatChoice() {
    FreeSlot(slBoatTitle);
    FreeSlot(slBoat1);
    FreeSlot(slBoat2);
    FreeSlot(slBoat3);
    EnableTimer(false);
}
