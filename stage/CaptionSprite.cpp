#include "stage/CaptionSprite.h"

#include "engine/DXDraw.h"
#include "engine/PictureCollection.h"
#include "stage/Game.h"

TCaptionSprite::TCaptionSprite(TSprite* parent, TDXImageList& list, const char* picture)
    : TImageSprite(parent), list_(&list) {
    Image = &list.Items().FindItem(picture);
    Width = Image->FrameWidth();
    Height = Image->FrameHeight();
    const double displayWidth = Game.DXDraw ? Game.DXDraw->SurfaceWidth() : 800;
    const double displayHeight = Game.DXDraw ? Game.DXDraw->SurfaceHeight() : 600;
    X = displayWidth / 2 - Width / 2.0;
    Y = displayHeight / 2 - Height / 2.0;
    SetZ(3);
    AnimPosition = 0;
    AnimFrames = Image->NumPatterns();
    AnimLoop = false;
    AnimRate = 0;
}

void TCaptionSprite::SetPicture(const char* picture) {
    Image = &list_->Items().FindItem(picture);
}
