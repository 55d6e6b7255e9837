// The race's program-wide variables: level, score, lives, time, the player's boat and the
// sprites of the race screen, and the course state the generator and river objects share.
// Each keeps its one initial value in TRaceState, so a reset is `= {}`.
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

// The player's progress.
struct TRaceProgress {
    int32_t Level = 0;      // current level, from 1
    int32_t Score = 0;      // points; never below 0
    int32_t Lives = 0;      // lives left
    int32_t TimeLeft = 0;   // ms left in the level
    int32_t ChosenBoat = 1; // boat picked on the boat-choice screen, 1..3
};

// The sprites of the race screen (owned by the sprite engine; EndRace frees them).
struct TRaceSprites {
    TMyCarSprite* PlayerBoat = nullptr;    // the player's boat
    TExplosion* CrashBlast = nullptr;      // explosion shown while the boat is wrecked
    double PrevBlastPosition = 0;          // CrashBlast's animation position at the previous frame
    TMyCarAnim* BoatWake = nullptr;        // the player's wake
    TMyCarAnim* WakeClock = nullptr;       // hidden; times the other boats' wakes
    TExplosion* EngineFireClock = nullptr; // hidden; times the engine flame
    TExplosion* GunFireClock = nullptr;    // hidden; times the gun flash
    TCaptionSprite* LeftPanel = nullptr;
    TCaptionSprite* RightPanel = nullptr;
    TCaptionSprite* ProgressMarker = nullptr; // small boat climbing the progress bar
    TCaptionSprite* SpeedNeedle = nullptr;    // hidden; holds the needle picture drawn by DrawNeedle
    int32_t NeedleJitterTimer = 0;            // ms to the needle's next shake step
    int32_t NeedleJitter = 0;                 // needle shake offset: -1, 0 or +1
    TCaptionSprite* GunPanel = nullptr;
    TCaptionSprite* EnginePanel = nullptr;
    TCaptionSprite* ShieldPanel = nullptr;
    TCaptionSprite* NoPowerPanel = nullptr;
};

// The course: river-object slots, rows and the chances of the current level.
struct TCourseState {
    double FinishLineY = -100; // Y of the finish-line object while it exists; -100 when none
    std::array<TWallSprite*, MaxRiverObjects + 1> Objects{}; // slots 1..30
    std::array<bool, MaxRiverObjects + 1> Used{};            // slot in use
    double RowDistance = 0;                                  // scroll since the last row of objects began
    int32_t RowCount = 0;                                    // objects placed since the last row began
    std::array<double, SpawnChanceCount + 1> SpawnChance{};  // chances of the current level
};

struct TRaceState {
    TRaceProgress Progress;
    TRaceSprites Sprites;
    TCourseState Course;
};

// The one race state of the program.
extern TRaceState RaceState;

// The names the race uses, bound to their place in RaceState.
inline int32_t& Level = RaceState.Progress.Level;
inline int32_t& Score = RaceState.Progress.Score;
inline int32_t& Lives = RaceState.Progress.Lives;
inline int32_t& TimeLeft = RaceState.Progress.TimeLeft;
inline int32_t& ChosenBoat = RaceState.Progress.ChosenBoat;

inline TMyCarSprite*& PlayerBoat = RaceState.Sprites.PlayerBoat;
inline TExplosion*& CrashBlast = RaceState.Sprites.CrashBlast;
inline double& PrevBlastPosition = RaceState.Sprites.PrevBlastPosition;
inline TMyCarAnim*& BoatWake = RaceState.Sprites.BoatWake;
inline TMyCarAnim*& WakeClock = RaceState.Sprites.WakeClock;
inline TExplosion*& EngineFireClock = RaceState.Sprites.EngineFireClock;
inline TExplosion*& GunFireClock = RaceState.Sprites.GunFireClock;
inline TCaptionSprite*& LeftPanel = RaceState.Sprites.LeftPanel;
inline TCaptionSprite*& RightPanel = RaceState.Sprites.RightPanel;
inline TCaptionSprite*& ProgressMarker = RaceState.Sprites.ProgressMarker;
inline TCaptionSprite*& SpeedNeedle = RaceState.Sprites.SpeedNeedle;
inline int32_t& NeedleJitterTimer = RaceState.Sprites.NeedleJitterTimer;
inline int32_t& NeedleJitter = RaceState.Sprites.NeedleJitter;
inline TCaptionSprite*& GunPanel = RaceState.Sprites.GunPanel;
inline TCaptionSprite*& EnginePanel = RaceState.Sprites.EnginePanel;
inline TCaptionSprite*& ShieldPanel = RaceState.Sprites.ShieldPanel;
inline TCaptionSprite*& NoPowerPanel = RaceState.Sprites.NoPowerPanel;

inline double& FinishLineY = RaceState.Course.FinishLineY;
inline std::array<TWallSprite*, MaxRiverObjects + 1>& RiverObjects = RaceState.Course.Objects;
inline std::array<bool, MaxRiverObjects + 1>& RiverObjectUsed = RaceState.Course.Used;
inline double& RowDistance = RaceState.Course.RowDistance;
inline int32_t& RowCount = RaceState.Course.RowCount;
inline std::array<double, SpawnChanceCount + 1>& SpawnChance = RaceState.Course.SpawnChance;

// Puts every race variable back to its value at program start (no sprite is destroyed).
void ResetRaceState();
