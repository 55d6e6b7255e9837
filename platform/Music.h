// The music library: tracker modules (XM and the other formats libxmp reads) loaded, played in
// the background through the sound output, polled for their order position and released.
#pragma once
#include <cstdint>
#include <vector>

namespace platform {

// Handle of a loaded song; 0 means none.
using SongHandle = uint32_t;

// Loads a module file; 0 when it cannot be loaded.
SongHandle SongLoadFromFile(const char* path);
// Loads a module registered under a resource name (RegisterSongResource); 0 when unknown or bad.
SongHandle SongLoadFromResource(const char* name);
// Starts the song from its beginning; it keeps playing (and looping) by itself. Without a sound
// output the song is "played" silently and never leaves order 0.
void SongPlay(SongHandle song);
// The song's current position in its order list (0 = first entry); 0 for an unknown handle.
int32_t SongGetOrder(SongHandle song);
// Stops the song and releases it; unknown handles are ignored.
void SongFree(SongHandle song);

// Makes module bytes loadable by SongLoadFromResource under the given name (case-sensitive).
void RegisterSongResource(const char* name, std::vector<uint8_t> bytes);
// Number of songs currently loaded (tests).
int LoadedSongCount();

} // namespace platform
