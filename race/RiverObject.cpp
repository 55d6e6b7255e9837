#include "race/RiverObject.h"

#include <cmath>

#include "engine/PictureCollection.h"
#include "race/Boat.h"
#include "race/Course.h"
#include "race/Effects.h"
#include "race/RaceMedia.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"

namespace {

constexpr double ShipSpeed = 20.0 / 14;
constexpr double BoatContactSpeed = 50.0 / 14;  // on-screen closing speed that wrecks
constexpr double BridgeWreckSpeed = 100.0 / 14; // faster than this, a bridge wrecks
constexpr int32_t ShipRightEdge = 607, ShipLeftEdge = 177;
constexpr int32_t LaneLeft = 180, LaneRight = 604;

} // namespace

TWallSprite::TWallSprite(TSprite* parent, int kind, int slot) : TImageSprite(parent) {
    const TRiverKindInfo& info = RiverKindInfo(kind);
    PixelExact = false;
    Kind = static_cast<uint8_t>(kind);
    Slot = slot;
    Bank = bkEither;

    // Per-kind settings.
    const char* picture = info.Picture;
    Unshootable = info.Unshootable;
    BlastSize = info.BlastSize;
    IsBox = IsBoxKind(kind);
    IsVessel = info.IsVessel;
    Upstream = info.Upstream;
    int32_t z = 0;
    switch (info.Placement) {
    case TPlacement::Water:
        RandomX = true;
        break;
    case TPlacement::EitherBank:
        RandomX = true;
        OnShore = true;
        Bank = bkEither;
        break;
    case TPlacement::LeftBank:
        RandomX = true;
        OnShore = true;
        Bank = bkLeft;
        break;
    case TPlacement::RightBank:
        RandomX = true;
        OnShore = true;
        Bank = bkRight;
        break;
    case TPlacement::Fixed:
        X = info.FixedX;
        break;
    }
    if (kind == rkShip) {
        z = 3;
        if (RandomBelow(2) == 0) {
            picture = "ShipRight";
            Bank = bkLeft;
            VelocityX = ShipSpeed;
        } else {
            picture = "ShipLeft";
            Bank = bkRight;
            VelocityX = -ShipSpeed;
        }
    } else if (kind == rkBridge) {
        if (RandomBelow(2) == 0) {
            picture = "BridgeBigLeft";
            X = 170;
        } else {
            picture = "BridgeBigRight";
            X = 534;
        }
    }

    // Other racers' boats: their own speed up or down the river.
    if (IsBoatKind(kind)) {
        IsVessel = true;
        RandomX = true;
        if (Upstream)
            DriftY = -(RandomBelow(70) + 30) / 14.0;
        else
            DriftY = (RandomBelow(60) + 20) / 14.0;
        SwerveTime = 0;
        z = 3;
    }

    Image = &RacePicture(picture);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
    if (IsBoatKind(kind)) LaneMargin = static_cast<int32_t>(std::trunc(38 - Width / 2.0));

    if (RandomX) {
        if (!OnShore) {
            X = RandomBelow(431 - Width) + 178;
        } else {
            int32_t r = RandomBelow(2);
            if (Bank == bkLeft || (Bank == bkEither && r == 0))
                X = RandomBelow(48 - Width) + 127;
            else
                X = RandomBelow(51 - Width) + 610;
        }
    }

    Y = -140;
    SetZ(z == 0 ? 2 : z);
    Rejected = kind != rkFinishLine && OverlapsAnyObject(slot, X, Y, Width, Height);
}

TWallSprite::~TWallSprite() {
    if (Slot >= 1 && Slot <= MaxRiverObjects) {
        RiverObjectUsed[Slot] = false;
        if (RiverObjects[Slot] == this) RiverObjects[Slot] = nullptr;
    }
}

void TWallSprite::SetPicture(const char* name) {
    Image = &RacePicture(name);
}

