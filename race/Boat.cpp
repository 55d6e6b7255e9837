#include "race/Boat.h"

#include <cmath>

#include "engine/PictureCollection.h"
#include "race/Effects.h"
#include "race/Headings.h"
#include "race/RaceMedia.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "race/RiverObject.h"
#include "stage/Dialogs.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"

namespace {

constexpr TBoatInfo Boats[3] = {
    {"Boat1_Normal", "Boat1_Big", NormalMaxSpeed, 0.06, 0.2},
    {"Boat2_Normal", "Boat2_Big", NormalMaxSpeed, 0.06, 0.2},
    {"Boat3_Normal", "Boat3_Big", NormalMaxSpeed, 0.06, 0.2},
};

} // namespace

const TBoatInfo& BoatInfo(int boat) {
    if (boat < 1) boat = 1;
    if (boat > 3) boat = 3;
    return Boats[boat - 1];
}

TMyCarSprite::TMyCarSprite(TSprite* parent, int boat) : TImageSprite(parent) {
    const TBoatInfo& info = BoatInfo(boat);
    Image = &RacePicture(info.NormalPicture);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
    AnimPosition = 0;
    AnimFirst = 0;
    AnimFrames = Image->NumPatterns();
    AnimLoop = false;
    AnimRate = 0;

    MaxSpeed = info.MaxSpeed;
    Acceleration = info.Acceleration;
    Deceleration = info.Deceleration;
    SpeedOrder = soNone;
    SpinTime = 0;
    TargetSpeed = 0;

    PlaceAtRandomX();
    Y = 585 - Height;
    SetZ(4);
    MidX = X + Width / 2.0;
    MidY = Y + Height / 2.0;
    SteerLeft = SteerRight = Throttle = Firing = false;
    Airborne = false;
}

void TMyCarSprite::Accelerate() {
    if (Controllable && State != bsFinishing && Speed < MaxSpeed) Speed += Acceleration;
}

void TMyCarSprite::Brake() {
    if (!Controllable) return;
    if (Speed < 0.1)
        Speed = 0;
    else
        Speed -= Deceleration;
}

void TMyCarSprite::TurnLeft() {
    if (Controllable && !Airborne && Heading > -25) Heading -= 1;
}

void TMyCarSprite::TurnRight() {
    if (Controllable && !Airborne && Heading < 25) Heading += 1;
}

void TMyCarSprite::Surge() {
    if (!Controllable) return;
    Speed += 3 * Acceleration;
    if (Speed > MaxSpeed) Speed = MaxSpeed;
}

void TMyCarSprite::HardBrake() {
    if (!Controllable) return;
    if (3 * Deceleration > Speed)
        Speed = 0;
    else
        Speed -= 3 * Deceleration;
}

void TMyCarSprite::SetBoatPicture(const char* name) {
    Image = &RacePicture(name);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
}

void TMyCarSprite::PlaceAtRandomX() {
    X = RandomBelow(432 - Image->FrameWidth()) + 177;
}

void TMyCarSprite::AddScore(uint16_t n) {
    Score += n;
}

void TMyCarSprite::SubtractScore(uint16_t n) {
    Score = n > Score ? 0 : Score - n;
}

void TMyCarSprite::Jump() {
    PlaySound("Jump");
    Airborne = true;
    int32_t oldWidth = Width;
    SetBoatPicture(BoatInfo(ChosenBoat).BigPicture);
    X -= (Width - oldWidth) / 2.0; // the centre stays where it was
    AirTime = JumpTime;
    Heading = 0;
    TargetSpeed = 2 * Speed > MaxSpeed ? MaxSpeed : 2 * Speed;
    SpeedOrder = soSurge;
}

void TMyCarSprite::Land() {
    Airborne = false;
    int32_t oldWidth = Width;
    SetBoatPicture(BoatInfo(ChosenBoat).NormalPicture);
    X += (oldWidth - Width) / 2.0;
}

void TMyCarSprite::GainPowerUp(TPowerUp kind) {
    PlaySound("Bonus");
    switch (kind) {
    case TPowerUp::Gun:
        HasGun = true;
        GunTime = PowerUpDuration;
        break;
    case TPowerUp::Engine:
        EngineTime = PowerUpDuration;
        // A second engine only renews the time.
        if (!HasEngine) {
            MaxSpeed = EngineMaxSpeed;
            Acceleration *= 2;
            Deceleration *= 2;
        }
        HasEngine = true;
        break;
    case TPowerUp::Shield:
        HasShield = true;
        ShieldTime = PowerUpDuration;
        break;
    }
}

