#include "app/Application.h"

#include "app/Form.h"
#include "platform/DataLocation.h"
#include "platform/Window.h"

void RunLoopOnce(TMForm& form, platform::Window& window, bool wait) {
    platform::Event e;
    while (!form.Terminated() && window.PollEvent(e)) form.HandleEvent(e);
    if (form.Terminated()) return;
    if (form.MDXTimer.IdleInstalled()) {
        uint32_t due = form.MDXTimer.Idle();
        // Instead of spinning a core until the next frame is due, sleep in the event wait;
        // an event wakes us early and is handled at once.
        if (due > 0 && wait && window.WaitEvent(e, int(due))) form.HandleEvent(e);
    } else if (wait) {
        // Inactive (or between screens): nothing to draw, so just wait for the window.
        if (window.WaitEvent(e, 100)) form.HandleEvent(e);
    }
}

void RunLoop(TMForm& form, platform::Window& window) {
    while (!form.Terminated()) RunLoopOnce(form, window, true);
}

int RunApplication() {
    auto window = platform::CreateSdlWindow(platform::WindowOptions{});
    platform::SetWindowIconFromFile(*window, platform::kWindowIconFile);
    {
        TMForm form(*window);
        window->Show();
        RunLoop(form, *window);
    }
    return 0;
}
