#include "records/Music.h"

#include "platform/Music.h"
#include "records/Options.h"
#include "stage/GameState.h"

uint32_t SongHandle = 0;
int32_t SongLastOrder = 0;

namespace {

TMusicLibrary PlatformLibrary() {
    TMusicLibrary lib;
    lib.SongLoadFromFile = [](const char* path) { return platform::SongLoadFromFile(path); };
    lib.SongLoadFromResource = [](const char* name) { return platform::SongLoadFromResource(name); };
    lib.SongPlay = [](uint32_t song) { platform::SongPlay(song); };
    lib.SongGetOrder = [](uint32_t song) { return platform::SongGetOrder(song); };
    lib.SongFree = [](uint32_t song) { platform::SongFree(song); };
    return lib;
}

} // namespace

TMusicLibrary MusicLibrary = PlatformLibrary();

void UsePlatformMusicLibrary() {
    MusicLibrary = PlatformLibrary();
}

void PlayModule(const std::string& path, bool fromResource) {
    SongLastOrder = 0;
    if (Options.MusicOn == 0) return;
    if (SongHandle != 0) MusicLibrary.SongFree(SongHandle);
    SongHandle = fromResource ? MusicLibrary.SongLoadFromResource(path.c_str())
                              : MusicLibrary.SongLoadFromFile(path.c_str());
    if (SongHandle != 0) MusicLibrary.SongPlay(SongHandle);
}

void PlayScreenMusic() {
    PlayModule(ScreenMode == smRace ? kRaceModulePath : kMenuModulePath, false);
}

void StopMusic() {
    if (SongHandle != 0) MusicLibrary.SongFree(SongHandle);
    SongHandle = 0;
}

void KeepMusicGoing() {
    if (SongHandle == 0) return;
    if (MusicLibrary.SongGetOrder(SongHandle) == 0 && SongLastOrder != 0) {
        // Wrapped back to the start: reload and play from the beginning rather than let the
        // player loop by itself.
        PlayScreenMusic();
        return;
    }
    SongLastOrder = MusicLibrary.SongGetOrder(SongHandle);
}
