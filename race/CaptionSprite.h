// Caption sprites: pictures that only stand on the screen (panels, titles, markers, dialog
// backdrops). Shared by the race and the menu screens.
#pragma once
#include "engine/DXSprite.h"

// A still picture, centred on the display until its creator places it; depth 3.
class TCaptionSprite : public TImageSprite {
public:
    // Creates the caption under Parent showing Picture, taken from the race list during the race
    // and from the menu list otherwise.
    TCaptionSprite(TSprite* parent, const char* picture);
    // Shows another picture of the menu list; the size stays.
    void SetPicture(const char* picture);
};
