// The main loop: pumps window events into the form and runs the frame timer between them.
#pragma once

#include <memory>

namespace platform {
class Window;
}
class TMForm;

// One pass: handles every pending event, then gives the frame timer its idle step. When the
// next frame is not due yet and Wait is true, waits for events until it is (no busy spinning),
// or spends the spare time copying one picture that is still due onto its surfaces.
void RunLoopOnce(TMForm& form, platform::Window& window, bool wait);
// Runs the loop until the form asks to end.
void RunLoop(TMForm& form, platform::Window& window);
// Opens the real window as the player left it last time (size, place, icon).
std::unique_ptr<platform::Window> OpenGameWindow();
// Remembers the window's size, place and maximised state for the next start.
void SaveGameWindow(const platform::Window& window);
// Opens the real window, creates the form (start-up), runs the loop; returns the exit status.
int RunApplication();
