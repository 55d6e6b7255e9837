// The player's boat: speed, tilt, the scroll step that moves the whole river, power-ups, ramp
// jumps, wrecks and the gun beam.
#pragma once
#include <cstdint>

#include "engine/DXSprite.h"

class TWallSprite;

// Constants of the boat's physics.
constexpr double NormalMaxSpeed = 250.0 / 14; // top speed of the throttle
constexpr double EngineMaxSpeed = 300.0 / 14; // top speed with the engine power-up
constexpr int32_t PowerUpDuration = 10000;    // ms a power-up lasts
constexpr int32_t JumpTime = 1500;            // ms a ramp jump lasts
constexpr double LeftBank = 177;              // river edges the boat is kept between
constexpr double RightBank = 609;
constexpr double AngleUnit = 0.02454369260617026; // 2 pi / 256: one step of Heading in radians

// One row of the boat table (the three boats differ only in their pictures).
struct TBoatInfo {
    const char* NormalPicture;
    const char* BigPicture; // while jumping
    double MaxSpeed;
    double Acceleration;
    double Deceleration;
};
// The row of boat 1..3 (values outside are clamped into range).
const TBoatInfo& BoatInfo(int boat);

// The boat's state.
enum TBoatState : uint8_t { bsRacing = 0, bsWrecked = 1, bsFinishing = 2 };
// Automatic speed changes.
enum TSpeedOrder : int32_t {
    soNone = 0,
    soBrake = -5,
    soSurge = -4,
    soSlowDown = -3,
    soSpinLeft = -2,
    soSpinRight = 2
};
// The three timed power-ups.
enum class TPowerUp { Gun, Engine, Shield };

// The player's boat (PlayerBoat), a child of the engine root; the historical name says car, the
// sprite is the boat.
class TMyCarSprite : public TImageSprite {
  public:
    // Creates boat 1..3 at a random X near the bottom of the screen.
    TMyCarSprite(TSprite* parent, int boat);

    // Draws the boat rotated by its tilt, with the engine flame, gun, shield and engine overlays.
    void Render() override;
    // One frame of the boat: wake, jump, gun, power-ups, throttle, steering, wreck sequence,
    // geometry, banks, distance and the speed orders, in that order.
    void Advance(int moveCount) override;

    void Accelerate(); // one throttle step, up to the top speed
    void Brake();      // one brake step
    void TurnLeft();   // tilts one step left
    void TurnRight();  // tilts one step right
    void Surge();      // three throttle steps, capped at the top speed
    void HardBrake();  // three brake steps, not below 0
    // Shows another picture of the race list and takes its frame size.
    void SetBoatPicture(const char* name);
    // Puts the boat at a random X on the river.
    void PlaceAtRandomX();
    // Adds points (a 16-bit amount) / takes them away, never below 0.
    static void AddScore(uint16_t n);
    static void SubtractScore(uint16_t n);

    void Jump(); // launched by a ramp
    void Land(); // the jump is over
    void GainPowerUp(TPowerUp kind);
    void LosePowerUp(TPowerUp kind, bool audible);
    void TickPowerUps(); // counts the held power-ups down, losing those that ran out
    void Wreck();        // hard collision: costs a life unless shielded
    void Respawn();      // back on the river after the crash animation
    // The gun's instant beam from the boat's centre along its heading; explodes the first
    // shootable object it meets.
    void FireBeam();
    // Points for an object hit by the beam.
    static void BeamReward(const TWallSprite& object);

    uint8_t State = bsRacing;      // racing, wrecked or finishing
    int32_t WreckLoops = 0;        // crash-animation loops still to show
    bool FinishLinePlaced = false; // this level's finish line exists (set by the course)
    bool CrossedFinish = false;    // the boat has passed the finish line
    bool LevelComplete = false;    // stopped after the finish: the time bonus runs
    bool Controllable = false;     // speed and tilt changes are accepted
    bool Airborne = false;         // in a ramp jump
    int32_t AirTime = 0;           // ms of the jump left
    double MidX = 0, MidY = 0;     // centre, taken each frame before the move
    int32_t Heading = 0;           // tilt in 1/256 turns, -25..25, negative = left
    double Speed = 0;              // forward speed
    double DriftX = 0;             // sideways step of this frame
    double ScrollStep = 0;         // how far the river and its objects move down this frame
    double Distance = 0;           // scrolled in this level
    // Controls held, set by the race frame and acted on in the next advance.
    bool SteerLeft = false, SteerRight = false, Throttle = false, Firing = false;
    bool HasGun = false, HasEngine = false, HasShield = false; // power-ups held
    int32_t GunTime = 0, EngineTime = 0, ShieldTime = 0;       // their ms left
    double Acceleration = 0, Deceleration = 0;                 // speed change of one throttle / brake step
    double MaxSpeed = 0;                                       // the throttle's cap
    int32_t SpeedOrder = soNone;                               // automatic speed change in progress
    double SpinTime = 0;                                       // ms of a weed spin left
    double TargetSpeed = 0;                                    // speed the order drives toward
};
