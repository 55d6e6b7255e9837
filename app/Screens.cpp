// The main menu and its sub-screens. Positions are those the menu pictures were drawn for.
#include "app/Screens.h"

#include <string>

#include "app/InputDispatch.h"
#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "engine/DXClass.h"
#include "engine/PictureCollection.h"
#include "race/CaptionSprite.h"
#include "race/Effects.h"
#include "records/Game.h"
#include "records/GameState.h"
#include "records/HighScores.h"
#include "records/Music.h"
#include "records/TextStyles.h"

namespace {

constexpr int slotCaption = 13, slotUpPanel = 14, slotDownPanel = 15, slotBoatTitle = 18;
TCaptionSprite* HighScoreTitle = nullptr;

TSprite& Root() { return Game.SpriteEngine->Engine(); }
void EnableTimer(bool on) {
    if (Game.Timer) Game.Timer->SetEnabled(on);
}
TCaptionSprite* Caption(int slot) { return dynamic_cast<TCaptionSprite*>(Buttons[size_t(slot)]); }

TCaptionSprite* NewCaption(const char* name, double x, double y) {
    auto* c = new TCaptionSprite(&Root(), name);
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
    UseTextStyle(1);
    for (int r = 1; r <= 10; ++r) {
        const int y = 120 + 32 * r;
        PrintText(std::to_string(r), 62, y, true);
        PrintText(HighScores[size_t(r)].Name, 214, y, true);
        PrintText(std::to_string(HighScores[size_t(r)].Score), 435, y, true);
    }
}

const char* const captionOfSlot[] = {"", "StartC", "OptionsC", "HSC", "HelpC", "VisitWWWC", "ExitC"};

}  // namespace

TCaptionSprite* ScreenCaption() { return Caption(slotCaption); }

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

// ---------------------------------------------------------------- main menu

void BuildMainMenu(bool rebuild, int followUp) {
    ScreenMode = smMainMenu;
    SkipHoverSound = followUp == 3;
    ButtonCount = 6;
    FirstIndex = 1;
    LastIndex = 6;
    MenuAfterAnim() = followUp;
    if (rebuild) {
        PlayScreenMusic();
        HoverIndex = followUp == 3 ? 3 : 1;
        MenuAnimPhase() = 1;
        if (Background) Background->Image = &Game.ImageList->Items().FindItem("MMBackground");
        Buttons[slotCaption] = NewCaption("NullCaption", 27, 190);
        TCaptionSprite* up = NewCaption("UpPanel", 0, 0);
        up->Y = -up->Image->FrameHeight();
        Buttons[slotUpPanel] = up;
        TCaptionSprite* down = NewCaption("DownPanel", 0, 600);
        down->X = 800 - down->Width;
        Buttons[slotDownPanel] = down;
        const double ys[] = {0, 114, 174, 237, 299, 361, 423};
        for (int slot = 1; slot <= 5; ++slot) Button(slot, "MMB_Active", "MMB_Inactive", slot - 1, slot - 1, 800, ys[slot]);
        Button(6, "MM_ExitActive", "MM_ExitInactive", 0, 0, 800, ys[6]);
    }
    if (ScreenCaption()) ScreenCaption()->Visible = true;
    EnableTimer(true);
}

void MainMenuFrame(int lagCount) {
    if (MenuAnimPhase() == 0) {
        NavigateVertical(true);
        UpdateHover();
        if (TCaptionSprite* c = ScreenCaption()) {
            if (HoverIndex >= 1 && HoverIndex <= 6) {
                c->Visible = true;
                c->SetPicture(captionOfSlot[HoverIndex]);
            } else {
                c->Visible = false;
            }
        }
        if (MenuAfterAnim() == 3) {
            OpenHighScores();
            MenuAfterAnim() = 0;
        }
    }
    if (MenuAnimPhase() == 1) {
        TSprite* up = Buttons[slotUpPanel];
        TSprite* down = Buttons[slotDownPanel];
        if (up->Y < 0) up->Y += 1.75;
        if (down->Y > 600 - down->Height) down->Y -= 7.0 / 6.0;
        if (up->Y >= 0 && down->Y <= 600 - down->Height) MenuAnimPhase() = 3;
    }
    if (MenuAnimPhase() == 3) {
        if (Buttons[1] && Buttons[1]->X > 558) {
            for (int i = 1; i <= ButtonCount; ++i)
                if (Buttons[size_t(i)]) Buttons[size_t(i)]->X -= 4;
        } else {
            MenuAnimPhase() = 0;
        }
    }
    // The high-score screen may have been opened above: its own frame runs from the next one.
    StartFrame(lagCount, true);
    EndFrame();
}

