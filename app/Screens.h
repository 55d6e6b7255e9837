// The menu screens: the main menu with its intro animation and the sub-screens shown beside it
// (options, high scores, help, boat choice), their builders, frames and close operations.
#pragma once
#include <cstdint>
#include <initializer_list>

class TCaptionSprite;

// What the main menu opens once its intro has run (kept in slot 17).
enum TMenuFollowUp : int32_t { fuNone = 0, fuHighScores = 3 };
// The main menu's intro (kept in slot 16): the panels slide in, then the buttons, then idle.
enum TMenuAnimPhase : int32_t { mpIdle = 0, mpPanels = 1, mpButtons = 3 };

// The main menu's caption (slot 13); its two panels are slots 14 and 15.
TCaptionSprite* ScreenCaption();

// The common start of every sub-screen beside the main menu: mode, slot ranges, highlight; the
// menu caption is hidden and the frame timer runs.
void EnterSubScreen(int mode, int count, int first, int last, int hover);
// The common end of a sub-screen's frame: keeps its own main-menu button lit, goes back to the
// main menu when the highlight moved to a slot outside Stay, then draws the frame (with Draw
// over the sprites, also on the frame that leaves the screen).
void FinishSubScreenFrame(int lagCount, int mode, int ownSlot, std::initializer_list<int> stay,
                          void (*close)(), void (*draw)() = nullptr);

// Builds the main menu; Rebuild creates it anew (music, panels and buttons slide in); without
// it the buttons still on screen are re-entered. fuHighScores opens the high scores afterwards.
void BuildMainMenu(bool rebuild, TMenuFollowUp followUp);
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
