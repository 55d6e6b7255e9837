#include "race/Course.h"

#include "engine/DXSprite.h"
#include "race/Boat.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "race/RiverObject.h"
#include "stage/Game.h"

namespace {

// One entry of the chance table: the kind it places, its level-1 chance, its growth factor.
struct TChance {
    int Kind;
    double Base;
    double Growth;
};

// Entries 1..28 (index 0 unused).
constexpr TChance Chances[SpawnChanceCount + 1] = {
    {0, 0, 0},
    {rkTree, 0.1, 1.2},
    {rkWeed, 0.1, 1.2},
    {rkFlag, 0.1, 1.2},
    {rkDuck, 0.1, 1.2},
    {rkFisher, 0.1, 1.2},
    {rkShip, 0.1, 1.2},
    {rkBonus10, 0.05, 1.2},
    {rkBonus20, 0.05, 1.2},
    {rkBonus50, 0.05, 1.2},
    {rkBonus100, 0.05, 1.2},
    {rkRamp, 0.3, 1.2},
    {rkGun, 0.05, 1.2},
    {rkShield, 0.05, 1.2},
    {rkEngine, 0.05, 1.2},
    {rkBridge, 0.1, 1.2},
    {rkLife, 0.02, 1.2},
    {rkBoat4, 0.02, 1.2},
    {rkBoat4Inv, 0.005, 1.4},
    {rkBoat5, 0.02, 1.2},
    {rkBoat5Inv, 0.005, 1.4},
    {rkBoat6, 0.02, 1.2},
    {rkBoat6Inv, 0.005, 1.4},
    {rkBoat7, 0.02, 1.2},
    {rkBoat7Inv, 0.005, 1.4},
    {rkBoat8, 0.02, 1.2},
    {rkBoat8Inv, 0.005, 1.4},
    {rkBoat9, 0.02, 1.2},
    {rkBoat9Inv, 0.005, 1.4},
};

constexpr int FisherIndex = 5;
constexpr double RowLength = 100;

// Entries are numbered 1..28.
bool ValidIndex(int index) {
    return index >= 1 && index <= SpawnChanceCount;
}

// Tries entry i of the chance table with the given scale: one uniform draw, and the object
// when the chance wins.
void TryChance(int i, double scale) {
    const double u = RandomUniform();
    if (SpawnChance[i] * scale > u) PlaceObject(Chances[i].Kind);
}

} // namespace

int KindOfChance(int index) {
    return ValidIndex(index) ? Chances[index].Kind : -1;
}
double BaseSpawnChance(int index) {
    return ValidIndex(index) ? Chances[index].Base : 0;
}
double SpawnChanceGrowth(int index) {
    return ValidIndex(index) ? Chances[index].Growth : 0;
}

void FillSpawnChance(int32_t level) {
    for (int i = 1; i <= SpawnChanceCount; ++i)
        SpawnChance[i] = level >= 2 ? Chances[i].Base * Chances[i].Growth : Chances[i].Base;
}

void PlaceObject(int kind) {
    int slot = 0;
    for (int i = 1; i <= MaxRiverObjects; ++i)
        if (!RiverObjectUsed[i]) {
            slot = i;
            break;
        }
    if (slot == 0) return;
    RiverObjectUsed[slot] = true;
    auto* object = new TWallSprite(&SpriteRoot(), kind, slot);
    RiverObjects[slot] = object;
    if (object->Rejected)
        delete object; // frees the slot again
    else
        RowCount += 1;
}

bool OverlapsAnyObject(int slot, double x, double y, double w, double h) {
    for (int i = 1; i <= MaxRiverObjects; ++i) {
        if (i == slot || !RiverObjectUsed[i] || !RiverObjects[i]) continue;
        const TWallSprite& o = *RiverObjects[i];
        if (x <= o.X + o.Width && o.X <= x + w && y <= o.Y + o.Height && o.Y <= y + h) return true;
    }
    return false;
}

void SpawnShoreDecor() {
    static constexpr int Decor[] = {rkUmbrellaBlue, rkUmbrellaGreen, rkUmbrellaRed, rkBedLeft,
                                    rkBedRight,     rkRoomRed,       rkRoomBlue};
    const double c = 0.2 * PlayerBoat->ScrollStep / 600;
    for (int kind : Decor) {
        const double u = RandomUniform();
        if (c > u) PlaceObject(kind);
    }
}

void SpawnObjects() {
    TMyCarSprite& boat = *PlayerBoat;
    const double f = boat.ScrollStep / 60;

    if (boat.Distance >= FinishDistance(Level) && !boat.FinishLinePlaced) {
        PlaceObject(rkFinishLine);
        boat.FinishLinePlaced = true;
        return;
    }

    const bool oddLevel = Level % 2 != 0;
    if (!boat.FinishLinePlaced && RowDistance > RowLength) {
        RowDistance = 0;
        RowCount = 0;
        if (oddLevel) {
            for (int i = 1; i <= 16; ++i) {
                const double u = RandomUniform();
                if (SpawnChance[i] * f > u) {
                    // A fisherman only ever starts a row.
                    if (i == FisherIndex && RowCount >= 1) break;
                    PlaceObject(Chances[i].Kind);
                }
                if (RowCount >= 2) break;
            }
        } else {
            // Four groups; each still tries its first entry, so a row may hold more than two.
            static constexpr int Groups[4][2] = {{1, 4}, {7, 10}, {12, 14}, {16, 16}};
            for (const auto& g : Groups)
                for (int i = g[0]; i <= g[1]; ++i) {
                    TryChance(i, f);
                    if (RowCount >= 2) break;
                }
        }
    }

    const double k = oddLevel ? 1.0 / 84 : 2.0 / 84;
    for (int i = 17; i <= 28; ++i)
        TryChance(i, k);
}
