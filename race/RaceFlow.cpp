#include "race/RaceFlow.h"

#include <cmath>
#include <string>

#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXInput.h"
#include "engine/PictureCollection.h"
#include "race/Boat.h"
#include "race/Course.h"
#include "race/Effects.h"
#include "race/RaceMedia.h"
#include "race/RaceState.h"
#include "race/RiverObject.h"
#include "records/Music.h"
#include "stage/CaptionSprite.h"
#include "stage/Dialogs.h"
#include "stage/Frame.h"
#include "stage/Game.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "stage/ScrollBackground.h"
#include "stage/TextStyles.h"

namespace {

constexpr double MarkerBottom = 322; // progress marker at the start of a level
constexpr double MarkerTop = 41;     // and at the finish
constexpr double MarkerTravel = 281;

// The engine root every race sprite is created under.
TSprite& Root() {
    return SpriteRoot();
}

// What the form builds once the race is over; the default leaves the screen empty.
void NoNextScreen() {}
TRaceOverHandler RaceOverHandler = NoNextScreen;

// A real value as an integer, truncated toward zero.
int Trunc(double v) {
    return static_cast<int>(std::trunc(v));
}

// A caption of the race list at (X, Y) with depth Z.
TCaptionSprite* MakeCaption(const char* picture, double x, double y, int32_t z, bool visible) {
    auto* s = new TCaptionSprite(&Root(), RacePictures(), picture);
    s->X = x;
    s->Y = y;
    s->SetZ(z);
    s->Visible = visible;
    return s;
}

// Starts / stops the frame timer (absent in some tests).
void SetTimerEnabled(bool on) {
    if (Game.Timer) Game.Timer->SetEnabled(on);
}

// Whether an input state is held this frame.
bool InputHas(TDXInputState s) {
    return Game.Input && Game.Input->Has(s);
}

// A number in the current text style, left-aligned at (X, Y).
void PrintNumber(int32_t value, int x, int y) {
    PrintText(std::to_string(value), x, y, false);
}

// The race logic of a frame in which no dialog is up.
void RaceLogic() {
    TMyCarSprite& boat = *PlayerBoat;

    // Progress marker climbs the bar until it reaches the top.
    if (ProgressMarker->Y > MarkerTop)
        ProgressMarker->Y = MarkerBottom - boat.Distance * MarkerTravel / FinishDistance(Level);

    if (!boat.LevelComplete) {
        if (TimeLeft > 0) {
            // A tick each time the last ten seconds pass a whole second.
            if (TimeLeft < 10000 && Trunc((TimeLeft - FrameMs) / 1000.0) < Trunc(TimeLeft / 1000.0))
                PlaySound("Tick");
            TimeLeft -= FrameMs;
        } else if (boat.Speed > 0) {
            boat.SpeedOrder = soBrake;
            boat.TargetSpeed = 0;
        } else if (boat.Y > FinishLineY) {
            // Out of time before the finish line.
            if (Lives > 0) Lives -= 1;
            OpenDialog(Lives == 0 ? dkGameOver : dkTimeOver);
        }
    } else {
        // Time bonus: 5 points for every 150 ms left.
        const int32_t step = 10 * FrameMs;
        if (TimeLeft > 0) {
            if (Trunc(TimeLeft / 1000.0) > Trunc((TimeLeft - step) / 1000.0)) PlaySound("Tick");
            TimeLeft -= step;
            TMyCarSprite::AddScore(5);
        } else {
            StartLevel(Level + 1);
        }
    }
    // A dialog opened above (time over, game over, the next level's intro) stops this frame's
    // logic: the race is frozen from here on.
    if (DialogKind != dkNone) return;

    if (boat.Y < FinishLineY && !boat.CrossedFinish) {
        PlaySound("Finish");
        boat.State = bsFinishing;
        boat.SpeedOrder = soBrake;
        boat.TargetSpeed = 0;
        boat.CrossedFinish = true;
    }

    // Power-ups not held are out of the panel's race for the shortest time.
    if (!boat.HasGun) boat.GunTime = 100000;
    if (!boat.HasEngine) boat.EngineTime = 100000;
    if (!boat.HasShield) boat.ShieldTime = 100000;

    // Controls, acting in the boat's next advance (the brake acts at once).
    boat.Throttle = InputHas(isUp);
    if (InputHas(isDown)) boat.Brake();
    boat.SteerLeft = InputHas(isLeft);
    boat.SteerRight = InputHas(isRight);
    const bool fire = InputHas(isButton8) || CtrlDown;
    if (fire && !boat.Firing) {
        if (boat.HasGun) PlaySound("Shot");
        boat.Firing = true;
    } else if (!fire && boat.Firing) {
        StopSound("Shot");
        boat.Firing = false;
    }

    SpawnShoreDecor();
    SpawnObjects();
    RemoveSpentObjects();
}

} // namespace

