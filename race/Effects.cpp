// The effect sprites of the race.
#include "race/Effects.h"

#include <cmath>

#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "race/Boat.h"
#include "race/RaceMedia.h"
#include "race/RaceState.h"
#include "stage/GameState.h"

namespace {

TPictureCollectionItem& RaceItem(const std::string& name) {
    return RacePicture(name.c_str());
}

// Frames per second of the game's fixed frame length, as an animation rate per frame.
double PerFrame(double patternsPerSecond) {
    return FrameMs / 1000.0 * patternsPerSecond;
}

} // namespace

TExplosion::TExplosion(TSprite* parent, const std::string& name, double x, double y) : TImageSprite(parent) {
    Image = &RaceItem(name);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
    X = x;
    Y = y;
    SetZ(4);
    Visible = false;
    AnimPosition = 0;
    AnimFrames = Image->NumPatterns();
    AnimLoop = true;
    AnimRate = PerFrame(15);
}

void TExplosion::Advance(int moveCount) {
    TImageSprite::Advance(moveCount);
}

TMyCarAnim::TMyCarAnim(TSprite* parent, const std::string& name, double x, double y, int z)
    : TImageSprite(parent) {
    Image = &RaceItem(name);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
    X = x;
    Y = y;
    SetZ(z);
    AnimPosition = 0;
    AnimFrames = Image->NumPatterns();
    AnimRate = PerFrame(1);
    AnimLoop = true;
}

void TMyCarAnim::Render() {
    if (!Image || !PlayerBoat || !Engine() || !Engine()->Surface()) return;
    Image->DrawRotated(*Engine()->Surface(), int(std::trunc(PlayerBoat->MidX)),
                       int(std::trunc(PlayerBoat->MidY)), Width, Height, int(std::trunc(AnimPosition)), 0.5,
                       0.5, PlayerBoat->Heading);
}

void TMyCarAnim::Advance(int moveCount) {
    TImageSprite::Advance(moveCount);
    if (PlayerBoat) X = PlayerBoat->X - (84 - PlayerBoat->Width) / 2.0;
}
