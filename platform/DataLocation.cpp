#include "platform/DataLocation.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/Png.h"
#include "platform/Window.h"

// Where the install rules put the data, relative to the program's folder (set by the build from
// the install layout; this default is the usual bin -> share/spraydash).
#ifndef SPRAYDASH_INSTALL_DATA_REL
#define SPRAYDASH_INSTALL_DATA_REL "../share/spraydash"
#endif

namespace platform {

namespace fs = std::filesystem;

namespace {

// The file whose presence says "this folder holds the game's data".
constexpr const char* kDataMarker = "Data/Res/Res1.dxg";

bool HasGameData(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_regular_file(folder / kDataMarker, ec);
}

bool SameFolder(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

// Makes link point at target: a missing link is created, a link to somewhere else (an older
// install) is replaced, anything real the user put there is left alone.
bool LinkSharedFolder(const fs::path& link, const fs::path& target, std::string& error) {
    std::error_code ec;
    const auto status = fs::symlink_status(link, ec);
    if (fs::is_symlink(status)) {
        if (fs::read_symlink(link, ec) == target && !ec) return true;
        fs::remove(link, ec);
        if (ec) {
            error = "cannot replace " + link.string() + ": " + ec.message();
            return false;
        }
    } else if (fs::exists(status)) {
        return true;
    }
    fs::create_directory_symlink(target, link, ec);
    if (ec) {
        error = "cannot link " + link.string() + ": " + ec.message();
        return false;
    }
    return true;
}

fs::path ProgramFolder() {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return {};
    exe[n] = 0;
    return fs::path(exe).parent_path();
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

} // namespace

fs::path InstalledDataFolder(const fs::path& programDir, const std::string& relative) {
    if (programDir.empty()) return {};
    return (programDir / relative).lexically_normal();
}

fs::path UserGameFolder(const std::string& xdgDataHome, const std::string& home) {
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (!xdgDataHome.empty() && fs::path(xdgDataHome).is_absolute())
        return fs::path(xdgDataHome) / "spraydash";
    if (!home.empty()) return fs::path(home) / ".local" / "share" / "spraydash";
    return {};
}

DataFolderChoice ChooseGameFolder(const fs::path& workingDir, const fs::path& installedData,
                                  const fs::path& userFolder) {
    DataFolderChoice choice;
    const bool installed = HasGameData(installedData);
    if (HasGameData(workingDir) && !(installed && SameFolder(workingDir, installedData))) return choice;
    if (!installed) return choice; // nothing better: start-up reports the missing data as usual
    if (userFolder.empty()) {
        choice.Error = "no home folder to keep the saves in";
        return choice;
    }
    std::error_code ec;
    fs::create_directories(userFolder / "Data" / "Save", ec);
    if (ec) {
        choice.Error = "cannot create " + (userFolder / "Data" / "Save").string() + ": " + ec.message();
        return choice;
    }
    for (const char* name : kSharedDataFolders) {
        const fs::path target = installedData / "Data" / name;
        if (!fs::exists(target, ec)) continue; // e.g. an install without icons
        if (!LinkSharedFolder(userFolder / "Data" / name, target, choice.Error)) return choice;
    }
    choice.Switch = true;
    choice.Folder = userFolder;
    return choice;
}

void UseInstalledDataWhenMissing() {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    const fs::path installed = InstalledDataFolder(ProgramFolder(), SPRAYDASH_INSTALL_DATA_REL);
    const DataFolderChoice choice =
        ChooseGameFolder(cwd, installed, UserGameFolder(Env("XDG_DATA_HOME"), Env("HOME")));
    if (!choice.Error.empty()) {
        std::fprintf(stderr, "Spray Dash: %s\n", choice.Error.c_str());
        return;
    }
    if (!choice.Switch) return;
    fs::current_path(choice.Folder, ec);
    if (ec)
        std::fprintf(stderr, "Spray Dash: cannot enter %s: %s\n", choice.Folder.c_str(),
                     ec.message().c_str());
}

void SetWindowIconFromFile(Window& window, const std::string& path) {
    RgbaImage icon;
    if (!LoadPngRgba(path, icon) || icon.Width <= 0 || icon.Height <= 0 ||
        icon.Pixels.size() != size_t(icon.Width) * size_t(icon.Height) * 4)
        return;
    window.SetIcon(icon.Pixels.data(), icon.Width, icon.Height);
}

} // namespace platform
