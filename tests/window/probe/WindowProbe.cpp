// Helper of the real-window smoke test: renders the headless reference pictures of a menu tour,
// and compares a capture of the real window with them.
//
//   window_probe reference <tour file> <output folder>   one <name>.png per "shot <name>" step
//   window_probe compare <capture.png> <reference.png>   exit 0 when the capture shows the reference
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "Harness.h"
#include "platform/KeyCodes.h"
#include "platform/Png.h"
#include "tour/Tour.h"

namespace {

// Frames the headless game runs after each step, enough for every animation of the tour to end
// (the intro of the main menu needs about 120).
constexpr int kSettleFrames = 200;

// Presses a key the way the desktop delivers it: key down, the typed character, frames while the
// key is held (the game reads some keys from the keyboard state each frame), key up.
void PressKey(GameHarness& game, int key) {
    game.KeyDown(key);
    if (key == vk::Back || key == vk::Return || key == vk::Escape)
        game.Type(std::string(1, char(key)));
    else if (key >= vk::KeyA && key < vk::KeyA + 26)
        game.Type(std::string(1, char('a' + (key - vk::KeyA))));
    game.Steps(10);
    game.KeyUp(key);
}

int Reference(const std::string& tourFile, const std::string& outDir) {
    std::string error;
    const auto steps = ReadTour(tourFile, &error);
    if (!error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    HarnessOptions options;
    options.Name = "window-reference";
    GameHarness game(options);
    int x = 0, y = 0;
    for (const TourStep& s : steps) {
        switch (s.Kind) {
        case TourStep::Move:
            x = s.X;
            y = s.Y;
            game.MoveMouse(x, y);
            break;
        case TourStep::Click:
            game.Click(x, y);
            break;
        case TourStep::Press:
            PressKey(game, s.Key);
            break;
        case TourStep::Close:
            game.CloseWindow();
            break;
        case TourStep::Shot:
            game.Steps(kSettleFrames);
            if (!game.SaveScreenshot(outDir + "/" + s.Name + ".png")) {
                std::fprintf(stderr, "cannot write the reference %s\n", s.Name.c_str());
                return 2;
            }
            break;
        case TourStep::Exit:
            break;
        }
        if (game.Form().Terminated()) break;
    }
    return 0;
}

int Compare(const std::string& capturePath, const std::string& referencePath) {
    platform::RgbaImage capture, reference;
    std::string error;
    if (!platform::LoadPngRgba(capturePath, capture, &error) ||
        !platform::LoadPngRgba(referencePath, reference, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    const CaptureMatch m = CompareCapture(capture, reference);
    std::printf("%s: %.1f%% of the pixels match the reference, %.1f%% are not black\n", capturePath.c_str(),
                m.Matching * 100.0, m.Lit * 100.0);
    return m.Shows() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "reference" && argc == 4) return Reference(argv[2], argv[3]);
    if (command == "compare" && argc == 4) return Compare(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: window_probe reference <tour> <folder> | compare <capture.png> <reference.png>\n");
    return 2;
}
