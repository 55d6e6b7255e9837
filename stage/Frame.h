// The frame operations every screen uses (fill, move, draw, present) and the mouse cursor switch.
#pragma once

// Fills the back surface with black, optionally advances every sprite by the lag count, and
// draws every sprite; nothing when the display cannot draw.
void StartFrame(int lagCount, bool advance);
// Hands the text canvas back and presents the back surface; nothing when the display cannot draw.
void EndFrame();
// Shows the system cursor (menus) / hides it (the race), whatever the counter was before.
void ShowMouseCursor();
void HideMouseCursor();
