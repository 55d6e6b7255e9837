// CPU use of the real windowed frame loop at its 66 frames a second, with the picture scaled to a
// given screen size: `bench_windowed_loop [seconds] [WxH]` under a display of at least that size
// (bench/run.sh starts Xvfb with a screen of exactly W x H). Above 800 x 600 the picture fills the
// screen the way a maximised or full-screen window does. Goal: under 15 % of one core at 1920 x 1080.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "BenchUtil.h"
#include "app/Application.h"
#include "app/Form.h"
#include "platform/Window.h"

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
        double settle = bench::Now() + 0.5;
        while (bench::Now() < settle)
            RunLoopOnce(form, *window, true);
        uint64_t presents0 = form.MDXDraw.PresentCount();
        double cpu0 = bench::CpuSeconds(), t0 = bench::Now();
        while (bench::Now() - t0 < seconds)
            RunLoopOnce(form, *window, true);
        double wall = bench::Now() - t0, cpu = bench::CpuSeconds() - cpu0;
        double fps = double(form.MDXDraw.PresentCount() - presents0) / wall;
        bench::Row("windowed loop at " + size + ": frames/s", fps, "frames/s", "about 66");
        bench::Row("windowed loop at " + size + ": CPU (core = 100)", cpu / wall * 100.0, "%",
                   width == 1920 ? "< 15" : "");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "windowed_loop: %s\n", e.what());
        return 1;
    }
    return 0;
}
