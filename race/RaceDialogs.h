// The dialogs of the race: the level intro, pause, time over and game over, and what the race
// does around every dialog that opens over it (engine and gun sounds, the frozen needle).
#pragma once

// Puts the four race dialogs and the race's scene hooks into the dialog table.
void RegisterRaceDialogs();
