// The game window as the platform provides it: one 800 x 600 picture scaled into a resizable
// window or over the desktop in full screen, its events, keyboard state, cursor and presentation.
// Two implementations: SDL for the real desktop, and an offscreen one for headless tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowSettings.h"

namespace platform {

// What happened at the window, in the game's terms.
enum class EventKind {
    KeyDown, // Key holds the virtual-key code; Alt/Shift/Ctrl the shift state
    KeyUp,
    KeyChar,   // Char holds the typed 8-bit character (also 8, 13 and 27)
    MouseMove, // X, Y in 800 x 600 client pixels
    MouseDown, // Button 1 left, 2 right, 3 middle
    MouseUp,
    Click,        // a left click ended (button released)
    DoubleClick,  // the second press of a double click
    CloseRequest, // the window's close button
    Minimized,
    Restored,
    Activated,        // the window got the input focus
    Deactivated,      // it lost it
    PresentationLost, // the renderer was reset: surfaces must be restored
    Quit,             // the session is ending (e.g. the desktop logs out)
};

struct Event {
    EventKind Kind = EventKind::Quit;
    int Key = 0;
    bool Alt = false, Shift = false, Ctrl = false;
    uint8_t Char = 0;
    int X = 0, Y = 0;
    int Button = 0;
};

// One display mode of the screen.
struct DisplayModeInfo {
    int Width = 0, Height = 0, BitCount = 0;
};

// Raw joystick reading: axes in the device's own range, buttons as a bit mask.
struct JoystickReading {
    int32_t X = 0, Y = 0, Z = 0;
    int32_t AxisMin = -32768, AxisMax = 32767;
    uint32_t Buttons = 0; // bit i = button i + 1 pressed
    int ButtonCount = 0;
};

// The window service the engine and the form use.
class Window {
  public:
    virtual ~Window() = default;

    // Shows the window (the first time) and brings it to the front.
    virtual void Show() = 0;
    // Full screen on or off; false when the platform refuses the switch.
    virtual bool SetFullScreen(bool on) = 0;
    virtual bool IsFullScreen() const = 0;
    // Remembers the window's position (before full screen) / puts it back (after).
    virtual bool StorePlacement() = 0;
    virtual void RestorePlacement() = 0;
    // Centres the window on its screen.
    virtual void Center() = 0;
    // The display modes the screen offers.
    virtual std::vector<DisplayModeInfo> DisplayModes() = 0;

    // Shows an 800 x 600 frame of 5-6-5 pixels (pitch in pixels); does not wait for the
    // vertical blank. False when the presentation failed.
    virtual bool Present(const uint16_t* pixels, int width, int height, int pitchPixels) = 0;

    // The renderer was reset (device lost): what was shown is gone until restored.
    virtual bool IsPresentationLost() const = 0;
    // Re-creates what presenting needs after a loss; false when it is still not possible.
    virtual bool RestorePresentation() = 0;

    // Takes the next pending event; false when there is none.
    virtual bool PollEvent(Event& e) = 0;
    // Waits at most timeoutMs for an event; false when none came.
    virtual bool WaitEvent(Event& e, int timeoutMs) = 0;

    // The show-cursor counter: each call adds (show) or subtracts one and returns the new
    // count; the cursor is visible while the count is 0 or more.
    virtual int ShowCursor(bool show) = 0;
    // Whether the window has the input focus (is the foreground window).
    virtual bool IsForeground() const = 0;
    // The keyboard as 256 bytes indexed by virtual-key code, bit 7 set = held.
    virtual void ReadKeyboard(uint8_t keys[256]) = 0;

    // Joysticks and game controllers attached now.
    virtual int JoystickCount() = 0;
    // Reads joystick number index; false when it is not there.
    virtual bool ReadJoystick(int index, JoystickReading& out) = 0;

    // Sets the window icon from RGBA pixels.
    virtual void SetIcon(const uint8_t* rgba, int width, int height) = 0;

    // What to remember of the window for the next start: its size and place in a window (not
    // maximised, not full screen), whether it is maximised, and the renderer that suits the machine.
    virtual WindowSettings CurrentSettings() const { return {}; }
};

// Options for the real window.
struct WindowOptions {
    std::string Caption = "Spray Dash";
    int Width = 800, Height = 600; // the picture
    WindowSettings Remembered;     // the window as the last run left it (empty at a first start)
    // With no remembered renderer, try the GPU's in a child process first (ProbeRendererInChild).
    bool ProbeRenderer = true;
};

// Finds out, in a short-lived child process, whether the GPU renderer is worth using (it is not
// when OpenGL runs on the processor); Unknown when the child cannot tell. It forks, so call it
// before the program starts a second thread.
RendererChoice ProbeRendererInChild();

// Opens the real SDL window; throws std::runtime_error with SDL's reason when it cannot.
std::unique_ptr<Window> CreateSdlWindow(const WindowOptions& options);

} // namespace platform
