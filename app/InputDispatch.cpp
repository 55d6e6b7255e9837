// Clicks, keys and hover, dispatched by screen and dialog.
#include "app/InputDispatch.h"

#include "app/Dialogs.h"
#include "app/Navigation.h"
#include "app/Screens.h"
#include "platform/KeyCodes.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "records/Game.h"
#include "records/GameSound.h"
#include "records/GameState.h"
#include "records/HighScores.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"
#include "records/SaveFiles.h"
#include "records/TextStyles.h"

namespace {

void Terminate() {
    if (Game.Terminate) Game.Terminate();
}

// Dialog 6 answered Yes: show "Sending..." over the frozen race, send, then end the race.
void SendResult() {
    CloseDialog();
    OpenDialog(7);
    StartFrame(1, false);
    DrawNeedle();
    DrawRaceHud();
    DrawPowerUpHud();
    UseTextStyle(7);
    PrintText("Sending...", 400, 277, true);
    EndFrame();
    SubmitResult(PlayerName, Score);
    CloseDialog();
    EndRace();
    BuildMainMenu(true, 3);
}

void RaceClick() {
    switch (DialogKind) {
        case 5:
            InsertHighScore(PlayerName, Score);
            CloseDialog();
            OpenDialog(6);
            break;
        case 4: {
            const int answer = HoverIndex;
            CloseDialog();
            if (answer != 1) break;
            if (ScoreQualifies(Score)) {
                OpenDialog(5);
            } else {
                EndRace();
                BuildMainMenu(true, 3);
            }
            break;
        }
        case 6:
            if (HoverIndex == 1) {
                SendResult();
            } else if (HoverIndex == 2) {
                CloseDialog();
                EndRace();
                BuildMainMenu(true, 3);
            }
            break;
        default:
            break;
    }
}

void MainMenuClick(bool fromKey) {
    // Clicks during the intro animation are ignored.
    if (MenuAnimPhase() != 0) return;
    if (HoverIndex >= 1 && HoverIndex <= 6 && !fromKey) PlaySound("B_Act");
    switch (HoverIndex) {
        case 1: OpenBoatChoice(); break;
        case 2: OpenOptions(); break;
        case 3: OpenHighScores(); break;
        case 4: OpenHelp(); break;
        case 5: OpenInBrowser(PublisherSiteUrl()); break;
        case 6: OpenDialog(9); break;
        default: break;
    }
}

void OptionsClick() {
    switch (HoverIndex) {
        case 7: ToggleFullScreen(); break;
        case 8: ToggleMusic(); break;
        case 9: ToggleSound(); break;
        case 10:
            if (OptionsTextEditing) StopTextEditing();
            else StartTextEditing();
            break;
        default: break;
    }
    if (HoverIndex != 10) StopTextEditing();
    if (HoverIndex == 2) {
        CloseOptions();
        BuildMainMenu(false, 0);
    }
}

void HighScoresClick() {
    if (HoverIndex == 7) {
        OpenDialog(10);
    } else if (HoverIndex == 8) {
        OpenInBrowser(WorldHighScoreUrl());
    } else if (HoverIndex != 0) {
        CloseHighScores();
        BuildMainMenu(false, 0);
    }
}

void HelpClick() {
    if (HoverIndex == 7) {
        HelpPage = HelpPage == 1 ? 3 : HelpPage - 1;
        ShowHelpPage();
    } else if (HoverIndex == 8) {
        HelpPage = HelpPage == 3 ? 1 : HelpPage + 1;
        ShowHelpPage();
    } else if (HoverIndex != 0) {
        CloseHelp();
        BuildMainMenu(false, 0);
    }
}

void BoatChoiceClick() {
    if (HoverIndex >= 1 && HoverIndex <= 6) {
        CloseBoatChoice();
        BuildMainMenu(false, 0);
    } else if (HoverIndex >= 7 && HoverIndex <= 9) {
        const int boat = HoverIndex - 6;
        CloseBoatChoice();
        BuildMainMenu(false, 0);
        DestroyMainMenu();
        ChosenBoat = boat;
        StartRace();
    }
}

}  // namespace

void ButtonClick(bool fromKey) {
    if (HoverIndex == 11 || HoverIndex == 12) PlaySound("B_Act");
    if (DialogKind == 9) {
        if (HoverIndex == 11) {
            // The options file carries the table's check string, so the two are saved together.
            SaveOptionsAndHighScores();
            Terminate();
        } else if (HoverIndex == 12) {
            CloseDialog();
        }
        return;
    }
    if (DialogKind == 10) {
        if (HoverIndex == 11) {
            ResetHighScores();
            CloseDialog();
        } else if (HoverIndex == 12) {
            CloseDialog();
        }
        return;
    }
    switch (ScreenMode) {
        case smRace: RaceClick(); break;
        case smMainMenu: MainMenuClick(fromKey); break;
        case smOptions: OptionsClick(); break;
        case smHighScores: HighScoresClick(); break;
        case smHelp: HelpClick(); break;
        case smBoatChoice: BoatChoiceClick(); break;
        default: break;
    }
}

void MDXDrawClick() { ButtonClick(false); }

void MDXDrawMouseMove(int x, int y) {
    MouseX = x;
    MouseY = y;
    if (DialogKind != 0) HitTestDialogButtons();
    else HitTestButtons();
}

void FormKeyPress(uint8_t key) {
    const bool nameEntry = ScreenMode == smRace && DialogKind == 5;
    if (!nameEntry && !OptionsTextEditing && key != 13 && key != 27 && key != 8) return;
    if (ScreenMode == smRace) {
        if (key == 13) MDXDrawClick();
        if (DialogKind == 5) {
            if (key == 8) {
                if (!PlayerName.empty()) PlayerName.pop_back();
            } else if (key >= 32 && PlayerName.size() < 10) {
                PlayerName.push_back(char(key));
            }
        }
        return;
    }
    if (ScreenMode == smOptions) {
        if (key == 13) MDXDrawClick();
        if (key == 27) {
            HoverIndex = 2;
            MDXDrawClick();
            return;
        }
        if (HoverIndex == 10 && OptionsTextEditing) EditAddInfo(char(key));
        return;
    }
    if (ScreenMode == smMainMenu || ScreenMode == smHighScores || ScreenMode == smHelp ||
        ScreenMode == smBoatChoice) {
        if (key == 27) {
            if (ScreenMode == smMainMenu) return;
            HoverIndex = ScreenMode == smHighScores ? 3 : ScreenMode == smHelp ? 4 : 1;
        }
        ButtonClick(true);
    }
}

void FormKeyDown(int key, bool alt) {
    if (key == vk::Control) CtrlDown = true;
    if (key == vk::Return && alt) {
        Options.FullScreen = Options.FullScreen == 1 ? 0 : 1;
        if (Game.ApplyDisplayMode) Game.ApplyDisplayMode();
    }
}

void FormKeyUp(int key) {
    if (key == vk::Control) CtrlDown = false;
}

bool FormCloseQuery() {
    OpenDialog(9);
    if (ScreenMode == smRace) OpenDialog(4);
    return false;
}
