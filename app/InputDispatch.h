// The form's input handlers: clicks and the keys that stand for them, typed characters, mouse
// hover, Ctrl, Alt+Enter and the close button, dispatched by screen and dialog.
#pragma once
#include <cstdint>

// The click dispatcher. FromKey is true for a key press in a menu screen (no click sound in
// the main menu); false for the mouse and for keys that stand for a mouse click.
void ButtonClick(bool fromKey);
// A click or double click on the display; despite the name it also answers Enter and the Y/N
// keys of a question, which stand for a click on the highlighted button.
void MDXDrawClick();
// The mouse moved over the display (800 x 600 coordinates).
void MDXDrawMouseMove(int x, int y);
// A character was typed (printable, or 8, 13, 27).
void FormKeyPress(uint8_t ch);
// A key went down / up (virtual-key code; Alt held as the shift state).
void FormKeyDown(int key, bool alt);
void FormKeyUp(int key);
// The window's close button: false keeps the window open (a question is asked instead).
bool FormCloseQuery();
