// Menu screens: until the menus are built, every screen shows the background sprites only.
#include "app/Screens.h"

#include "records/Game.h"
#include "records/GameState.h"

void BuildMainMenu(bool, int) { ScreenMode = smMainMenu; }

static void PlainFrame(int lagCount) {
    StartFrame(lagCount, true);
    EndFrame();
}

void MainMenuFrame(int lagCount) { PlainFrame(lagCount); }
void OptionsFrame(int lagCount) { PlainFrame(lagCount); }
void HighScoreFrame(int lagCount) { PlainFrame(lagCount); }
void HelpFrame(int lagCount) { PlainFrame(lagCount); }
void BoatChoiceFrame(int lagCount) { PlainFrame(lagCount); }
