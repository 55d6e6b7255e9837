// The form's components and the shell operations that the race and the records reach for.
// The form fills this in at start-up; tests fill it with their own display and lists. It lives
// here, below the shell, so the race can open a dialog or end a frame without depending on the
// shell itself.
#pragma once
#include <cstdint>
#include <functional>

class TDXDraw;
class TDXImageList;
class TDXSpriteEngine;
class TDXInput;
class TDXSound;
class TDXWaveList;
class TDXTimer;

// What the game code uses of the main form.
struct TGame {
    TDXDraw* DXDraw = nullptr;             // MDXDraw
    TDXImageList* ImageList = nullptr;     // MDXImageList: menu and common pictures
    TDXImageList* ImageList3 = nullptr;    // MDXImageList3: race pictures
    TDXSpriteEngine* SpriteEngine = nullptr;  // MDXSpriteEngine
    TDXInput* Input = nullptr;             // MDXInput
    TDXSound* Sound = nullptr;             // MDXSound
    TDXWaveList* WaveList = nullptr;       // MDXWaveList
    TDXTimer* Timer = nullptr;             // MDXTimer

    // Dialog overlays (kinds 1..10): open, close, and the dialog's own frame.
    std::function<void(int kind)> OpenDialog;
    std::function<void()> CloseDialog;
    std::function<void(int lagCount)> DialogFrame;
    // Rebuilds the main menu (Full: after a race, with music) and opens FollowUp afterwards.
    std::function<void(bool full, int followUp)> BuildMainMenu;
    // Switches between window and full screen after Options.FullScreen changed.
    std::function<void()> ApplyDisplayMode;
    // Ends the application (the exit dialog's Yes).
    std::function<void()> Terminate;
};

// The one instance, filled by the form.
extern TGame Game;

// Fills the back surface with black, optionally advances every sprite by the lag count, and
// draws every sprite; nothing when the display cannot draw.
void StartFrame(int lagCount, bool advance);
// Hands the text canvas back and presents the back surface; nothing when the display cannot draw.
void EndFrame();
// Shows the system cursor (menus) / hides it (the race), whatever the counter was before.
void ShowMouseCursor();
void HideMouseCursor();
