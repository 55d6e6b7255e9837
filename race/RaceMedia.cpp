#include "race/RaceMedia.h"

#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "stage/Game.h"

TPictureCollectionItem& RacePicture(const char* name) {
    return RacePictures().Items().FindItem(name);
}

TDirectDrawSurface& RaceSurface() {
    return Game.DXDraw->BackSurface();
}
