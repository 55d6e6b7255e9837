#include "app/Application.h"

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include "app/Form.h"
#include "platform/DataLocation.h"
#include "platform/Text.h"
#include "platform/Window.h"
#include "stage/TextStyles.h"

namespace {

// The largest picture takes a few milliseconds to copy onto its surfaces; with less time than
// this left before the next frame the copy waits for a later pass.
constexpr uint32_t kPictureCopyMs = 10;

// Copies one picture whose surfaces are still due (the display builds them when first used), so
// that by the time the player opens another screen or starts a race every picture is ready and
// no first frame of a screen has to copy them. Only after the first frame is on the screen.
bool CopyOnePictureWhileIdle(TMForm& form, uint32_t due) {
    if (due < kPictureCopyMs || form.MDXDraw.PresentCount() == 0) return false;
    return form.MDXImageList.Items().BuildNextDueSurfaces() ||
           form.MDXImageList3.Items().BuildNextDueSurfaces();
}

} // namespace

void RunLoopOnce(TMForm& form, platform::Window& window, bool wait) {
    platform::Event e;
    while (!form.Terminated() && window.PollEvent(e))
        form.HandleEvent(e);
    if (form.Terminated()) return;
    if (form.MDXTimer.IdleInstalled()) {
        uint32_t due = form.MDXTimer.Idle();
        // Spare time before the next frame copies a picture (then the next pass looks again).
        if (due > 0 && wait && CopyOnePictureWhileIdle(form, due)) return;
        // Instead of spinning a core until the next frame is due, sleep in the event wait;
        // an event wakes us early and is handled at once.
        if (due > 0 && wait && window.WaitEvent(e, int(due))) form.HandleEvent(e);
    } else if (wait) {
        // Inactive (or between screens): nothing to draw, so just wait for the window.
        if (window.WaitEvent(e, 100)) form.HandleEvent(e);
    }
}

void RunLoop(TMForm& form, platform::Window& window) {
    while (!form.Terminated())
        RunLoopOnce(form, window, true);
}

std::unique_ptr<platform::Window> OpenGameWindow() {
    platform::WindowOptions options;
    options.Remembered = platform::LoadWindowSettings(platform::kWindowSettingsFile);
    // The renderer probe forks, which is only safe while this is the program's one thread.
    if (options.Remembered.Renderer == platform::RendererChoice::Unknown && !std::getenv("SDL_RENDER_DRIVER"))
        options.Remembered.Renderer = platform::ProbeRendererInChild();
    options.ProbeRenderer = false;
    // The font configuration with the text styles' fonts and the window take about as long as each
    // other: do both at once.
    auto fonts = std::async(std::launch::async, [] {
        platform::PrepareFonts();
        OpenTextStyleFonts();
    });
    auto window = platform::CreateSdlWindow(options);
    platform::SetWindowIconFromFile(*window, platform::kWindowIconFile);
    fonts.wait();
    return window;
}

void SaveGameWindow(const platform::Window& window) {
    std::string error;
    if (!platform::SaveWindowSettings(platform::kWindowSettingsFile, window.CurrentSettings(), error))
        std::fprintf(stderr, "Spray Dash: %s\n", error.c_str());
}

int RunApplication() {
    auto window = OpenGameWindow();
    {
        TMForm form(*window);
        window->Show();
        RunLoop(form, *window);
        SaveGameWindow(*window);
    }
    return 0;
}
