#include "race/RaceDialogs.h"

#include <string>

#include "race/Boat.h"
#include "race/Effects.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "race/RiverObject.h"
#include "records/HighScores.h"
#include "stage/Dialogs.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "stage/TextStyles.h"

namespace {

constexpr int DialogTextX = 400; // every dialog text is centred on the screen

void Text(const std::string& text, int y) {
    UseTextStyle(tsDialogTitle);
    PrintText(text, DialogTextX, y, true);
}

// Counts a timed dialog down by one frame; true when its time is up.
bool TimeUp() {
    if (DialogTimer <= 0) return true;
    DialogTimer -= FrameMs;
    return false;
}

// While time-over and game-over are up, explosions play out over the frozen river.
void AdvanceExplosions(int lagCount) {
    if (CrashBlast) CrashBlast->Advance(lagCount);
    for (int i = 1; i <= MaxRiverObjects; ++i)
        if (RiverObjectUsed[i] && RiverObjects[i] && RiverObjects[i]->Exploded)
            RiverObjects[i]->TImageSprite::Advance(lagCount);
    RemoveSpentObjects();
}

// The gun stops sounding under every dialog.
void SceneOpening() {
    StopSound("Shot");
}

void SceneClosing() {
    if (ScreenMode != smRace) return;
    PlaySound("Engine");
    // Fire still held: the gun sound comes back with the race.
    const bool backToRace = DialogKind == dkPause || (DialogKind == dkFinishRace && HoverIndex == slRaceNo);
    if (PlayerBoat && PlayerBoat->Firing && backToRace) PlaySound("Shot");
}

void SceneFrozen() {
    if (ScreenMode != smRace) return;
    DrawNeedle();
    if (PlayerBoat && !PlayerBoat->HasGun) StopSound("Shot");
}

void OpenLevelIntro() {
    DialogTimer = 2000;
}

void LevelIntroFrame(int) {
    Text("Level " + std::to_string(Level), 268);
    if (TimeUp()) CloseDialog();
}

void OpenPause() {
    StopSound("Engine");
}

void PauseFrame(int) {
    Text("Pause", 268);
    if (PauseKeyHit || EscKeyHit) CloseDialog();
}

void OpenTimeOver() {
    PlaySound("TimeOver");
    DialogTimer = 3000;
}

void TimeOverFrame(int lagCount) {
    Text("Your time is over.", 249);
    Text("Try again, please!", 307);
    if (TimeUp()) {
        CloseDialog();
        StartLevel(Level);
    }
    AdvanceExplosions(lagCount);
}

void OpenGameOver() {
    StopSound("Engine");
    PlaySound("GameOver");
    DialogTimer = 2000;
}

// A result for the table asks for the name; any other ends the race.
void CloseGameOver() {
    if (ScoreQualifies(Score))
        OpenDialog(dkEnterName);
    else
        LeaveRace();
}

void GameOverFrame(int lagCount) {
    Text("Game over", 273);
    if (TimeUp()) {
        CloseDialog();
        return;
    }
    AdvanceExplosions(lagCount);
}

} // namespace

void RegisterRaceDialogs() {
    RegisterDialogScene({SceneOpening, SceneClosing, SceneFrozen});
    RegisterDialog(dkLevelIntro, {OpenLevelIntro, nullptr, LevelIntroFrame});
    RegisterDialog(dkPause, {OpenPause, nullptr, PauseFrame});
    RegisterDialog(dkTimeOver, {OpenTimeOver, nullptr, TimeOverFrame});
    RegisterDialog(dkGameOver, {OpenGameOver, CloseGameOver, GameOverFrame});
}
