// CPU use of the real windowed frame loop at its 66 frames a second (run under a display, e.g.
// `xvfb-run -a build/bench/bench_windowed_loop`). Goal: well under 5 % of one core.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "BenchUtil.h"
#include "app/Application.h"
#include "app/Form.h"
#include "platform/Window.h"

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::printf("| %-44s | %12s | %-10s | %-16s |\n", "windowed loop CPU use", "skipped", "no display", "< 5 %");
        return 0;
    }
    bench::EnterScratchDir("windowed-loop");
    try {
        auto window = platform::CreateSdlWindow(platform::WindowOptions{});
        TMForm form(*window);
        window->Show();
        // Let the window settle before measuring.
        double settle = bench::Now() + 0.5;
        while (bench::Now() < settle) RunLoopOnce(form, *window, true);
        uint64_t presents0 = form.MDXDraw.PresentCount();
        double cpu0 = bench::CpuSeconds(), t0 = bench::Now();
        while (bench::Now() - t0 < seconds) RunLoopOnce(form, *window, true);
        double wall = bench::Now() - t0, cpu = bench::CpuSeconds() - cpu0;
        double fps = double(form.MDXDraw.PresentCount() - presents0) / wall;
        bench::Row("windowed loop: frames per second", fps, "frames/s", "about 66");
        bench::Row("windowed loop: CPU use (one core = 100)", cpu / wall * 100.0, "%", "< 5");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "windowed_loop: %s\n", e.what());
        return 1;
    }
    return 0;
}
