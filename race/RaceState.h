// The race's program-wide variables: level, score, lives, time, the player's boat and the
// sprites of the race screen, and the course state the generator and river objects share.
#pragma once
#include <array>
#include <cstdint>

class TMyCarSprite;
class TWallSprite;
class TExplosion;
class TMyCarAnim;
class TCaptionSprite;

// Number of river-object slots (1..MaxRiverObjects; index 0 unused).
constexpr int MaxRiverObjects = 30;
// Number of entries of the spawn-chance table (1..SpawnChanceCount; index 0 unused).
constexpr int SpawnChanceCount = 28;

extern int32_t Level;       // current level, from 1
extern int32_t Score;       // points; never below 0
extern int32_t Lives;       // lives left
extern int32_t TimeLeft;    // ms left in the level
extern int32_t ChosenBoat;  // boat picked on the boat-choice screen, 1..3

extern TMyCarSprite* PlayerBoat;   // the player's boat
extern TExplosion* CrashBlast;     // explosion shown while the boat is wrecked
extern double PrevBlastPosition;   // CrashBlast's animation position at the previous frame
extern TMyCarAnim* BoatWake;       // the player's wake
extern TMyCarAnim* WakeClock;      // hidden; times the other boats' wakes
extern TExplosion* EngineFireClock;  // hidden; times the engine flame
extern TExplosion* GunFireClock;     // hidden; times the gun flash
extern TCaptionSprite* LeftPanel;
extern TCaptionSprite* RightPanel;
extern TCaptionSprite* ProgressMarker;  // small boat climbing the progress bar
extern TCaptionSprite* SpeedNeedle;     // hidden; holds the needle picture drawn by DrawNeedle
extern int32_t NeedleJitterTimer;       // ms to the needle's next shake step
extern int32_t NeedleJitter;            // needle shake offset: -1, 0 or +1
extern TCaptionSprite* GunPanel;
extern TCaptionSprite* EnginePanel;
extern TCaptionSprite* ShieldPanel;
extern TCaptionSprite* NoPowerPanel;
extern double FinishLineY;  // Y of the finish-line object while it exists; -100 when none

extern std::array<TWallSprite*, MaxRiverObjects + 1> RiverObjects;  // slots 1..30
extern std::array<bool, MaxRiverObjects + 1> RiverObjectUsed;       // slot in use
extern double RowDistance;  // scroll since the last row of objects began
extern int32_t RowCount;    // objects placed since the last row began
extern std::array<double, SpawnChanceCount + 1> SpawnChance;  // chances of the current level

// Puts every race variable back to its value at program start (no sprite is destroyed).
void ResetRaceState();
