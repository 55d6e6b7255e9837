// The window as the player left it (size, place, maximised, which renderer suits the machine),
// kept in a small file of its own beside the saves so that the options file keeps its format.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "platform/WindowLayout.h"

namespace platform {

// The file, relative to the game's folder.
inline constexpr const char* kWindowSettingsFile = "Data/Save/window";

// How frames reach the screen. Stored as a word: "accelerated" or "software".
enum class RendererChoice {
    Unknown,     // not tried yet on this machine: find out at start
    Accelerated, // the GPU's renderer
    Software,    // SDL's own software path (no GPU, or OpenGL that runs on the processor)
};

struct WindowSettings {
    bool HasSize = false;
    Size WindowSize; // the size in a window, not maximised and not full screen (desktop units)
    bool HasPosition = false;
    int X = 0, Y = 0; // where that window was
    bool Maximized = false;
    RendererChoice Renderer = RendererChoice::Unknown;
    bool operator==(const WindowSettings&) const = default;
};

// The file's text: one "key=value" line each for width, height, x, y, maximized (0 or 1) and
// renderer; what is not known is left out. Unknown keys are skipped when reading (a newer game may
// add some); a line that is not key=value, or a value that is not what its key holds, makes the
// whole text damaged: false with the reason.
std::string FormatWindowSettings(const WindowSettings& s);
bool ParseWindowSettings(const std::string& text, WindowSettings& out, std::string& error);

// Reads the file. Missing: the defaults (a first start). Damaged: the defaults, the file is moved
// aside to "<file>.damaged" (so it is looked at, not overwritten) and the reason is reported on stderr.
WindowSettings LoadWindowSettings(const std::filesystem::path& file);
// Writes the file through a temporary file and a rename; false with the reason when that fails.
bool SaveWindowSettings(const std::filesystem::path& file, const WindowSettings& s, std::string& error);

// Where and how big the window opens, from what was remembered and the displays there are now.
struct StartWindow {
    Size WindowSize;
    bool Centred = true; // false: at X, Y
    int X = 0, Y = 0;
    bool Maximized = false;
};
// `usable` holds each display's usable area (without panels), the primary display first. A
// remembered size is kept when it is at least the minimum and fits in one of them, else the window
// gets its first-start size on the primary display; a remembered position is kept only while the
// window at that place can still be seen and grabbed.
StartWindow ChooseStartWindow(const WindowSettings& remembered, const std::vector<Rect>& usable);

} // namespace platform
