#include "app/Navigation.h"

#include "app/MenuButton.h"
#include "engine/DXInput.h"
#include "stage/Game.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"

TMenuButton* ButtonAt(int slot) {
    if (slot < 1 || slot > ButtonSlotCount) return nullptr;
    return dynamic_cast<TMenuButton*>(Buttons[size_t(slot)]);
}

int32_t& MenuAnimPhase() {
    return ButtonNumbers[slAnimPhase];
}
int32_t& MenuAfterAnim() {
    return ButtonNumbers[slAfterAnim];
}

namespace {

// Both edges inclusive, the sprite's position as it is (a float).
bool Hit(const TSprite* s) {
    return s && s->X <= MouseX && MouseX <= s->X + s->Width && s->Y <= MouseY && MouseY <= s->Y + s->Height;
}

void UpdateHoverOver(int first, int last, bool mayskipSound) {
    for (int i = first; i <= last; ++i) {
        if (i == HoverIndex) continue;
        if (TMenuButton* b = ButtonAt(i)) {
            b->SetInactiveLook();
            b->Highlighted = false;
        }
    }
    if (HoverIndex == 0) return;
    TMenuButton* b = ButtonAt(HoverIndex);
    if (!b || b->Highlighted) return;
    if (mayskipSound && SkipHoverSound)
        SkipHoverSound = false;
    else
        PlaySound("B_Act");
    b->SetActiveLook();
    b->Highlighted = true;
}

bool Held(TDXInputState s) {
    return Game.Input && Game.Input->Has(s);
}

} // namespace

void HitTestButtons() {
    for (int i = 1; i <= ButtonCount; ++i)
        if (Hit(Buttons[size_t(i)])) {
            HoverIndex = i;
            return;
        }
}

void HitTestDialogButtons() {
    HoverIndex = 0;
    // Dialogs without buttons have no range to test.
    if (ButtonCount == 0) return;
    for (int i = FirstIndex; i <= LastIndex; ++i)
        if (i >= 1 && i <= ButtonSlotCount && Hit(Buttons[size_t(i)])) {
            HoverIndex = i;
            return;
        }
}

void UpdateHover() {
    UpdateHoverOver(1, ButtonCount, true);
}

void UpdateDialogHover() {
    UpdateHoverOver(FirstIndex, LastIndex, false);
}

void StepForward(bool wrap) {
    NavOverrun = false;
    if (HoverIndex < FirstIndex || HoverIndex > LastIndex) HoverIndex = FirstIndex;
    if (wrap)
        HoverIndex = HoverIndex == LastIndex ? FirstIndex : HoverIndex + 1;
    else if (HoverIndex < LastIndex)
        ++HoverIndex;
    else
        NavOverrun = true;
    NavArmed = false;
}

void StepBackward(bool wrap) {
    NavOverrun = false;
    if (HoverIndex < FirstIndex || HoverIndex > LastIndex) HoverIndex = FirstIndex;
    if (wrap)
        HoverIndex = HoverIndex == FirstIndex ? LastIndex : HoverIndex - 1;
    else if (HoverIndex > FirstIndex)
        --HoverIndex;
    else
        NavOverrun = true;
    NavArmed = false;
}

void NavigateVertical(bool wrap) {
    if (Held(isUp) && NavArmed) StepBackward(wrap);
    if (Held(isDown) && NavArmed) StepForward(wrap);
    if (!Held(isUp) && !Held(isDown)) NavArmed = true;
}

void NavigateHorizontal(bool wrap) {
    if (Held(isRight) && NavArmed) StepForward(wrap);
    if (Held(isLeft) && NavArmed) StepBackward(wrap);
    if (!Held(isRight) && !Held(isLeft)) NavArmed = true;
}

void FreeSlot(int slot) {
    if (slot < 1 || slot > ButtonSlotCount) return;
    FreeSprite(Buttons[size_t(slot)]);
}

void FreeButtons() {
    for (int i = 1; i <= ButtonCount; ++i)
        FreeSlot(i);
    ButtonCount = 0;
}

void FreeDialogButtons() {
    for (int i = FirstIndex; i <= LastIndex; ++i)
        FreeSlot(i);
    ButtonCount = 0;
}
