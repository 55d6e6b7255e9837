#include "race/RaceMedia.h"

#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "records/Game.h"
#include "records/GameSound.h"

std::function<void(const char* name, bool play)> RaceSoundListener;

TPictureCollectionItem& RacePicture(const char* name) {
    return Game.ImageList3->Items().FindItem(name);
}

TDirectDrawSurface& RaceSurface() {
    return Game.DXDraw->BackSurface();
}

void RacePlaySound(const char* name) {
    if (RaceSoundListener) RaceSoundListener(name, true);
    PlaySound(name);
}

void RaceStopSound(const char* name) {
    if (RaceSoundListener) RaceSoundListener(name, false);
    StopSound(name);
}
