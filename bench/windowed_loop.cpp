// CPU use of the real windowed frame loop at its 66 frames a second, with the picture scaled to a
// given screen size: `bench_windowed_loop [seconds] [WxH]` under a display of at least that size
// (bench/run.sh starts Xvfb with a screen of exactly W x H). Above 800 x 600 the picture fills the
// screen the way a maximised or full-screen window does. Two pictures: the still main menu (a frame
// like the last one is not sent again) and a race at full throttle, where every frame changes.
// Goal: under 15 % of one core at 1920 x 1080 for both.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "BenchUtil.h"
#include "app/Application.h"
#include "app/Form.h"
#include "app/Screens.h"
#include "platform/Window.h"
#include "race/Boat.h"
#include "race/RaceFlow.h"
#include "race/RaceState.h"
#include "race/Random.h"
#include "stage/GameState.h"

namespace {

// Runs the loop for the given time and prints its frame rate and CPU use as two rows.
void MeasureLoop(TMForm& form, platform::Window& window, double seconds, const std::string& what, bool goal,
                 void (*beforeFrame)() = nullptr) {
    uint64_t presents0 = form.MDXDraw.PresentCount();
    double cpu0 = bench::CpuSeconds(), t0 = bench::Now();
    while (bench::Now() - t0 < seconds) {
        if (beforeFrame) beforeFrame();
        RunLoopOnce(form, window, true);
    }
    double wall = bench::Now() - t0, cpu = bench::CpuSeconds() - cpu0;
    double fps = double(form.MDXDraw.PresentCount() - presents0) / wall;
    bench::Row(what + ": frames/s", fps, "frames/s", "about 66");
    bench::Row(what + ": CPU of a core", cpu / wall * 100.0, "%", goal ? "< 15" : "");
}

void RunFor(TMForm& form, platform::Window& window, double seconds, void (*beforeFrame)() = nullptr) {
    double until = bench::Now() + seconds;
    while (bench::Now() < until) {
        if (beforeFrame) beforeFrame();
        RunLoopOnce(form, window, true);
    }
}

// Keeps the boat at the throttle's top speed. A key pressed in the benchmark would not reach the
// game: it reads the held keys from the window system's keyboard state, which only real key
// presses change.
void KeepBoatMoving() {
    if (PlayerBoat && PlayerBoat->Speed < NormalMaxSpeed) PlayerBoat->Speed = NormalMaxSpeed;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    int width = 800, height = 600;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr, "windowed_loop: the size is WIDTHxHEIGHT, not %s\n", argv[2]);
        return 2;
    }
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::printf("| %-44s | %12s | %-10s | %-16s |\n", ("windowed loop CPU at " + size).c_str(), "skipped",
                    "no display", "");
        return 0;
    }
    bench::EnterScratchDir("windowed-loop");
    try {
        // The picture's own size in a window; larger sizes as full screen on a screen of that size.
        platform::WindowOptions options;
        options.Remembered.HasSize = true;
        options.Remembered.WindowSize = {800, 600};
        auto window = platform::CreateSdlWindow(options);
        TMForm form(*window);
        window->Show();
        if (width != 800 || height != 600) window->SetFullScreen(true);
        // Let the window settle before measuring.
        RunFor(form, *window, 0.5);
        const bool goal = width == 1920;
        MeasureLoop(form, *window, seconds, "windowed loop " + size + " menu", goal);
        // What the boat-choice screen's start does, on a fixed course; then the boat at full speed
        // once the level intro has gone, so that the river scrolls under it.
        ChosenBoat = 2;
        DestroyMainMenu();
        RandomState = 2;
        StartRace();
        double introEnd = bench::Now() + 5.0;
        while (DialogKind != dkNone && bench::Now() < introEnd)
            RunLoopOnce(form, *window, true);
        RunFor(form, *window, 0.5, KeepBoatMoving);
        MeasureLoop(form, *window, seconds, "windowed loop " + size + " race", goal, KeepBoatMoving);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "windowed_loop: %s\n", e.what());
        return 1;
    }
    return 0;
}
