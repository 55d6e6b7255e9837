// Finding the game's data folder at start-up (build tree or installed copy) and the window icon.
#pragma once
#include <filesystem>
#include <string>

namespace platform {

class Window;

// The icon the running game shows for its window, relative to the working directory.
inline constexpr const char* kWindowIconFile = "Data/Icon/spraydash-128.png";

// The read-only data folders below Data/ that an installed copy shares with every user; Data/Save
// is always the user's own.
inline constexpr const char* kSharedDataFolders[] = {"Res", "Music", "Fonts", "Icon"};

// What start-up decided about the working directory.
struct DataFolderChoice {
    bool Switch = false;          // true: the game should run in Folder instead
    std::filesystem::path Folder; // the per-user game folder (when Switch)
    std::string Error;            // why the per-user folder could not be made (Switch stays false)
};

// The installed data folder of a program living in programDir: programDir/relative (for example
// /usr/bin/../share/spraydash), normalised. Relative comes from the install layout.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& programDir,
                                          const std::string& relative);

// The per-user game folder: $XDG_DATA_HOME/spraydash when that is an absolute path, else
// $HOME/.local/share/spraydash; empty when neither is known.
std::filesystem::path UserGameFolder(const std::string& xdgDataHome, const std::string& home);

// Decides where the game runs and prepares that folder. The working directory wins when it holds
// Data/Res/Res1.dxg (running from the build folder), unless it is the installed data folder
// itself, which the user cannot write saves into. Otherwise, when installedData holds the data,
// userFolder gets a real Data/Save and links Data/Res, Data/Music, Data/Fonts and Data/Icon to the
// installed ones (stale links are replaced, real folders the user put there are kept).
DataFolderChoice ChooseGameFolder(const std::filesystem::path& workingDir,
                                  const std::filesystem::path& installedData,
                                  const std::filesystem::path& userFolder);

// Start-up call before the form is created: applies ChooseGameFolder to this process (the
// program's own location, the environment) and changes the working directory when it says so.
// Problems are reported on stderr; the game then starts in the working directory as before.
void UseInstalledDataWhenMissing();

// Sets the window's icon from a PNG file; does nothing when the file is missing or unreadable.
void SetWindowIconFromFile(Window& window, const std::string& path);

} // namespace platform
