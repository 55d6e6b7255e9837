#include "race/RaceState.h"

TRaceState RaceState;

void ResetRaceState() {
    RaceState = {};
}
