// The full-screen tiled background behind every screen: still in the menus, scrolling with the
// river in the race.
#pragma once
#include <string>

#include "engine/DXSprite.h"

class TDXImageList;

// One cell showing pattern 0 of a picture, at (0, 0), depth 1, tiled over the display.
class TScrollBackground : public TBackgroundSprite {
  public:
    // How far the river moved down this frame; null when nothing scrolls it (no boat yet).
    using TScrollSource = const double* (*)();

    // Picture Name of the given list.
    TScrollBackground(TSprite* parent, TDXImageList& list, const std::string& name);

    // In the race: moves down by the scroll source's step, kept within (0, 600].
    void Advance(int moveCount) override;

    // Set by the race when it starts; read only while the race is the screen.
    TScrollSource Scroll = nullptr;
};
