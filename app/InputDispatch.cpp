// Input handlers: until the screens handle their own keys, only the form-wide keys act.
#include "app/InputDispatch.h"

#include "records/Game.h"

void FormKeyDown(int, bool) {}
void FormKeyUp(int) {}
void FormKeyPress(uint8_t) {}
void MDXDrawClick() {}
void MDXDrawMouseMove(int, int) {}
bool FormCloseQuery() { return true; }
