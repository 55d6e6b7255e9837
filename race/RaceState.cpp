#include "race/RaceState.h"

int32_t Level = 0;
int32_t Score = 0;
int32_t Lives = 0;
int32_t TimeLeft = 0;
int32_t ChosenBoat = 1;

TMyCarSprite* PlayerBoat = nullptr;
TExplosion* CrashBlast = nullptr;
double PrevBlastPosition = 0;
TMyCarAnim* BoatWake = nullptr;
TMyCarAnim* WakeClock = nullptr;
TExplosion* EngineFireClock = nullptr;
TExplosion* GunFireClock = nullptr;
TCaptionSprite* LeftPanel = nullptr;
TCaptionSprite* RightPanel = nullptr;
TCaptionSprite* ProgressMarker = nullptr;
TCaptionSprite* SpeedNeedle = nullptr;
int32_t NeedleJitterTimer = 0;
int32_t NeedleJitter = 0;
TCaptionSprite* GunPanel = nullptr;
TCaptionSprite* EnginePanel = nullptr;
TCaptionSprite* ShieldPanel = nullptr;
TCaptionSprite* NoPowerPanel = nullptr;
double FinishLineY = -100;

std::array<TWallSprite*, MaxRiverObjects + 1> RiverObjects{};
std::array<bool, MaxRiverObjects + 1> RiverObjectUsed{};
double RowDistance = 0;
int32_t RowCount = 0;
std::array<double, SpawnChanceCount + 1> SpawnChance{};

void ResetRaceState() {
    Level = Score = Lives = TimeLeft = 0;
    ChosenBoat = 1;
    PlayerBoat = nullptr;
    CrashBlast = nullptr;
    PrevBlastPosition = 0;
    BoatWake = WakeClock = nullptr;
    EngineFireClock = GunFireClock = nullptr;
    LeftPanel = RightPanel = ProgressMarker = SpeedNeedle = nullptr;
    NeedleJitterTimer = NeedleJitter = 0;
    GunPanel = EnginePanel = ShieldPanel = NoPowerPanel = nullptr;
    FinishLineY = -100;
    RiverObjects.fill(nullptr);
    RiverObjectUsed.fill(false);
    RowDistance = 0;
    RowCount = 0;
    SpawnChance.fill(0);
}
