// Caption sprites: pictures that only stand on the screen (panels, titles, markers, dialog
// backdrops). Shared by the race and the menu screens.
#pragma once
#include "engine/DXSprite.h"

class TDXImageList;

// A still picture, centred on the display until its creator places it; depth 3.
class TCaptionSprite : public TImageSprite {
  public:
    // Creates the caption under Parent showing Picture of the given list.
    TCaptionSprite(TSprite* parent, TDXImageList& list, const char* picture);
    // Shows another picture of the same list; the size stays.
    void SetPicture(const char* picture);

  private:
    TDXImageList* list_;
};
