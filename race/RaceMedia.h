// The race's access to pictures and sounds: race pictures by name from the race list, sound
// effects through the game's sound layer, and a listener tests use to follow the sounds.
#pragma once
#include <functional>

class TPictureCollectionItem;
class TDirectDrawSurface;

// The named picture of the race list (MDXImageList3); a missing name raises the list's error.
TPictureCollectionItem& RacePicture(const char* name);
// The display's back surface everything is drawn on.
TDirectDrawSurface& RaceSurface();
// Plays / stops a sound effect by name.
void RacePlaySound(const char* name);
void RaceStopSound(const char* name);

// Told of every sound the race plays (Play true) or stops; empty by default.
extern std::function<void(const char* name, bool play)> RaceSoundListener;