void TMyCarSprite::LosePowerUp(TPowerUp kind, bool audible) {
    if (audible) PlaySound("BonusLost");
    switch (kind) {
    case TPowerUp::Gun:
        HasGun = false;
        StopSound("Shot");
        break;
    case TPowerUp::Engine:
        HasEngine = false;
        MaxSpeed = NormalMaxSpeed;
        Acceleration /= 2;
        Deceleration /= 2;
        // Above the normal top speed the boat slows down to it.
        if (Speed > MaxSpeed) {
            SpeedOrder = soSlowDown;
            TargetSpeed = MaxSpeed;
        }
        break;
    case TPowerUp::Shield:
        HasShield = false;
        break;
    }
}

void TMyCarSprite::TickPowerUps() {
    if (HasGun) {
        if (GunTime <= 0)
            LosePowerUp(TPowerUp::Gun, true);
        else
            GunTime -= FrameMs;
    }
    if (HasEngine) {
        if (EngineTime <= 0)
            LosePowerUp(TPowerUp::Engine, true);
        else
            EngineTime -= FrameMs;
    }
    if (HasShield) {
        if (ShieldTime <= 0)
            LosePowerUp(TPowerUp::Shield, true);
        else
            ShieldTime -= FrameMs;
    }
}

void TMyCarSprite::Wreck() {
    if (HasShield || State != bsRacing) return;
    if (HasGun) LosePowerUp(TPowerUp::Gun, false);
    if (HasEngine) LosePowerUp(TPowerUp::Engine, false);
    StopSound("WallExplosion");
    PlaySound("PlayerExplosion");

    Speed = DriftX = ScrollStep = 0;
    SpeedOrder = soNone;
    State = bsWrecked;
    Controllable = false;

    if (CrashBlast) {
        CrashBlast->X = X;
        CrashBlast->Y = MidY - CrashBlast->Height / 2.0;
        CrashBlast->Visible = true;
        CrashBlast->AnimPosition = 0;
    }
    PrevBlastPosition = 0;

    Visible = false;
    if (BoatWake) BoatWake->Visible = false;
    WreckLoops = 2;
    if (Lives > 0) Lives -= 1;
}

void TMyCarSprite::Respawn() {
    State = bsRacing;
    Airborne = false;
    Visible = true;
    Controllable = true;
    PlaceAtRandomX();
    Heading = 0;
    if (CrashBlast) CrashBlast->Visible = false;
}

void TMyCarSprite::FireBeam() {
    double x = MidX, y = MidY;
    const double dx = 2 * HeadingSin(Heading), dy = 2 * HeadingCos(Heading);
    bool hit = false;
    do {
        x += dx;
        y -= dy;
        for (int i = 1; i <= MaxRiverObjects && !hit; ++i) {
            if (!RiverObjectUsed[i] || !RiverObjects[i]) continue;
            TWallSprite& o = *RiverObjects[i];
            if (o.Unshootable) continue;
            if (o.X < x && x < o.X + o.Width && o.Y < y && y < o.Y + o.Height) {
                hit = true; // the beam stops here even at an object already exploding
                if (!o.Exploded) {
                    o.Explode();
                    BeamReward(o);
                }
            }
        }
    } while (176 <= x && x <= 608 && 0 <= y && y <= 600 && !hit);
}

void TMyCarSprite::BeamReward(const TWallSprite& object) {
    if (object.IsVessel) AddScore(20);
    switch (object.Kind) {
    case rkRamp:
    case rkShip:
    case rkBridge:
        AddScore(10);
        break;
    case rkFlag:
    case rkFisher:
    case rkDuck:
        AddScore(5);
        break;
    default:
        break;
    }
}

namespace {

int Trunc(double v) {
    return static_cast<int>(std::trunc(v));
}

// Draws pattern Pattern of a race picture at its own frame size, turned by Angle about
// (CenterX, CenterY) of the picture, which lands on (X, Y).
void DrawPart(const char* name, int x, int y, int pattern, double centerX, double centerY, int angle) {
    TPictureCollectionItem& item = RacePicture(name);
    item.DrawRotated(RaceSurface(), x, y, item.FrameWidth(), item.FrameHeight(), pattern, centerX, centerY,
                     angle);
}

} // namespace