int32_t LevelTime(int32_t level) {
    return ((level - 1) / 2) * 30000 + 60000;
}

int32_t FinishDistance(int32_t level) {
    return ((level - 1) / 2) * 24000 + 24000;
}

int DigitShift(int32_t value) {
    const uint16_t v = static_cast<uint16_t>(value);
    return (v > 9) + (v > 99) + (v > 999) + (v > 9999);
}

void StartRace() {
    PlaySound("Engine");
    ScreenMode = smRace;
    PlayScreenMusic();
    ButtonCount = 0;
    HideMouseCursor();

    Background->Image = &RacePicture("Land");
    Background->X = 124;
    Background->Scroll = BoatScrollStep;

    LeftPanel = MakeCaption("LeftPanel", 0, 0, 3, true);
    RightPanel = MakeCaption("RightPanel", 0, 0, 3, true);
    RightPanel->X = 799 - RightPanel->Width;
    ProgressMarker = MakeCaption("BoatSmall", 0, MarkerBottom, 4, true);
    ProgressMarker->X = 736 - ProgressMarker->Width / 2.0;
    SpeedNeedle = MakeCaption("Pointer", 0, 572, 4, false);
    SpeedNeedle->X = 749 - SpeedNeedle->Width;

    NeedleJitterTimer = -1;
    NeedleJitter = 0;
    PlayerBoat = new TMyCarSprite(&Root(), ChosenBoat);
    PlayerBoat->Controllable = true;
    TMyCarSprite& boat = *PlayerBoat;

    const double wakeX = Trunc(boat.X - (84 - boat.Width) / 2.0), wakeY = Trunc(boat.Y);
    BoatWake = new TMyCarAnim(&Root(), "CarAnim", wakeX, wakeY, boat.Z());
    BoatWake->Visible = false;
    WakeClock = new TMyCarAnim(&Root(), "CarAnim", wakeX, wakeY, boat.Z());
    WakeClock->Visible = false;
    WakeClock->AnimRate = FrameMs / 1000.0 * 5;

    const double flameWidth = RacePicture("EngineFire").FrameWidth();
    EngineFireClock = new TExplosion(&Root(), "EngineFire", boat.MidX - flameWidth / 2, boat.MidY + 41);
    EngineFireClock->SetZ(6);
    EngineFireClock->Visible = false;
    GunFireClock = new TExplosion(&Root(), "BoatGunFire", boat.X, boat.Y);
    GunFireClock->SetZ(7);
    GunFireClock->Visible = false;
    GunFireClock->AnimRate = FrameMs / 1000.0 * 30;

    GunPanel = MakeCaption("PanelGun", 721, 416, 4, false);
    EnginePanel = MakeCaption("PanelEngine", 713, 414, 4, false);
    ShieldPanel = MakeCaption("PanelShield", 715, 414, 4, false);
    NoPowerPanel = MakeCaption("None", 710, 426, 4, false);
    CrashBlast = new TExplosion(&Root(), "ExplosionBig", 300, 400);
    CrashBlast->SetZ(6);
    CrashBlast->Visible = false;

    RiverObjectUsed.fill(false);
    RiverObjects.fill(nullptr);
    SetTimerEnabled(true);

    Score = 0;
    Lives = 3;
    StartLevel(1);
}

void StartLevel(int32_t level) {
    TMyCarSprite& boat = *PlayerBoat;
    boat.FinishLinePlaced = boat.CrossedFinish = boat.LevelComplete = false;
    // Power-ups vanish without a sound; the engine's speed values come back from the table below.
    boat.HasGun = boat.HasEngine = boat.HasShield = false;
    // A level can begin while the boat is still hidden by a crash (time ran out, or the finish
    // line passed, during the crash animation); the new level starts with the boat in view.
    boat.Visible = true;
    boat.State = bsRacing;

    Level = level;
    RowDistance = 0;
    RowCount = 0;
    TimeLeft = LevelTime(level);

    const TBoatInfo& info = BoatInfo(ChosenBoat);
    boat.MaxSpeed = info.MaxSpeed;
    boat.Acceleration = info.Acceleration;
    boat.Deceleration = info.Deceleration;
    boat.Heading = 0;
    boat.Speed = 0;
    boat.Distance = 0;
    boat.TargetSpeed = 0;
    boat.SpeedOrder = soNone;
    boat.SpinTime = 0;
    boat.Controllable = true;
    boat.SetZ(4);

    BoatWake->Visible = false;
    CrashBlast->Visible = false;
    ProgressMarker->Y = MarkerBottom;

    ClearRiverObjects();
    FinishLineY = -100;
    FillSpawnChance(level);
    OpenDialog(dkLevelIntro);
}

