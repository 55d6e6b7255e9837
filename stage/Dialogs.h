// The dialog dispatcher: one overlay at a time over the current screen, opened, closed and run
// each frame through a table of handlers, one per dialog kind. The race registers its dialogs
// (level intro, pause, time over, game over), the shell the questions and the name entry.
#pragma once
#include "stage/DialogKind.h"

// What one dialog kind does. Any step may be left empty.
struct TDialogHandler {
    // After DialogKind is set: backdrop, buttons, sounds, show time.
    void (*Open)() = nullptr;
    // After DialogKind is cleared: buttons, backdrop and cursor go. May open the next dialog.
    void (*Close)() = nullptr;
    // Each frame, after the frozen scene was drawn: the dialog's text, keys and countdown.
    void (*Frame)(int lagCount) = nullptr;
};

// What the screen beneath does around every dialog (the race keeps its sounds and needle).
struct TDialogScene {
    // Before any dialog opens (also before the one that is up is closed).
    void (*Opening)() = nullptr;
    // At the start of every CloseDialog, while DialogKind still names the dialog (even dkNone).
    void (*Closing)() = nullptr;
    // Each dialog frame, after the sprites were drawn and before the dialog's own frame.
    void (*Frozen)() = nullptr;
};

// Puts the handler of one kind into the table, replacing what was there.
void RegisterDialog(TDialogKind kind, const TDialogHandler& handler);
// Sets the scene hooks (one screen has them: the race).
void RegisterDialogScene(const TDialogScene& scene);
// Empties the table and the scene hooks.
void ClearDialogs();

// Opens dialog Kind, closing the one that is up first (with all its effects).
void OpenDialog(TDialogKind kind);
// Closes the dialog that is up.
void CloseDialog();
// One frame while a dialog is up: redraws the frozen scene (sprites not advanced), then the
// scene's and the dialog's own frame. The caller presents the frame.
void DialogFrame(int lagCount);
