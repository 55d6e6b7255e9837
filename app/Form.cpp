#include "app/Form.h"

#include "app/Dialogs.h"
#include "app/InputDispatch.h"
#include "app/Screens.h"
#include "engine/Errors.h"
#include "race/Effects.h"
#include "race/RaceFlow.h"
#include "race/RaceMedia.h"
#include "race/Random.h"
#include "records/Game.h"
#include "records/GameState.h"
#include "records/HighScores.h"
#include "records/Music.h"
#include "records/Options.h"
#include "records/SaveFiles.h"
#include "records/TextStyles.h"

TMForm* MForm = nullptr;

TMForm::TMForm(platform::Window& window)
    : Window(window), MDXDraw(&window), MDXInput(&window), MDXSound(this) {
    MForm = this;
    // Design-time settings of the components.
    MDXDraw.Display.SetWidth(800);
    MDXDraw.Display.SetHeight(600);
    MDXDraw.Display.SetBitCount(16);
    MDXDraw.Display.FixedBitCount = MDXDraw.Display.FixedRatio = MDXDraw.Display.FixedSize = true;
    MDXDraw.SetOptions({doAllowReboot, doHardware, doSelectDriver});
    MDXDraw.OnInitialize = [this] { MDXDrawInitialize(); };
    MDXDraw.OnFinalize = [this] { MDXDrawFinalize(); };
    MDXImageList.SetDXDraw(&MDXDraw);
    MDXImageList3.SetDXDraw(&MDXDraw);
    MDXTimer.Loading = true;
    MDXTimer.SetInterval(15);
    MDXTimer.ActiveOnly = true;
    MDXTimer.SetEnabled(false);
    MDXTimer.OnTimer = [this](int lag) { MDXTimerTimer(lag); };
    MDXTimer.Loaded();
    MDXSpriteEngine.SetDXDraw(&MDXDraw);
    MDXInput.ActiveOnly = true;
    MDXInput.Keyboard.Assigns = TKeyboard::GameAssigns();
    MDXInput.Mouse.BindInputStates = false;
    MDXInput.Reinitialize();
    MDXWaveList.SetDXSound(&MDXSound);
    MDXSound.Loaded();

    Game = TGame{};
    Game.DXDraw = &MDXDraw;
    Game.ImageList = &MDXImageList;
    Game.ImageList3 = &MDXImageList3;
    Game.SpriteEngine = &MDXSpriteEngine;
    Game.Input = &MDXInput;
    Game.Timer = &MDXTimer;
    Game.Sound = &MDXSound;
    Game.WaveList = &MDXWaveList;
    Game.BuildMainMenu = [](bool full, int followUp) { BuildMainMenu(full, followUp); };
    Game.ApplyDisplayMode = [this] { ApplyDisplayMode(); };
    Game.Terminate = [this] { Terminate(); };
    InstallDialogs();

    FormCreate();
}

TMForm::~TMForm() {
    FormDestroy();
    // Sprites go before the display they draw on.
    MDXSpriteEngine.Engine().DestroyChildren();
    Background = nullptr;
    Game = TGame{};
    if (MForm == this) MForm = nullptr;
}

void TMForm::FormCreate() {
    // 1. The data: without these the game cannot run; a missing file raises with its name.
    MDXImageList.Items().LoadListFile(Paths.Res1);
    MDXImageList3.Items().LoadListFile(Paths.Res3);
    MDXWaveList.Items.LoadListFile(Paths.Sounds);
    // 2..4.
    ScreenMode = smStartUp;
    SeedRandom();
    FrameMs = 15;
    VelocityScale = 0.5;
    // 5, 6. Saves: missing files give the defaults; a table that fails its check is reset (or, after
    // an interrupted save, taken from the pair that save was replacing).
    LoadOptionsAndHighScores();
    // 7. The display (its initialise event enables the timer).
    ApplyDisplayMode();
    // 8..10.
    ResetInputEdges();
    // Opens the fonts now rather than on the first frame that draws text.
    PrepareTextStyles();
    Background = new TScrollBackground(&MDXSpriteEngine.Engine(), "MMBackground");
    BuildMainMenu(true, 0);
}

void TMForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    SaveOptionsAndHighScores();
    Terminate();
}

void TMForm::ApplyDisplayMode() {
    MDXDraw.Display.SetBitCount(16);
    if (Options.FullScreen == 1) EnterFullScreen();
    else EnterWindowed();
}

void TMForm::EnterFullScreen() {
    MDXDraw.FinalizeDisplay();
    Window.StorePlacement();
    TDXDrawOptions o = MDXDraw.Options();
    o.Include(doFullScreen);
    MDXDraw.SetOptions(o);
    MDXDraw.InitializeDisplay();
}

void TMForm::EnterWindowed() {
    MDXDraw.FinalizeDisplay();
    TDXDrawOptions o = MDXDraw.Options();
    o.Exclude(doFullScreen);
    MDXDraw.SetOptions(o);
    MDXDraw.InitializeDisplay();
    // Back in a window: the placement stored before full screen comes back, then the window
    // is centred on the screen, in this order, as the game has always left full screen.
    Window.RestorePlacement();
    Window.Center();
}

bool MinimisingPausesOver(int dialogKind) {
    // The pause replaces a dialog only where closing it loses nothing. Over time over the
    // level would not restart (and the next time-out costs another life), over the name entry
    // the name and score would be lost, over game over the name entry it opens would be left
    // behind, and the send questions would end the race half way. A pause is already a pause.
    return dialogKind == 0 || dialogKind == 1 || dialogKind == 4;
}

void ResetInputEdges() {
    PauseKeyHit = EscKeyHit = YesKeyHit = NoKeyHit = false;
    PauseKeyWasDown = EscKeyWasDown = YesKeyWasDown = NoKeyWasDown = false;
}

void UpdateInputEdges(const TDXInput& input) {
    auto edge = [&](bool& hit, bool& wasDown, TDXInputState s) {
        bool down = input.Has(s);
        hit = down && !wasDown;
        wasDown = down;
    };
    edge(PauseKeyHit, PauseKeyWasDown, isButton4);
    edge(EscKeyHit, EscKeyWasDown, isButton5);
    edge(YesKeyHit, YesKeyWasDown, isButton6);
    edge(NoKeyHit, NoKeyWasDown, isButton7);
}

void TMForm::MDXTimerTimer(int lagCount) {
    KeepMusicGoing();
    MDXInput.Poll();
    UpdateInputEdges(MDXInput);
    if (DialogKind == 9 || DialogKind == 10) {
        if (Game.DialogFrame) Game.DialogFrame(lagCount);
        return;
    }
    switch (ScreenMode) {
        case smMainMenu: MainMenuFrame(lagCount); break;
        case smOptions: OptionsFrame(lagCount); break;
        case smRace: RaceFrame(lagCount); break;
        case smHighScores: HighScoresFrame(lagCount); break;
        case smHelp: HelpFrame(lagCount); break;
        case smBoatChoice: BoatChoiceFrame(lagCount); break;
        default: break;
    }
}

void TMForm::HandleEvent(const platform::Event& e) {
    using platform::EventKind;
    switch (e.Kind) {
        case EventKind::KeyDown: FormKeyDown(e.Key, e.Alt); break;
        case EventKind::KeyUp: FormKeyUp(e.Key); break;
        case EventKind::KeyChar: FormKeyPress(e.Char); break;
        case EventKind::MouseMove: MDXDrawMouseMove(e.X, e.Y); break;
        case EventKind::Click:
        case EventKind::DoubleClick: MDXDrawClick(); break;
        case EventKind::CloseRequest:
            if (FormCloseQuery()) Terminate();
            break;
        case EventKind::Minimized:
            if (ScreenMode == smRace && MinimisingPausesOver(DialogKind) && Game.OpenDialog) {
                Game.OpenDialog(2);
                // Closing the finish question brings the gun back; the pause stays silent.
                RaceStopSound("Shot");
            }
            break;
        case EventKind::Activated: MDXTimer.ApplicationActivated(); break;
        case EventKind::Deactivated: MDXTimer.ApplicationDeactivated(); break;
        case EventKind::Quit: Terminate(); break;
        default: break;
    }
}
