#include "stage/Game.h"

#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXSprite.h"
#include "engine/PictureCollection.h"

#include "stage/GameState.h"

TGame Game;

TDXImageList& MenuPictures() {
    return *Game.ImageList;
}

TDXImageList& RacePictures() {
    return *Game.ImageList3;
}

TDXImageList& ScreenPictures() {
    return ScreenMode == smRace ? RacePictures() : MenuPictures();
}

TSprite& SpriteRoot() {
    return Game.SpriteEngine->Engine();
}

void WireComponents(const TComponentSet& set) {
    TDXDraw& draw = set.DXDraw;
    draw.Display.SetWidth(800);
    draw.Display.SetHeight(600);
    draw.Display.SetBitCount(16);
    draw.Display.FixedBitCount = draw.Display.FixedRatio = draw.Display.FixedSize = true;
    draw.SetOptions({doAllowReboot, doHardware, doSelectDriver});
    set.ImageList.SetDXDraw(&draw);
    set.ImageList3.SetDXDraw(&draw);
    set.SpriteEngine.SetDXDraw(&draw);

    Game = TGame{};
    Game.DXDraw = &draw;
    Game.ImageList = &set.ImageList;
    Game.ImageList3 = &set.ImageList3;
    Game.SpriteEngine = &set.SpriteEngine;
    Game.Input = &set.Input;
    Game.Timer = &set.Timer;
    Game.Sound = set.Sound;
    Game.WaveList = set.WaveList;
}
