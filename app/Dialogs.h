// Dialog overlays shown over the race: the level intro, pause, time over and game over. The
// question and name-entry dialogs come with the rest of the shell.
#pragma once

// Opens dialog Kind, closing the one that is up first (with all its effects).
void OpenDialog(int kind);
// Closes the dialog that is up; closing game over ends the race.
void CloseDialog();
// One frame while a dialog is up: redraws the frozen scene, the dialog's text, and counts the
// timed dialogs down. The race frame draws its panels after it and presents the frame.
void DialogFrame(int lagCount);
// Puts OpenDialog, CloseDialog and DialogFrame into the Game hooks.
void InstallDialogs();
