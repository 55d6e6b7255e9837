// The menu screens: the main menu with its intro animation and the sub-screens shown beside it
// (options, high scores, help, boat choice), their builders, frames and close operations.
#pragma once

class TCaptionSprite;

// The main menu's caption (slot 13) and its two panels (slots 14, 15).
TCaptionSprite* ScreenCaption();

// The common start of every sub-screen beside the main menu: mode, slot ranges, highlight; the
// menu caption is hidden and the frame timer runs.
void EnterSubScreen(int mode, int count, int first, int last, int hover);

// Builds the main menu; Rebuild creates it anew (music, panels and buttons slide in); without
// it the buttons still on screen are re-entered. FollowUp 3 opens the high scores afterwards.
void BuildMainMenu(bool rebuild, int followUp);
void MainMenuFrame(int lagCount);
// Destroys the main menu's buttons, caption and panels (a race starts).
void DestroyMainMenu();

void OpenHighScores();
void HighScoresFrame(int lagCount);
void CloseHighScores();

void OpenHelp();
void HelpFrame(int lagCount);
void CloseHelp();
// Shows help page HelpPage.
void ShowHelpPage();

void OpenBoatChoice();
void BoatChoiceFrame(int lagCount);
void CloseBoatChoice();

void OpenOptions();
void OptionsFrame(int lagCount);
void CloseOptions();
// Shows each option's state and draws the free text.
void RefreshOptionCaptions();
void ToggleFullScreen();
void ToggleMusic();
void ToggleSound();
void StartTextEditing();
void StopTextEditing();
