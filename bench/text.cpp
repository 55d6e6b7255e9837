// Cost of the game's text: lines per second drawn with PrintText in a race-panel style and in a
// large dialog style, and the time of the first use of a style (resolving and opening its font).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchUtil.h"
#include "engine/DXDraw.h"
#include "platform/HeadlessWindow.h"
#include "stage/Game.h"
#include "stage/TextStyles.h"

namespace {

// Lines per second of PrintText in Style, for at least Seconds.
double LinesPerSecond(TDXDraw& draw, int style, const std::string& prefix, double seconds) {
    UseTextStyle(style);
    long long lines = 0;
    const double start = bench::Now();
    double now = start;
    do {
        for (int i = 0; i < 100; ++i)
            PrintText(prefix + std::to_string(i * 37 + lines % 1000), 400, 10 + i * 5, true);
        lines += 100;
        draw.BackSurface().ReleaseCanvas();
        now = bench::Now();
    } while (now - start < seconds);
    return double(lines) / (now - start);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    bench::EnterScratchDir("text");
    platform::HeadlessWindow window;
    TDXDraw draw(&window);
    draw.InitializeDisplay();
    Game.DXDraw = &draw;

    const double t0 = bench::Now();
    UseTextStyle(13);
    MeasureText("0");
    const double firstUse = bench::Now() - t0;

    bench::Row("text: first use of a style (font opened)", firstUse * 1000.0, "ms");
    bench::Row("text: panel numbers (style 5), lines/s", LinesPerSecond(draw, 5, "", seconds), "lines/s");
    bench::Row("text: dialog line (style 7), lines/s", LinesPerSecond(draw, 7, "Level ", seconds), "lines/s");
    Game.DXDraw = nullptr;
    return 0;
}
