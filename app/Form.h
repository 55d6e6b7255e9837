// The main form: owns every component of the game (display, picture lists, timer, sprite engine,
// input, sound), runs start-up and shutdown, turns window events into the form's handlers and
// runs one frame per timer event.
#pragma once
#include <memory>
#include <string>

#include "engine/DXClass.h"
#include "engine/DXDraw.h"
#include "engine/DXInput.h"
#include "engine/DXSounds.h"
#include "engine/DXSprite.h"
#include "engine/PictureCollection.h"
#include "platform/Window.h"

// Where the game finds its data and keeps its saves, relative to the working directory.
struct TDataPaths {
    std::string Res1 = "Data/Res/Res1.dxg";
    std::string Res3 = "Data/Res/Res3.dxg";
    std::string Sounds = "Data/Res/Sounds.dxw";
};

class TMForm {
  public:
    // Creates the components on Window and runs FormCreate; start-up errors propagate (the
    // program entry reports them).
    explicit TMForm(platform::Window& window);
    // Runs FormDestroy (saves the options and the high-score table).
    ~TMForm();
    TMForm(const TMForm&) = delete;
    TMForm& operator=(const TMForm&) = delete;

    platform::Window& Window;
    TDXDraw MDXDraw;
    TDXImageList MDXImageList;
    TDXImageList MDXImageList3;
    TDXTimer MDXTimer;
    TDXSpriteEngine MDXSpriteEngine;
    TDXInput MDXInput;
    TDXSound MDXSound;
    TDXWaveList MDXWaveList;

    // Start-up in its fixed order; shutdown.
    void FormCreate();
    void FormDestroy();

    // One frame (the timer's event).
    void MDXTimerTimer(int lagCount);
    // The display was initialised / finalised: the frame loop follows it.
    void MDXDrawInitialize() { MDXTimer.SetEnabled(true); }
    void MDXDrawFinalize() { MDXTimer.SetEnabled(false); }

    // Hands one window event to the matching handler.
    void HandleEvent(const platform::Event& e);

    // Window / full screen from Options.FullScreen.
    void ApplyDisplayMode();
    void EnterFullScreen();
    void EnterWindowed();

    // Asks the application to end; the main loop stops after the current event.
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }

    TDataPaths Paths;

  private:
    bool terminated_ = false;
    bool destroyed_ = false;
};

// Whether minimising the window during a race opens the pause over this dialog (0 = none).
bool MinimisingPausesOver(int dialogKind);

// The one form of the program (set while it exists).
extern TMForm* MForm;
