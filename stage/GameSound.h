// The game's only way to play sound effects: by name from the form's wave list, silent while
// the sound option is off. The race, the menus and the dialogs all play through here.
#pragma once
#include <functional>
#include <string>

// Restarts the named sound from its beginning, first silencing every copy still playing.
// Nothing at all (not even the lookup) while Options.SoundOn is 0; an unknown name raises.
void PlaySound(const std::string& name);
// Stops every copy of the named sound; nothing while Options.SoundOn is 0.
void StopSound(const std::string& name);

// Told of every sound the game plays (Play true) or stops while sound is on, also when no wave
// list is loaded; tests listen here.
extern std::function<void(const std::string& name, bool play)> SoundListener;