void TWallSprite::Explode() {
    if (PlayerBoat && PlayerBoat->State == bsRacing) PlaySound("WallExplosion");
    if (BlastSize == 1)
        SetPicture("ExplosionSmall");
    else if (BlastSize == 2)
        SetPicture("ExplosionBig");
    // Keep the centre where it was.
    const int32_t w = Image->FrameWidth(), h = Image->FrameHeight();
    X -= (w - Width) / 2.0;
    Y -= (h - Height) / 2.0;
    Width = w;
    Height = h;
    AnimFrames = Image->NumPatterns();
    AnimLoop = false;
    AnimRate = FrameMs / 1000.0 * 15;
    AnimPosition = 0;
    DriftY = 0;
    VelocityX = 0;
    Exploded = true;
}

void TWallSprite::CollideWith(TSprite* other, bool& /*stop*/) {
    TMyCarSprite* boat = PlayerBoat;
    if (other == boat && boat) {
        if (boat->Airborne || Exploded) return;
        CollisionEnabled = false; // an object acts on the boat only once
        if (!boat->CrossedFinish) {
            switch (Kind) {
            case rkTree:
                PlaySound("Tree");
                boat->SpeedOrder = soSlowDown;
                boat->TargetSpeed = boat->Speed / 2;
                break;
            case rkRamp:
                // Only a ramp met with the bow launches; touched from the side it is spent.
                if (Y + Height / 2.0 < boat->Y) boat->Jump();
                break;
            case rkFlag:
                PlaySound("Flag");
                boat->SpeedOrder = soSlowDown;
                boat->TargetSpeed = boat->Speed > 5 ? boat->Speed - 5 : 0;
                break;
            case rkWeed:
                PlaySound("Weed");
                boat->SpeedOrder = RandomBelow(2) == 0 ? soSpinLeft : soSpinRight;
                boat->SpinTime = 700;
                boat->TargetSpeed = boat->Speed > BoatContactSpeed ? boat->Speed - BoatContactSpeed : 0;
                break;
            case rkFisher:
            case rkShip:
                Explode();
                boat->Wreck();
                break;
            case rkBridge:
                Explode();
                if (boat->Speed > BridgeWreckSpeed)
                    boat->Wreck();
                else
                    boat->Speed = 0;
                break;
            case rkDuck:
                PlaySound("Duck");
                TMyCarSprite::SubtractScore(100);
                Collected = true;
                break;
            case rkBonus10:
            case rkBonus20:
            case rkBonus50:
            case rkBonus100: {
                static constexpr uint16_t Points[4] = {10, 20, 50, 100};
                PlaySound("Money");
                TMyCarSprite::AddScore(Points[Kind - rkBonus10]);
                Collected = true;
                break;
            }
            case rkGun:
                boat->GainPowerUp(TPowerUp::Gun);
                Collected = true;
                break;
            case rkShield:
                boat->GainPowerUp(TPowerUp::Shield);
                Collected = true;
                break;
            case rkEngine:
                boat->GainPowerUp(TPowerUp::Engine);
                Collected = true;
                break;
            case rkLife:
                PlaySound("Bonus");
                Lives += 1;
                Collected = true;
                break;
            default:
                break;
            }
        }
        // Other boats, also after the finish: a fast meeting wrecks, any meeting stops.
        if (IsBoatKind(Kind)) {
            if (std::fabs(DriftY + boat->ScrollStep) > BoatContactSpeed) boat->Wreck();
            if (!boat->HasShield) boat->Speed = 0;
            Explode();
        }
        return;
    }

    auto* object = dynamic_cast<TWallSprite*>(other);
    if (!object || !IsVessel || Exploded || object->Exploded) return;
    if (object->IsVessel) {
        object->Explode();
        Explode();
    } else if (object->Kind == rkBridge || object->Kind == rkFisher) {
        object->Explode();
        if (!Exploded) Explode();
    }
}

