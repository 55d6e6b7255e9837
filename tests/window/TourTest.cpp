// The smoke test's own helpers: reading the menu tour and telling whether a capture of the real
// window (also full screen, letterboxed) shows the headless game's picture.
#include <gtest/gtest.h>

#include "platform/KeyCodes.h"
#include "tour/Tour.h"

namespace {

TEST(Tour, ReadsEveryStepKindAndIgnoresComments) {
    std::string error = "x";
    const auto steps = ParseTour(
        "# intro\nshot main-menu\nmove 670 265  # high scores\nclick\n\nkey Escape\nkey n\nclose\nexit\n",
        &error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps[0].Kind, TourStep::Shot);
    EXPECT_EQ(steps[0].Name, "main-menu");
    EXPECT_EQ(steps[1].Kind, TourStep::Move);
    EXPECT_EQ(steps[1].X, 670);
    EXPECT_EQ(steps[1].Y, 265);
    EXPECT_EQ(steps[3].Key, vk::Escape);
    EXPECT_EQ(steps[4].Key, vk::KeyA + ('n' - 'a'));
    EXPECT_EQ(steps[5].Kind, TourStep::Close);
    EXPECT_EQ(steps[6].Kind, TourStep::Exit);
}

TEST(Tour, RejectsBadLinesNamingTheLine) {
    for (const char* text : {"move 800 10", "move 10", "key F13", "key", "shot ../x", "shot", "shot x y",
                             "jump", "click twice"}) {
        std::string error;
        EXPECT_TRUE(ParseTour(std::string("exit\n") + text + "\n", &error).empty()) << text;
        EXPECT_NE(error.find("line 2"), std::string::npos) << text << ": " << error;
    }
}

// A reference frame of stripes, and the same frame as a window of another size shows it.
platform::RgbaImage Frame(int width, int height, int barX, int barY, int shift = 0) {
    platform::RgbaImage img;
    img.Width = width;
    img.Height = height;
    img.Pixels.assign(size_t(width) * height * 4, 0);
    const double scale = std::min(double(width - 2 * barX) / 800, double(height - 2 * barY) / 600);
    for (int y = barY; y < height - barY; ++y)
        for (int x = barX; x < width - barX; ++x) {
            const int fx = int((x - barX) / scale) + shift, fy = int((y - barY) / scale);
            uint8_t* p = &img.Pixels[(size_t(y) * width + x) * 4];
            p[0] = uint8_t((fx / 40) % 2 ? 240 : 30);
            p[1] = uint8_t((fy / 30) % 2 ? 200 : 60);
            p[2] = 128;
            p[3] = 255;
        }
    return img;
}

TEST(CaptureMatch, TellsTheScreenFromBlackAndFromAnotherPicture) {
    const auto reference = Frame(800, 600, 0, 0);
    struct Case {
        const char* What;
        platform::RgbaImage Capture;
        bool Shows;
    } cases[] = {
        {"the same window", Frame(800, 600, 0, 0), true},
        {"full screen 4:3", Frame(1024, 768, 0, 0), true},
        {"full screen 16:9, bars left and right", Frame(1280, 720, 160, 0), true},
        {"a black screen", platform::RgbaImage{800, 600, std::vector<uint8_t>(800 * 600 * 4, 0)}, false},
        {"another picture", Frame(800, 600, 0, 0, 20), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareCapture(c.Capture, reference).Shows(), c.Shows) << c.What;
}

} // namespace
