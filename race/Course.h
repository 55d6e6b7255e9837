// Laying out the course: which objects appear ahead of the boat, by chance, row by row, with
// the bank decorations and other boats tried every frame and the finish line at the level's end.
#pragma once
#include <cstdint>

// Object kind of chance-table entry 1..28.
int KindOfChance(int index);
// Chance of entry 1..28 on level 1, and the factor applied once from level 2 on.
double BaseSpawnChance(int index);
double SpawnChanceGrowth(int index);
// Fills SpawnChance for level n (n >= 2 all share the grown chances).
void FillSpawnChance(int32_t level);

// Puts an object of Kind in the first free slot, unless all are used; an object that touches
// another is destroyed again and its slot freed; otherwise RowCount grows.
void PlaceObject(int kind);
// True when the rectangle (X, Y, W, H) touches or overlaps (edges count) the object of any used
// slot other than Slot.
bool OverlapsAnyObject(int slot, double x, double y, double w, double h);
// Tries each bank decoration once, with a chance growing with the scroll speed.
void SpawnShoreDecor();
// Places the finish line once the level's distance is covered, a row of objects every 100
// units of scrolling, and tries the other boats every frame.
void SpawnObjects();
