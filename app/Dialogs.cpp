#include "app/Dialogs.h"
#include "app/QuestionDialogs.h"

#include <string>

#include "race/Boat.h"
#include "race/Effects.h"
#include "race/RaceFlow.h"
#include "race/RaceMedia.h"
#include "race/RaceState.h"
#include "race/RiverObject.h"
#include "records/Game.h"
#include "records/GameState.h"
#include "records/HighScores.h"
#include "records/TextStyles.h"

namespace {

constexpr int DialogTextX = 400;  // every dialog text is centred on the screen

void Text(int style, const std::string& text, int y) {
    UseTextStyle(style);
    PrintText(text, DialogTextX, y, true);
}

// While time-over and game-over are up, explosions play out over the frozen river.
void AdvanceExplosions(int lagCount) {
    if (CrashBlast) CrashBlast->Advance(lagCount);
    for (int i = 1; i <= MaxRiverObjects; ++i)
        if (RiverObjectUsed[i] && RiverObjects[i] && RiverObjects[i]->Exploded)
            RiverObjects[i]->TImageSprite::Advance(lagCount);
    RemoveSpentObjects();
}

}  // namespace

void OpenDialog(int kind) {
    RaceStopSound("Shot");
    if (DialogKind != 0) CloseDialog();
    DialogKind = static_cast<uint8_t>(kind);
    OpenQuestionDialog(kind);
    switch (kind) {
        case 1:
            DialogTimer = 2000;
            break;
        case 2:
            RaceStopSound("Engine");
            break;
        case 3:
            RacePlaySound("TimeOver");
            DialogTimer = 3000;
            break;
        case 8:
            RaceStopSound("Engine");
            RacePlaySound("GameOver");
            DialogTimer = 2000;
            break;
        default:
            break;
    }
}

void CloseDialog() {
    if (ScreenMode == smRace) {
        RacePlaySound("Engine");
        // Fire still held: the gun sound comes back with the race.
        if (PlayerBoat && PlayerBoat->Firing && (DialogKind == 2 || (DialogKind == 4 && HoverIndex == 2)))
            RacePlaySound("Shot");
    }
    if (DialogKind == 0) return;
    if (DialogKind == 8) {
        DialogKind = 0;
        if (ScoreQualifies(Score)) {
            OpenDialog(5);
        } else {
            EndRace();
            if (Game.BuildMainMenu) Game.BuildMainMenu(true, 3);
        }
        return;
    }
    CloseQuestionDialog(DialogKind);
    DialogKind = 0;
}

void DialogFrame(int lagCount) {
    StartFrame(lagCount, false);
    if (ScreenMode == smRace) {
        DrawNeedle();
        if (PlayerBoat && !PlayerBoat->HasGun) RaceStopSound("Shot");
    }
    switch (DialogKind) {
        case 1:
            Text(13, "Level " + std::to_string(Level), 268);
            if (DialogTimer <= 0)
                CloseDialog();
            else
                DialogTimer -= FrameMs;
            break;
        case 2:
            Text(13, "Pause", 268);
            if (PauseKeyHit || EscKeyHit) CloseDialog();
            break;
        case 3:
            Text(13, "Your time is over.", 249);
            Text(13, "Try again, please!", 307);
            if (DialogTimer <= 0) {
                CloseDialog();
                StartLevel(Level);
            } else {
                DialogTimer -= FrameMs;
            }
            AdvanceExplosions(lagCount);
            break;
        case 8:
            Text(13, "Game over", 273);
            if (DialogTimer <= 0) {
                CloseDialog();
                return;
            }
            DialogTimer -= FrameMs;
            AdvanceExplosions(lagCount);
            break;
        default:
            QuestionDialogFrame(DialogKind, lagCount);
            break;
    }
}

void InstallDialogs() {
    Game.OpenDialog = OpenDialog;
    Game.CloseDialog = CloseDialog;
    Game.DialogFrame = DialogFrame;
}
