// The component hub: the display, picture lists, sprite engine, input, sound and timer every
// screen draws with. The form fills it at start-up; tests fill it with their own components.
#pragma once

class TDXDraw;
class TDXImageList;
class TDXSpriteEngine;
class TDXInput;
class TDXSound;
class TDXWaveList;
class TDXTimer;

// What the game code uses of the main form's components; any of them may be absent in a test.
struct TGame {
    TDXDraw* DXDraw = nullptr;               // MDXDraw
    TDXImageList* ImageList = nullptr;       // MDXImageList: menu and common pictures
    TDXImageList* ImageList3 = nullptr;      // MDXImageList3: race pictures
    TDXSpriteEngine* SpriteEngine = nullptr; // MDXSpriteEngine
    TDXInput* Input = nullptr;               // MDXInput
    TDXSound* Sound = nullptr;               // MDXSound
    TDXWaveList* WaveList = nullptr;         // MDXWaveList
    TDXTimer* Timer = nullptr;               // MDXTimer
};

// The one instance, filled by the form.
extern TGame Game;

// The menu and common pictures (MDXImageList), the race pictures (MDXImageList3), and the
// list of the current screen: the race list during the race, the menu list otherwise.
TDXImageList& MenuPictures();
TDXImageList& RacePictures();
TDXImageList& ScreenPictures();
// The root every game sprite is created under.
class TSprite;
TSprite& SpriteRoot();

// The game's components as one set, for WireComponents.
struct TComponentSet {
    TDXDraw& DXDraw;
    TDXImageList& ImageList;
    TDXImageList& ImageList3;
    TDXSpriteEngine& SpriteEngine;
    TDXInput& Input;
    TDXTimer& Timer;
    TDXSound* Sound = nullptr;
    TDXWaveList* WaveList = nullptr;
};

// Gives the display its fixed 800 x 600 mode in 16 bits, puts the picture lists and the sprite
// engine on it, and fills Game with the set. The form and the race tests start the same way.
void WireComponents(const TComponentSet& set);
