// Clicks, keys and hover, dispatched by screen and dialog.
#include "app/InputDispatch.h"

#include "app/Form.h"
#include "app/Navigation.h"
#include "app/Screens.h"
#include "platform/KeyCodes.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "records/HighScores.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"
#include "records/SaveFiles.h"
#include "stage/Dialogs.h"
#include "stage/Frame.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "stage/TextStyles.h"

namespace {

void Terminate() {
    if (MForm) MForm->Terminate();
}

// The send-result question answered Yes: show "Sending..." over the frozen race, send, then end
// the race.
void SendResult() {
    CloseDialog();
    OpenDialog(dkSending);
    StartFrame(1, false);
    DrawNeedle();
    DrawRaceHud();
    DrawPowerUpHud();
    UseTextStyle(tsQuestion);
    PrintText("Sending...", 400, 277, true);
    EndFrame();
    SubmitResult(PlayerName, Score);
    CloseDialog();
    LeaveRace();
}

void RaceClick() {
    switch (DialogKind) {
    case dkEnterName:
        InsertHighScore(PlayerName, Score);
        CloseDialog();
        OpenDialog(dkSendResult);
        break;
    case dkFinishRace: {
        const int answer = HoverIndex;
        CloseDialog();
        if (answer != slRaceYes) break;
        if (ScoreQualifies(Score))
            OpenDialog(dkEnterName);
        else
            LeaveRace();
        break;
    }
    case dkSendResult:
        if (HoverIndex == slRaceYes) {
            SendResult();
        } else if (HoverIndex == slRaceNo) {
            CloseDialog();
            LeaveRace();
        }
        break;
    default:
        break;
    }
}

void MainMenuClick(bool fromKey) {
    // Clicks during the intro animation are ignored.
    if (MenuAnimPhase() != mpIdle) return;
    if (HoverIndex >= slStart && HoverIndex <= slExit && !fromKey) PlaySound("B_Act");
    switch (HoverIndex) {
    case slStart:
        OpenBoatChoice();
        break;
    case slOptions:
        OpenOptions();
        break;
    case slHighScores:
        OpenHighScores();
        break;
    case slHelp:
        OpenHelp();
        break;
    case slVisitWeb:
        OpenInBrowser(PublisherSiteUrl());
        break;
    case slExit:
        OpenDialog(dkExitGame);
        break;
    default:
        break;
    }
}

void OptionsClick() {
    switch (HoverIndex) {
    case slFullScreen:
        ToggleFullScreen();
        break;
    case slMusic:
        ToggleMusic();
        break;
    case slSound:
        ToggleSound();
        break;
    case slAddInfo:
        if (OptionsTextEditing)
            StopTextEditing();
        else
            StartTextEditing();
        break;
    default:
        break;
    }
    if (HoverIndex != slAddInfo) StopTextEditing();
    if (HoverIndex == slOptions) {
        CloseOptions();
        BuildMainMenu(false, fuNone);
    }
}

void HighScoresClick() {
    if (HoverIndex == slClearTable) {
        OpenDialog(dkClearTable);
    } else if (HoverIndex == slWorldTable) {
        OpenInBrowser(WorldHighScoreUrl());
    } else if (HoverIndex != slNone) {
        CloseHighScores();
        BuildMainMenu(false, fuNone);
    }
}

void HelpClick() {
    if (HoverIndex == slPreviousPage) {
        HelpPage = HelpPage == 1 ? 3 : HelpPage - 1;
        ShowHelpPage();
    } else if (HoverIndex == slNextPage) {
        HelpPage = HelpPage == 3 ? 1 : HelpPage + 1;
        ShowHelpPage();
    } else if (HoverIndex != slNone) {
        CloseHelp();
        BuildMainMenu(false, fuNone);
    }
}

void BoatChoiceClick() {
    if (HoverIndex >= slStart && HoverIndex <= slExit) {
        CloseBoatChoice();
        BuildMainMenu(false, fuNone);
    } else if (HoverIndex >= slBoat1 && HoverIndex <= slBoat3) {
        const int boat = HoverIndex - slBoat1 + 1;
        CloseBoatChoice();
        BuildMainMenu(false, fuNone);
        DestroyMainMenu();
        ChosenBoat = boat;
        StartRace();
    }
}

} // namespace

void ButtonClick(bool fromKey) {
    if (HoverIndex == slDialogYes || HoverIndex == slDialogNo) PlaySound("B_Act");
    if (DialogKind == dkExitGame) {
        if (HoverIndex == slDialogYes) {
            // The options file carries the table's check string, so the two are saved together.
            SaveOptionsAndHighScores();
            Terminate();
        } else if (HoverIndex == slDialogNo) {
            CloseDialog();
        }
        return;
    }
    if (DialogKind == dkClearTable) {
        if (HoverIndex == slDialogYes) {
            ResetHighScores();
            CloseDialog();
        } else if (HoverIndex == slDialogNo) {
            CloseDialog();
        }
        return;
    }
    switch (ScreenMode) {
    case smRace:
        RaceClick();
        break;
    case smMainMenu:
        MainMenuClick(fromKey);
        break;
    case smOptions:
        OptionsClick();
        break;
    case smHighScores:
        HighScoresClick();
        break;
    case smHelp:
        HelpClick();
        break;
    case smBoatChoice:
        BoatChoiceClick();
        break;
    default:
        break;
    }
}

void MDXDrawClick() {
    ButtonClick(false);
}

void MDXDrawMouseMove(int x, int y) {
    MouseX = x;
    MouseY = y;
    if (DialogKind != dkNone)
        HitTestDialogButtons();
    else
        HitTestButtons();
}

void FormKeyPress(uint8_t key) {
    const bool nameEntry = ScreenMode == smRace && DialogKind == dkEnterName;
    if (!nameEntry && !OptionsTextEditing && key != 13 && key != 27 && key != 8) return;
    if (ScreenMode == smRace) {
        if (key == 13) MDXDrawClick();
        if (DialogKind == dkEnterName) {
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
            HoverIndex = slOptions;
            MDXDrawClick();
            return;
        }
        if (HoverIndex == slAddInfo && OptionsTextEditing) EditAddInfo(char(key));
        return;
    }
    if (ScreenMode == smMainMenu || ScreenMode == smHighScores || ScreenMode == smHelp ||
        ScreenMode == smBoatChoice) {
        if (key == 27) {
            if (ScreenMode == smMainMenu) return;
            HoverIndex = ScreenMode == smHighScores ? slHighScores : ScreenMode == smHelp ? slHelp : slStart;
        }
        ButtonClick(true);
    }
}

void FormKeyDown(int key, bool alt) {
    if (key == vk::Control) CtrlDown = true;
    if (key == vk::Return && alt) {
        Options.FullScreen = Options.FullScreen == 1 ? 0 : 1;
        if (MForm) MForm->ApplyDisplayMode();
    }
}

void FormKeyUp(int key) {
    if (key == vk::Control) CtrlDown = false;
}

bool FormCloseQuery() {
    OpenDialog(dkExitGame);
    if (ScreenMode == smRace) OpenDialog(dkFinishRace);
    return false;
}
