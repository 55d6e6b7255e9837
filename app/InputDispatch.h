// The form's input handlers: keys, typed characters, mouse clicks and moves, and the close button.
#pragma once
#include <cstdint>

// A key went down / up (virtual-key code; Alt held as the shift state).
void FormKeyDown(int key, bool alt);
void FormKeyUp(int key);
// A character was typed (printable, or 8, 13, 27).
void FormKeyPress(uint8_t ch);
// A click or double click on the display.
void MDXDrawClick();
// The mouse moved over the display (800 x 600 coordinates).
void MDXDrawMouseMove(int x, int y);
// The window's close button: false keeps the window open (a question is asked instead).
bool FormCloseQuery();
