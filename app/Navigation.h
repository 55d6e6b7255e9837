// The button slots every screen fills, the mouse hover tests, the highlight and the keyboard
// navigation that moves it.
#pragma once
#include <cstdint>

class TMenuButton;

// The slot's sprite as a menu button (null when the slot holds something else or nothing).
TMenuButton* ButtonAt(int slot);
// Slot 16: the main menu's intro phase (1 panels, 3 buttons, 0 idle); slot 17: 3 = open the
// high-score screen when the intro ends.
int32_t& MenuAnimPhase();
int32_t& MenuAfterAnim();

// Mouse hover over slots 1..ButtonCount (the highlight stays when nothing is hit) and over the
// dialog's FirstIndex..LastIndex (the highlight goes when nothing is hit).
void HitTestButtons();
void HitTestDialogButtons();
// Gives the highlighted button its active look (one "B_Act" when it becomes highlighted).
void UpdateHover();
void UpdateDialogHover();
// One step per key press: Up/Down or Right/Left within FirstIndex..LastIndex.
void NavigateVertical(bool wrap);
void NavigateHorizontal(bool wrap);
void StepForward(bool wrap);
void StepBackward(bool wrap);
// Destroys the sprites of slots 1..ButtonCount / FirstIndex..LastIndex; ButtonCount := 0.
void FreeButtons();
void FreeDialogButtons();
// Destroys the sprite of one slot and empties it.
void FreeSlot(int slot);
