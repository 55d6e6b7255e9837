// The options screen: window or full screen, music, sound, and the free text sent with results.
#include <string>

#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "app/Screens.h"
#include "engine/PictureCollection.h"
#include "engine/DXClass.h"
#include "race/CaptionSprite.h"
#include "records/Game.h"
#include "records/GameState.h"
#include "records/Music.h"
#include "records/Options.h"
#include "records/TextStyles.h"

namespace {

TCaptionSprite* rows[4] = {};
TCaptionSprite* title = nullptr;

TSprite& Root() { return Game.SpriteEngine->Engine(); }

void ShowIfDifferent(TCaptionSprite* c, const char* picture) {
    if (c && c->Image && c->Image->Name() != picture) c->SetPicture(picture);
}

}  // namespace

void OpenOptions() {
    EnterSubScreen(smOptions, 10, 7, 10, 7);
    const char* names[] = {"Options1_1", "Options2_1", "Options3_1", "Options4"};
    for (int i = 0; i < 4; ++i) {
        rows[i] = new TCaptionSprite(&Root(), names[i]);
        rows[i]->X = 14;
        rows[i]->Y = 180 + 60 * i;
    }
    RefreshOptionCaptions();
    for (int i = 0; i < 4; ++i)
        Buttons[size_t(7 + i)] = new TMenuButton(&Root(), "OptButton_A", 180 + 60 * i, 14, 0, 0, "OptButton_I");
    title = new TCaptionSprite(&Root(), "OptionsB");
    title->X = 12;
    title->Y = 106;
    title->SetZ(2);
    NameCursor = new TCaptionSprite(&Root(), "Cursor");
    NameCursor->X = 264;
    NameCursor->Y = 381;
    NameCursor->SetZ(5);
    NameCursor->Visible = false;
    CursorBlinkTimer = 0;
    OptionsTextEditing = false;
}

void RefreshOptionCaptions() {
    ShowIfDifferent(rows[0], Options.FullScreen == 0 ? "Options1_1" : "Options1_2");
    ShowIfDifferent(rows[1], Options.MusicOn == 1 ? "Options2_1" : "Options2_2");
    ShowIfDifferent(rows[2], Options.SoundOn == 1 ? "Options3_1" : "Options3_2");
    UseTextStyle(3);
    PrintText(Options.AddInfo, 265, 357, false);
}

void OptionsFrame(int lagCount) {
    UpdateHover();
    NavigateVertical(true);
    if (TMenuButton* b = ButtonAt(2)) b->SetActiveLook();
    if (HoverIndex != 10 && OptionsTextEditing) StopTextEditing();
    // Leaving: the rest of the frame still runs (its captions are gone, the text is drawn once more).
    if (HoverIndex != 0 && HoverIndex != 2 && (HoverIndex < 7 || HoverIndex > 10)) {
        CloseOptions();
        BuildMainMenu(false, 0);
    }
    StartFrame(lagCount, true);
    if (OptionsTextEditing && NameCursor) {
        UseTextStyle(3);
        NameCursor->X = 264 + MeasureText(Options.AddInfo);
        const int interval = Game.Timer ? Game.Timer->Interval() : 15;
        // The frame that hides the cursor takes the interval off twice: kept as the game has
        // always blinked.
        if (NameCursor->Visible) {
            CursorBlinkTimer -= interval;
            if (CursorBlinkTimer <= 0) {
                NameCursor->Visible = false;
                CursorBlinkTimer = 500;
            }
        }
        if (!NameCursor->Visible) {
            CursorBlinkTimer -= interval;
            if (CursorBlinkTimer <= 0) {
                NameCursor->Visible = true;
                CursorBlinkTimer = 500;
            }
        }
    }
    RefreshOptionCaptions();
    EndFrame();
}

void CloseOptions() {
    for (auto*& r : rows) {
        delete r;
        r = nullptr;
    }
    for (int slot = 7; slot <= 10; ++slot) FreeSlot(slot);
    delete title;
    title = nullptr;
    delete NameCursor;
    NameCursor = nullptr;
    OptionsTextEditing = false;
    if (Game.Timer) Game.Timer->SetEnabled(false);
}

void ToggleFullScreen() {
    Options.FullScreen = Options.FullScreen == 1 ? 0 : 1;
    if (Game.ApplyDisplayMode) Game.ApplyDisplayMode();
}

void ToggleMusic() {
    const bool wasOn = Options.MusicOn == 1;
    Options.MusicOn = wasOn ? 0 : 1;
    if (wasOn) StopMusic();
    if (Options.MusicOn == 1) PlayScreenMusic();
}

void ToggleSound() { Options.SoundOn = Options.SoundOn == 1 ? 0 : 1; }

void StartTextEditing() {
    if (NameCursor) {
        NameCursor->X = 264;
        NameCursor->Y = 381;
    }
    CursorBlinkTimer = 500;
    OptionsTextEditing = true;
}

void StopTextEditing() {
    OptionsTextEditing = false;
    if (NameCursor) NameCursor->Visible = false;
}
