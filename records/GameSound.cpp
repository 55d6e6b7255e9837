#include "records/GameSound.h"

#include "engine/DXSounds.h"
#include "records/Game.h"
#include "records/Options.h"

std::function<void(const std::string& name, bool play)> GameSoundListener;

void PlaySound(const std::string& name) {
    if (Options.SoundOn != 1 || !Game.WaveList) return;
    if (GameSoundListener) GameSoundListener(name, true);
    TWaveCollectionItem& item = Game.WaveList->Items.FindItem(name);
    item.StopPlayback();
    item.StartPlayback(false);
}

void StopSound(const std::string& name) {
    if (Options.SoundOn != 1 || !Game.WaveList) return;
    if (GameSoundListener) GameSoundListener(name, false);
    Game.WaveList->Items.FindItem(name).StopPlayback();
}