void TWallSprite::Advance(int moveCount) {
    TImageSprite::Advance(moveCount);
    Collide();
    if (Kind == rkFinishLine) FinishLineY = Y;
    const double scroll = PlayerBoat ? PlayerBoat->ScrollStep : 0;
    if (!IsVessel) {
        Y += scroll;
        return;
    }
    X += VelocityX;
    Y += scroll + DriftY;
    if (Kind == rkShip) {
        if (X + Width > ShipRightEdge) {
            X = ShipRightEdge - Width;
            VelocityX = -VelocityX;
            SetPicture("ShipLeft");
        }
        if (X < ShipLeftEdge) {
            X = ShipLeftEdge;
            VelocityX = -VelocityX;
            SetPicture("ShipRight");
        }
        return;
    }
    // Boats swerve now and then, but keep to their lane.
    if (!Exploded && SwerveTime == 0) {
        int32_t r = RandomBelow(150);
        if (r == 1) {
            VelocityX = (RandomBelow(10) + 20) / 14.0;
            SwerveTime = RandomBelow(100) + 400;
        } else if (r == 2) {
            VelocityX = -(RandomBelow(10) + 20) / 14.0;
            SwerveTime = RandomBelow(100) + 400;
        }
    }
    if (SwerveTime > 0) {
        SwerveTime -= FrameMs;
    } else {
        VelocityX = 0;
        SwerveTime = 0;
    }
    if (X - LaneMargin < LaneLeft) {
        X = LaneMargin + LaneLeft;
        VelocityX = 0;
        SwerveTime = 0;
    }
    if (X + Width + LaneMargin > LaneRight) {
        X = LaneRight - Width - LaneMargin;
        VelocityX = 0;
        SwerveTime = 0;
    }
}

void TWallSprite::Render() {
    TDirectDrawSurface& surface = RaceSurface();
    if (IsBox && !Exploded) {
        TPictureCollectionItem& box = RacePicture(X > 392 ? "BoxRight" : "BoxLeft");
        box.DrawPattern(surface, static_cast<int>(std::trunc(X)), static_cast<int>(std::trunc(Y)), 0);
        TPictureCollectionItem& icon = RacePicture(RiverKindInfo(Kind).Icon);
        icon.DrawPattern(surface, static_cast<int>(std::trunc(X - (icon.FrameWidth() - Width) / 2.0)),
                         static_cast<int>(std::trunc(Y - (icon.FrameHeight() - Height) / 2.0)) - 4, 0);
        return;
    }
    if (IsBoatKind(Kind) && !Exploded && WakeClock) {
        const int pattern = static_cast<int>(std::trunc(WakeClock->AnimPosition));
        if (DriftY > 0) {
            TPictureCollectionItem& wake = RacePicture("BoatAnim_Inv");
            wake.DrawPattern(surface, static_cast<int>(std::trunc(X + Width / 2.0 - wake.FrameWidth() / 2.0)),
                             static_cast<int>(std::trunc(Y - (wake.FrameHeight() - Height))), pattern);
        } else {
            TPictureCollectionItem& wake = RacePicture("BoatAnim");
            wake.DrawPattern(surface, static_cast<int>(std::trunc(X + Width / 2.0 - wake.FrameWidth() / 2.0)),
                             static_cast<int>(std::trunc(Y)), pattern);
        }
    }
    TImageSprite::Render();
}

void RemoveSpentObjects() {
    for (int i = 1; i <= MaxRiverObjects; ++i) {
        if (!RiverObjectUsed[i] || !RiverObjects[i]) continue;
        TWallSprite* o = RiverObjects[i];
        const bool animDone = o->AnimPosition >= o->AnimFrames - 1;
        if ((animDone && !o->CollisionEnabled && o->AnimPosition > 0) || o->Y > 1000 || o->Y < -800 ||
            o->Collected || (o->Exploded && animDone))
            delete o;
    }
}

void ClearRiverObjects() {
    for (int i = 1; i <= MaxRiverObjects; ++i) {
        if (RiverObjectUsed[i] && RiverObjects[i]) delete RiverObjects[i];
        RiverObjectUsed[i] = false;
        RiverObjects[i] = nullptr;
    }
}