void RaceFrame(int lagCount) {
    if (DialogKind != dkNone) {
        DialogFrame(lagCount);
    } else {
        if (PauseKeyHit) OpenDialog(dkPause);
        if (EscKeyHit) OpenDialog(dkFinishRace);
        StartFrame(lagCount, true);
    }
    if (ScreenMode != smRace) return; // a dialog left the race

    if (Game.DXDraw && Game.DXDraw->ReadyToDraw()) {
        DrawNeedle();
        DrawRaceHud();
        DrawPowerUpHud();
    }
    if (DialogKind == dkNone && PlayerBoat) RaceLogic();
    EndFrame();
}

void EndRace() {
    StopSound("Engine");
    StopMusic();
    ShowMouseCursor();
    SetTimerEnabled(false);
    if (Background) Background->X = Background->Y = 0;
    ClearRiverObjects();
    FreeSprite(CrashBlast);
    FreeSprite(NoPowerPanel);
    FreeSprite(ShieldPanel);
    FreeSprite(EnginePanel);
    FreeSprite(GunPanel);
    FreeSprite(GunFireClock);
    FreeSprite(EngineFireClock);
    FreeSprite(WakeClock);
    FreeSprite(BoatWake);
    FreeSprite(PlayerBoat);
    FreeSprite(SpeedNeedle);
    FreeSprite(ProgressMarker);
    FreeSprite(RightPanel);
    FreeSprite(LeftPanel);
}

const double* BoatScrollStep() {
    return PlayerBoat ? &PlayerBoat->ScrollStep : nullptr;
}

void SetRaceOverHandler(TRaceOverHandler handler) {
    if (handler) RaceOverHandler = handler;
}

void LeaveRace() {
    EndRace();
    RaceOverHandler();
}

void DrawNeedle() {
    if (NeedleJitterTimer > 0) {
        NeedleJitterTimer -= FrameMs;
    } else {
        NeedleJitterTimer = 30;
        NeedleJitter = NeedleJitter > 0 ? -1 : NeedleJitter + 1;
    }
    if (!SpeedNeedle || !SpeedNeedle->Image || !PlayerBoat) return;
    SpeedNeedle->Image->DrawRotated(RaceSurface(), 745, 576, SpeedNeedle->Width, SpeedNeedle->Height, 0,
                                    0.8947368421052632, 0.5714285714285714,
                                    Trunc(5.97 * PlayerBoat->Speed) + NeedleJitter);
}

void DrawRaceHud() {
    UseTextStyle(tsRaceLevel);
    PrintNumber(Level, 52 - 5 * DigitShift(Level), 80);
    UseTextStyle(tsRaceScore);
    PrintNumber(Score, 52 - 4 * DigitShift(Score), 172);
    UseTextStyle(tsRaceTime);
    const int32_t minutes = TimeLeft / 60000;
    const int32_t seconds = (TimeLeft / 1000) % 60;
    PrintNumber(minutes / 10, 28, 263);
    PrintNumber(minutes % 10, 43, 263);
    PrintText(":", 58, 261, false);
    PrintNumber(seconds / 10, 64, 263);
    PrintNumber(seconds % 10, 79, 263);
    PrintNumber(Lives, 52 - 5 * DigitShift(Lives), 353);
}

void DrawPowerUpHud() {
    if (!PlayerBoat) return;
    const TMyCarSprite& boat = *PlayerBoat;
    struct TEntry {
        bool Held;
        int32_t Time;
        TCaptionSprite* Panel;
    };
    const TEntry entries[3] = {{boat.HasGun, boat.GunTime, GunPanel},
                               {boat.HasEngine, boat.EngineTime, EnginePanel},
                               {boat.HasShield, boat.ShieldTime, ShieldPanel}};
    for (int i = 0; i < 3; ++i) {
        const TEntry& e = entries[i];
        if (!e.Held || e.Time > entries[(i + 1) % 3].Time || e.Time > entries[(i + 2) % 3].Time) continue;
        // The first one that runs out is shown; on equal times the earlier in the order wins.
        GunPanel->Visible = EnginePanel->Visible = ShieldPanel->Visible = NoPowerPanel->Visible = false;
        e.Panel->Visible = true;
        const int32_t seconds = e.Time / 1000;
        UseTextStyle(tsPowerUpTime);
        PrintNumber(seconds, 771 - 4 * DigitShift(seconds), 419);
        return;
    }
    // A power-up held but not the first to run out (a time not yet reset for one just lost)
    // leaves the panels as they are for this frame.
    if (boat.HasGun || boat.HasEngine || boat.HasShield) return;
    GunPanel->Visible = EnginePanel->Visible = ShieldPanel->Visible = false;
    NoPowerPanel->Visible = true;
}