void DestroyMainMenu() {
    ButtonCount = 6;
    FreeButtons();
    FreeSlot(slotCaption);
    FreeSlot(slotUpPanel);
    FreeSlot(slotDownPanel);
    EnableTimer(false);
}

// ---------------------------------------------------------------- high scores

void OpenHighScores() {
    EnterSubScreen(smHighScores, 8, 7, 8, 8);
    HighScoreTitle = NewTitle("HSB");
    Button(7, "ClearHS", "ClearHS", 0, 1, 265, 488);
    Button(8, "ViewHS", "ViewHS", 0, 1, 148, 530);
}

void HighScoresFrame(int lagCount) {
    UpdateHover();
    NavigateVertical(true);
    LightOwnButton(3);
    if (!IsOneOf(HoverIndex, {0, 3, 7, 8})) {
        CloseHighScores();
        BuildMainMenu(false, 0);
    }
    // The rows are drawn also on the frame that leaves the screen.
    StartFrame(lagCount, true);
    DrawTableRows();
    EndFrame();
}

void CloseHighScores() {
    delete HighScoreTitle;
    HighScoreTitle = nullptr;
    FreeSlot(7);
    FreeSlot(8);
    EnableTimer(false);
}

// ---------------------------------------------------------------- help

void ShowHelpPage() {
    static const char* const pages[] = {"", "Help1", "Help2", "Help3"};
    if (HelpPageSprite && HelpPage >= 1 && HelpPage <= 3) HelpPageSprite->SetPicture(pages[HelpPage]);
}

void OpenHelp() {
    EnterSubScreen(smHelp, 8, 7, 8, 8);
    HelpPage = 1;
    HelpPageSprite = NewTitle("Help1");
    Button(7, "Previous", "Previous", 0, 1, 160, 510);
    Button(8, "Next", "Next", 0, 1, 446, 510);
}

void HelpFrame(int lagCount) {
    UpdateHover();
    NavigateHorizontal(false);
    // Pressing on past the end of the two buttons turns the page.
    if (NavOverrun) {
        MDXDrawClick();
        NavOverrun = false;
    }
    LightOwnButton(4);
    if (ScreenMode == smHelp && !IsOneOf(HoverIndex, {0, 4, 7, 8})) {
        CloseHelp();
        BuildMainMenu(false, 0);
    }
    StartFrame(lagCount, true);
    EndFrame();
}

void CloseHelp() {
    delete HelpPageSprite;
    HelpPageSprite = nullptr;
    FreeSlot(7);
    FreeSlot(8);
    EnableTimer(false);
}

// ---------------------------------------------------------------- boat choice

void OpenBoatChoice() {
    EnterSubScreen(smBoatChoice, 9, 7, 9, 7);
    Buttons[slotBoatTitle] = NewTitle("StartGameB");
    Button(7, "MenuBoat1_A", "MenuBoat1_I", 0, 0, 28, 192);
    Button(8, "MenuBoat2_A", "MenuBoat2_I", 0, 0, 195, 192);
    Button(9, "MenuBoat3_A", "MenuBoat3_I", 0, 0, 370, 192);
}

void BoatChoiceFrame(int lagCount) {
    NavigateHorizontal(true);
    UpdateHover();
    LightOwnButton(1);
    if (!IsOneOf(HoverIndex, {0, 1, 7, 8, 9, 10})) {
        CloseBoatChoice();
        BuildMainMenu(false, 0);
    }
    StartFrame(lagCount, true);
    EndFrame();
}

void CloseBoatChoice() {
    FreeSlot(slotBoatTitle);
    FreeSlot(7);
    FreeSlot(8);
    FreeSlot(9);
    EnableTimer(false);
}