void TMyCarSprite::Render() {
    const int midX = Trunc(MidX), midY = Trunc(MidY);
    const int halfY = Trunc(Y + Height / 2.0);
    Image->DrawRotated(RaceSurface(), midX, midY, Width, Height, 0, 0.5, 0.5, Heading);

    if (HasEngine && !Airborne && State == bsRacing && (Throttle || Speed > NormalMaxSpeed)) {
        const int pattern = EngineFireClock ? Trunc(EngineFireClock->AnimPosition) : 0;
        DrawPart("EngineFire", Trunc(MidX - 2), halfY, pattern, 0.5, -1.2, Heading - 1);
    }
    if (HasGun) DrawPart(Airborne ? "BoatGunBig" : "BoatGun", midX, midY, 0, 0.5, 0.5, Heading);
    if (HasShield) {
        // Centred so that the shield's top edge meets the boat's.
        const char* name = Airborne ? "BoatShieldBig" : "BoatShield";
        const double centerY = (Height / 2.0) / RacePicture(name).FrameHeight();
        DrawPart(name, Airborne ? midX : Trunc(MidX + 1), halfY, 0, 0.5, centerY, Heading);
    }
    if (HasEngine) DrawPart(Airborne ? "BoatEngineBig" : "BoatEngine", midX, halfY, 0, 0.5, 0, Heading);
    if (HasGun && Firing) {
        const int pattern = GunFireClock ? Trunc(GunFireClock->AnimPosition) : 0;
        DrawPart("BoatGunFire", Trunc(MidX - 1), midY, pattern, 0.5, 1.4, Heading);
    }
}

void TMyCarSprite::Advance(int moveCount) {
    // The picture's own animation (the boat's rate is 0).
    TImageSprite::Advance(moveCount);

    // Crash watch: each wrap of the crash animation is one loop shown.
    if (CrashBlast) {
        if (CrashBlast->Visible && CrashBlast->AnimPosition < PrevBlastPosition) WreckLoops -= 1;
        PrevBlastPosition = CrashBlast->AnimPosition;
    }

    // Wake, faster with speed.
    if (BoatWake) {
        if (!Airborne && Speed > 0) {
            if (State == bsRacing) BoatWake->Visible = true;
            BoatWake->AnimRate = FrameMs / 1000.0 * (Speed / 4 + 5);
        } else {
            BoatWake->Visible = false;
        }
    }

    // Jump.
    if (Airborne) {
        if (AirTime > 0)
            AirTime -= FrameMs;
        else
            Land();
    }

    // Gun.
    if (!Airborne && HasGun && Firing) FireBeam();

    // Power-ups.
    TickPowerUps();

    // Throttle.
    if (Throttle) Accelerate();

    // Steering; pressing the other way while tilted first straightens.
    if (State == bsRacing || (State == bsFinishing && Speed > 0)) {
        if (SteerLeft && Heading <= 0)
            TurnLeft();
        else if (SteerRight && Heading >= 0)
            TurnRight();
        else if (Heading > 1)
            Heading -= 2;
        else if (Heading < -1)
            Heading += 2;
        else
            Heading = 0;
    }

    // Wreck sequence: the crash animation plays twice, then respawn or game over.
    if (State == bsWrecked) {
        if (WreckLoops == 1 && CrashBlast) CrashBlast->Y = Y + Height - CrashBlast->Height;
        if (WreckLoops == 0) {
            if (Lives == 0) {
                if (CrashBlast) CrashBlast->Visible = false;
                Lives = 0;
                OpenDialog(dkGameOver);
            } else {
                Respawn();
            }
        }
    }

    // Geometry, taken before this frame's move.
    MidX = X + Width / 2.0;
    MidY = Y + Height / 2.0;
    const double s = HeadingSin(Heading);
    DriftX = s * Speed * VelocityScale;
    ScrollStep = Speed * VelocityScale;

    // Banks: the tilted boat may overhang by its rotation allowance.
    const double m = s * Height / 3;
    if (X + Width > RightBank - m) X = RightBank - m - Width;
    if (X < LeftBank - m) X = LeftBank - m;
    X += DriftX;

    // Distance.
    Distance += ScrollStep;
    RowDistance += ScrollStep;

    // Speed orders.
    if (SpeedOrder == soNone && CrossedFinish) {
        Speed = 0;
        Controllable = false;
        LevelComplete = true;
    }
    if (SpeedOrder == soBrake) {
        if (Speed > TargetSpeed)
            Brake();
        else
            SpeedOrder = soNone;
    }
    if (SpeedOrder == soSurge) {
        if (Speed < TargetSpeed)
            Surge();
        else
            SpeedOrder = soNone;
    }
    if (SpeedOrder == soSlowDown) {
        if (Speed > TargetSpeed)
            HardBrake();
        else
            SpeedOrder = soNone;
    }
    if (SpeedOrder == soSpinLeft || SpeedOrder == soSpinRight) {
        if (Speed > TargetSpeed)
            HardBrake();
        else
            Speed = TargetSpeed;
        if (SpinTime > 0) {
            SpinTime -= FrameMs;
            Heading = SpeedOrder == soSpinLeft ? -14 : 14;
        }
        if (Speed == TargetSpeed && SpinTime <= 0) SpeedOrder = soNone;
    }
}
