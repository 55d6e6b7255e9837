#include "stage/KeyEdges.h"

#include "engine/DXInput.h"
#include "stage/GameState.h"

void ResetInputEdges() {
    // Ctrl is a held state kept by the key handlers, not an edge.
    const bool ctrl = CtrlDown;
    GameState.Keys = {};
    CtrlDown = ctrl;
}

void UpdateInputEdges(const TDXInput& input) {
    auto edge = [&](bool& hit, bool& wasDown, TDXInputState s) {
        bool down = input.Has(s);
        hit = down && !wasDown;
        wasDown = down;
    };
    edge(PauseKeyHit, PauseKeyWasDown, isButton4);
    edge(EscKeyHit, EscKeyWasDown, isButton5);
    edge(YesKeyHit, YesKeyWasDown, isButton6);
    edge(NoKeyHit, NoKeyWasDown, isButton7);
}
