#include "app/Form.h"

#include "app/InputDispatch.h"
#include "app/QuestionDialogs.h"
#include "app/Screens.h"
#include "engine/Errors.h"
#include "race/RaceDialogs.h"
#include "race/RaceFlow.h"
#include "race/Random.h"
#include "records/HighScores.h"
#include "records/Music.h"
#include "records/Options.h"
#include "records/SaveFiles.h"
#include "stage/Dialogs.h"
#include "stage/Game.h"
#include "stage/GameSound.h"
#include "stage/GameState.h"
#include "stage/KeyEdges.h"
#include "stage/ScrollBackground.h"
#include "stage/TextStyles.h"

TMForm* MForm = nullptr;

TMForm::TMForm(platform::Window& window)
    : Window(window), MDXDraw(&window), MDXInput(&window), MDXSound(this) {
    MForm = this;
    // Design-time settings of the components; the display, lists and sprite engine are wired
    // as the race tests wire theirs.
    WireComponents(
        {MDXDraw, MDXImageList, MDXImageList3, MDXSpriteEngine, MDXInput, MDXTimer, &MDXSound, &MDXWaveList});
    MDXDraw.OnInitialize = [this] { MDXDrawInitialize(); };
    MDXDraw.OnFinalize = [this] { MDXDrawFinalize(); };
    MDXTimer.Loading = true;
    MDXTimer.SetInterval(15);
    MDXTimer.ActiveOnly = true;
    MDXTimer.SetEnabled(false);
    MDXTimer.OnTimer = [this](int lag) { MDXTimerTimer(lag); };
    MDXTimer.Loaded();
    MDXInput.ActiveOnly = true;
    MDXInput.Keyboard.Assigns = TKeyboard::GameAssigns();
    MDXInput.Mouse.BindInputStates = false;
    MDXInput.Reinitialize();
    MDXWaveList.SetDXSound(&MDXSound);
    MDXSound.Loaded();

    RegisterRaceDialogs();
    RegisterShellDialogs();
    // After a race the main menu is built anew and opens the high-score table.
    SetRaceOverHandler([] { BuildMainMenu(true, fuHighScores); });

    FormCreate();
}

TMForm::~TMForm() {
    FormDestroy();
    // Sprites go before the display they draw on.
    MDXSpriteEngine.Engine().DestroyChildren();
    Background = nullptr;
    ClearDialogs();
    Game = TGame{};
    if (MForm == this) MForm = nullptr;
}

void TMForm::FormCreate() {
    // The data: without these the game cannot run; a missing file raises with its name.
    MDXImageList.Items().LoadListFile(Paths.Res1);
    MDXImageList3.Items().LoadListFile(Paths.Res3);
    MDXWaveList.Items.LoadListFile(Paths.Sounds);
    // The start-up screen mode, a seed for the course from the clock, and the frame pace.
    ScreenMode = smStartUp;
    SeedRandom();
    FrameMs = 15;
    VelocityScale = 0.5;
    // Saves: missing files give the defaults; a table that fails its check is reset (or, after
    // an interrupted save, taken from the pair that save was replacing).
    LoadOptionsAndHighScores();
    // The display (its initialise event enables the timer).
    ApplyDisplayMode();
    // No key counts as pressed yet; the fonts open now rather than on the first frame that draws
    // text; then the background and the main menu with its intro.
    ResetInputEdges();
    PrepareTextStyles();
    Background = new TScrollBackground(&MDXSpriteEngine.Engine(), MDXImageList, "MMBackground");
    BuildMainMenu(true, fuNone);
}

void TMForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    SaveOptionsAndHighScores();
    Terminate();
}

void TMForm::ApplyDisplayMode() {
    MDXDraw.Display.SetBitCount(16);
    if (Options.FullScreen == 1)
        EnterFullScreen();
    else
        EnterWindowed();
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
    return dialogKind == dkNone || dialogKind == dkLevelIntro || dialogKind == dkFinishRace;
}

void TMForm::MDXTimerTimer(int lagCount) {
    KeepMusicGoing();
    MDXInput.Poll();
    UpdateInputEdges(MDXInput);
    // The menu questions run over any screen and draw the whole frame themselves.
    if (DialogKind == dkExitGame || DialogKind == dkClearTable) {
        DialogFrame(lagCount);
        return;
    }
    switch (ScreenMode) {
    case smMainMenu:
        MainMenuFrame(lagCount);
        break;
    case smOptions:
        OptionsFrame(lagCount);
        break;
    case smRace:
        RaceFrame(lagCount);
        break;
    case smHighScores:
        HighScoresFrame(lagCount);
        break;
    case smHelp:
        HelpFrame(lagCount);
        break;
    case smBoatChoice:
        BoatChoiceFrame(lagCount);
        break;
    default:
        break;
    }
}

void TMForm::HandleEvent(const platform::Event& e) {
    using platform::EventKind;
    switch (e.Kind) {
    case EventKind::KeyDown:
        FormKeyDown(e.Key, e.Alt);
        break;
    case EventKind::KeyUp:
        FormKeyUp(e.Key);
        break;
    case EventKind::KeyChar:
        FormKeyPress(e.Char);
        break;
    case EventKind::MouseMove:
        MDXDrawMouseMove(e.X, e.Y);
        break;
    case EventKind::Click:
    case EventKind::DoubleClick:
        MDXDrawClick();
        break;
    case EventKind::CloseRequest:
        if (FormCloseQuery()) Terminate();
        break;
    case EventKind::Minimized:
        if (ScreenMode == smRace && MinimisingPausesOver(DialogKind)) {
            OpenDialog(dkPause);
            // Closing the finish question brings the gun back; the pause stays silent.
            StopSound("Shot");
        }
        break;
    case EventKind::Activated:
        // The window's first focus at start-up is no return from elsewhere: the game has been
        // active all along, and restarting the frame pace there only held the first frame back
        // by an interval. Coming back after a deactivation restarts it, as always.
        if (!MDXTimer.ApplicationActive()) MDXTimer.ApplicationActivated();
        break;
    case EventKind::Deactivated:
        MDXTimer.ApplicationDeactivated();
        break;
    case EventKind::Quit:
        Terminate();
        break;
    default:
        break;
    }
}
