// Background music: the menu module outside a race, the race module during one, restarted each
// time it wraps back to its first order entry, and off entirely while the music option is off.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// The module files, relative to the working directory.
inline constexpr const char* kMenuModulePath = "Data/Music/Menu.xm";
inline constexpr const char* kRaceModulePath = "Data/Music/Race.xm";

// The song currently loaded and playing (0 = none).
extern uint32_t SongHandle;
// The song's order position seen at the previous frame; 0 after every load.
extern int32_t SongLastOrder;

// The music library's five operations; the platform's player unless a test installs its own.
struct TMusicLibrary {
    std::function<uint32_t(const char* path)> SongLoadFromFile;
    std::function<uint32_t(const char* name)> SongLoadFromResource;
    std::function<void(uint32_t song)> SongPlay;
    std::function<int32_t(uint32_t song)> SongGetOrder;
    std::function<void(uint32_t song)> SongFree;
};
extern TMusicLibrary MusicLibrary;
// Puts the platform's player back into MusicLibrary.
void UsePlatformMusicLibrary();

// Loads the module (from a file or a resource) and plays it, replacing the current song;
// only while Options.MusicOn is 1. A module that cannot be loaded plays nothing, silently.
void PlayModule(const std::string& path, bool fromResource);
// PlayModule with the module for the current ScreenMode (race or menu), from a file.
void PlayScreenMusic();
// Releases the current song, if any.
void StopMusic();
// Once per frame: restarts the screen's module when the song has wrapped back to order 0.
void KeepMusicGoing();
