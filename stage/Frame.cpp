// The frame operations every screen uses, and the mouse cursor switch.
#include "stage/Frame.h"

#include "engine/DXDraw.h"
#include "engine/DXSprite.h"
#include "engine/SurfaceCanvas.h"
#include "platform/Window.h"
#include "stage/Game.h"

void StartFrame(int lagCount, bool advance) {
    if (!Game.DXDraw || !Game.DXDraw->ReadyToDraw()) return;
    Game.DXDraw->BackSurface().FillAll(0);
    if (Game.SpriteEngine) {
        if (advance) Game.SpriteEngine->Move(lagCount);
        Game.SpriteEngine->Draw();
    }
}

void EndFrame() {
    if (!Game.DXDraw || !Game.DXDraw->ReadyToDraw()) return;
    Game.DXDraw->BackSurface().ReleaseCanvas();
    Game.DXDraw->FlipPage();
}

// The counter is the platform's; looping makes the result independent of earlier calls.
void ShowMouseCursor() {
    if (!Game.DXDraw || !Game.DXDraw->Window()) return;
    while (Game.DXDraw->Window()->ShowCursor(true) <= 0) {
    }
}

void HideMouseCursor() {
    if (!Game.DXDraw || !Game.DXDraw->Window()) return;
    while (Game.DXDraw->Window()->ShowCursor(false) >= 0) {
    }
}
