// The screens' frame functions and the main-menu builder the frame loop and start-up call.
#pragma once

// Builds the main menu; Full also restarts the menu music and rebuilds the background.
// FollowUp (0 none, 3 high scores) opens a sub-screen when the intro ends.
void BuildMainMenu(bool full, int followUp);
// One frame of each menu screen.
void MainMenuFrame(int lagCount);
void OptionsFrame(int lagCount);
void HighScoreFrame(int lagCount);
void HelpFrame(int lagCount);
void BoatChoiceFrame(int lagCount);
