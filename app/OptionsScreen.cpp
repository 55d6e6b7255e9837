// The options screen: window or full screen, music, sound, and the free text sent with results.
#include <string>

#include "app/Form.h"
#include "app/MenuButton.h"
#include "app/Navigation.h"
#include "app/Screens.h"
#include "engine/DXClass.h"
#include "engine/PictureCollection.h"
#include "records/Music.h"
#include "records/Options.h"
#include "stage/CaptionSprite.h"
#include "stage/Frame.h"
#include "stage/Game.h"
#include "stage/GameState.h"
#include "stage/TextStyles.h"

namespace {

TCaptionSprite* rows[4] = {};
TCaptionSprite* title = nullptr;

TSprite& Root() {
    return SpriteRoot();
}

TCaptionSprite* NewCaption(const char* picture) {
    return new TCaptionSprite(&Root(), MenuPictures(), picture);
}

void ShowIfDifferent(TCaptionSprite* c, const char* picture) {
    if (c && c->Image && c->Image->Name() != picture) c->SetPicture(picture);
}

} // namespace

void OpenOptions() {
    EnterSubScreen(smOptions, 10, slFullScreen, slAddInfo, slFullScreen);
    const char* names[] = {"Options1_1", "Options2_1", "Options3_1", "Options4"};
    for (int i = 0; i < 4; ++i) {
        rows[i] = NewCaption(names[i]);
        rows[i]->X = 14;
        rows[i]->Y = 180 + 60 * i;
    }
    RefreshOptionCaptions();
    for (int i = 0; i < 4; ++i)
        Buttons[size_t(slFullScreen + i)] =
            new TMenuButton(&Root(), "OptButton_A", 180 + 60 * i, 14, 0, 0, "OptButton_I");
    title = NewCaption("OptionsB");
    title->X = 12;
    title->Y = 106;
    title->SetZ(2);
    NameCursor = NewCaption("Cursor");
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
    UseTextStyle(tsOptionText);
    PrintText(Options.AddInfo, 265, 357, false);
}

void OptionsFrame(int lagCount) {
    UpdateHover();
    NavigateVertical(true);
    if (TMenuButton* b = ButtonAt(slOptions)) b->SetActiveLook();
    if (HoverIndex != slAddInfo && OptionsTextEditing) StopTextEditing();
    // Leaving: the rest of the frame still runs (its captions are gone, the text is drawn once more).
    if (HoverIndex != slNone && HoverIndex != slOptions &&
        (HoverIndex < slFullScreen || HoverIndex > slAddInfo)) {
        CloseOptions();
        BuildMainMenu(false, fuNone);
    }
    StartFrame(lagCount, true);
    if (OptionsTextEditing && NameCursor) {
        UseTextStyle(tsOptionText);
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
    for (auto*& r : rows)
        FreeSprite(r);
    for (int slot = slFullScreen; slot <= slAddInfo; ++slot)
        FreeSlot(slot);
    FreeSprite(title);
    FreeSprite(NameCursor);
    OptionsTextEditing = false;
    if (Game.Timer) Game.Timer->SetEnabled(false);
}

void ToggleFullScreen() {
    Options.FullScreen = Options.FullScreen == 1 ? 0 : 1;
    if (MForm) MForm->ApplyDisplayMode();
}

void ToggleMusic() {
    const bool wasOn = Options.MusicOn == 1;
    Options.MusicOn = wasOn ? 0 : 1;
    if (wasOn) StopMusic();
    if (Options.MusicOn == 1) PlayScreenMusic();
}

void ToggleSound() {
    Options.SoundOn = Options.SoundOn == 1 ? 0 : 1;
}

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
