#include "stage/GameSound.h"

#include "engine/DXSounds.h"
#include "stage/Game.h"
#include "stage/Settings.h"

std::function<void(const std::string& name, bool play)> SoundListener;

void PlaySound(const std::string& name) {
    if (Options.SoundOn != 1) return;
    if (SoundListener) SoundListener(name, true);
    if (!Game.WaveList) return;
    TWaveCollectionItem& item = Game.WaveList->Items.FindItem(name);
    item.StopPlayback();
    item.StartPlayback(false);
}

void StopSound(const std::string& name) {
    if (Options.SoundOn != 1) return;
    if (SoundListener) SoundListener(name, false);
    if (!Game.WaveList) return;
    Game.WaveList->Items.FindItem(name).StopPlayback();
}
