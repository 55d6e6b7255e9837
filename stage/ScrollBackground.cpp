#include "stage/ScrollBackground.h"

#include "engine/PictureCollection.h"
#include "stage/GameState.h"

TScrollBackground::TScrollBackground(TSprite* parent, TDXImageList& list, const std::string& name)
    : TBackgroundSprite(parent) {
    ResizeMap(1, 1);
    Image = &list.Items().FindItem(name);
    X = 0;
    Y = 0;
    SetZ(1);
    Tiled = true;
}

void TScrollBackground::Advance(int) {
    if (ScreenMode != smRace || !Scroll) return;
    const double* step = Scroll();
    if (!step) return;
    Y += *step;
    if (Y > 600) Y -= 600;
}
