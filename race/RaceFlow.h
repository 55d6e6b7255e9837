// The race screen: starting the race and each level, the race frame with its time, finish and
// time-out handling, the panels drawn over the river, and leaving the race.
#pragma once
#include <cstdint>

// Time allowed for level n, ms: 60 s for levels 1 and 2, 30 s more every two levels.
int32_t LevelTime(int32_t level);
// Scroll distance to the finish line of level n: 24000, 24000 more every two levels.
int32_t FinishDistance(int32_t level);
// d(v) of the panel layout: how many of 9, 99, 999, 9999 the low 16 bits of v exceed.
int DigitShift(int32_t value);

// Builds the race screen for ChosenBoat and starts level 1 (the boat-choice screen's start).
void StartRace();
// Begins level n: resets the boat and the course, and opens the level intro.
void StartLevel(int32_t level);
// One frame of the race (screen mode 1), called by the frame timer.
void RaceFrame(int lagCount);
// Tears the race screen down; the caller builds the next screen.
void EndRace();

// The background's scroll source in the race: the boat's scroll step, null while there is no boat.
const double* BoatScrollStep();

// What follows a race: the form builds the main menu with the high scores. A typed callback,
// never null (a null handler is refused), so the race needs nothing of the shell above it.
using TRaceOverHandler = void (*)();
void SetRaceOverHandler(TRaceOverHandler handler);
// Ends the race and hands over to the race-over handler.
void LeaveRace();

// The speed needle, shaking a little, drawn rotated over the right panel.
void DrawNeedle();
// Level, score, time and lives on the left panel.
void DrawRaceHud();
// The power-up that runs out first, with its seconds left, on the right panel.
void DrawPowerUpHud();
