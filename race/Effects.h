// The effect sprites of the race: looping explosions and animation clocks, and the boat's wake.
#pragma once
#include <string>

#include "engine/DXSprite.h"

// A looping pattern animation placed by its owner; created hidden. Some instances only serve as
// clocks whose AnimPosition picks a pattern drawn by another sprite.
class TExplosion : public TImageSprite {
  public:
    // Picture Name from the race list at (X, Y): Z 4, hidden, looping at 15 patterns a second.
    TExplosion(TSprite* parent, const std::string& name, double x, double y);

    // The image sprite's animation step only.
    void Advance(int moveCount) override;
};

// The player's wake: a looping animation centred on the boat and turned with it (the historical
// name says car animation; it is the boat's wake).
class TMyCarAnim : public TImageSprite {
  public:
    // Picture Name from the race list at (X, Y) and depth Z, looping at one pattern a second
    // until the boat sets its rate.
    TMyCarAnim(TSprite* parent, const std::string& name, double x, double y, int z);

    // Draws the current pattern centred on the boat's middle, turned by the boat's heading.
    void Render() override;
    // Steps the animation, then follows the boat sideways (for the off-surface test).
    void Advance(int moveCount) override;
};
