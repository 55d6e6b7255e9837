// Headless frames per second of the real frame loop (menu screen), and the process's peak memory.
#include <cstdio>
#include <exception>

#include "BenchUtil.h"
#include "app/Application.h"
#include "app/Form.h"
#include "platform/Clock.h"
#include "platform/HeadlessWindow.h"

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 10000;
    bench::EnterScratchDir("frame-loop");
    platform::FakeClock clock;
    platform::SetGameClock(&clock);
    platform::HeadlessWindow window;
    try {
        TMForm form(window);
        double start = bench::Now();
        int ran = 0;
        for (int i = 0; i < frames; ++i) {
            clock.Advance(15);
            RunLoopOnce(form, window, false);
            ++ran;
        }
        double seconds = bench::Now() - start;
        bench::Row("headless frame loop (menu), frames/s", ran / seconds, "frames/s", "> 66");
        bench::Row("headless frame loop, time per frame", seconds * 1000.0 / ran, "ms", "< 15");
        bench::Row("peak memory after the loop", bench::PeakMemoryMiB(), "MiB");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "frame_loop: %s\n", e.what());
        return 1;
    }
    platform::SetGameClock(nullptr);
    return 0;
}
