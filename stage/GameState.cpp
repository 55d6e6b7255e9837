#include "stage/GameState.h"

#include "stage/Settings.h"

TGameState GameState;

void ResetGameState() {
    GameState = {};
    Options = {};
}
