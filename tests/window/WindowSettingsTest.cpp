// The remembered window: its small file (reading, damaged files kept aside, saving through a
// temporary file) and how a start picks size and place from it and the displays there are now.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/WindowSettings.h"

namespace fs = std::filesystem;
using platform::ChooseStartWindow;
using platform::Rect;
using platform::RendererChoice;
using platform::Size;
using platform::StartWindow;
using platform::WindowSettings;

namespace {

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class WindowSettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::path(SPRAYDASH_BINARY_DIR) / "test-scratch" /
                ("window-settings-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
        file_ = root_ / "Data/Save/window";
    }
    void Write(const std::string& text) {
        fs::create_directories(file_.parent_path());
        std::ofstream(file_, std::ios::binary) << text;
    }
    fs::path root_, file_;
};

TEST(WindowSettingsText, ReadsEveryKeyAndSkipsOnesItDoesNotKnow) {
    WindowSettings s;
    std::string error;
    ASSERT_TRUE(platform::ParseWindowSettings(
        "width=1600\r\nheight=1200\nx=-20\ny=40\n\nmaximized=1\nrenderer=software\nvsync=on\n", s, error))
        << error;
    WindowSettings expected;
    expected.HasSize = expected.HasPosition = true;
    expected.WindowSize = {1600, 1200};
    expected.X = -20;
    expected.Y = 40;
    expected.Maximized = true;
    expected.Renderer = RendererChoice::Software;
    EXPECT_EQ(s, expected);
}

TEST(WindowSettingsText, HalfASizeOrHalfAPlaceIsNotRemembered) {
    WindowSettings s;
    std::string error;
    ASSERT_TRUE(platform::ParseWindowSettings("width=1000\ny=30\n", s, error));
    EXPECT_FALSE(s.HasSize);
    EXPECT_FALSE(s.HasPosition);
}

TEST(WindowSettingsText, DamagedLinesAreRefusedWithTheirLine) {
    const char* damaged[] = {"width=abc\n",   "width=0\n",         "width=-800\n",          "x=12px\n",
                             "maximized=2\n", "renderer=opengl\n", "width=800\nnonsense\n", "height=\n"};
    for (const char* text : damaged) {
        WindowSettings s;
        std::string error;
        EXPECT_FALSE(platform::ParseWindowSettings(text, s, error)) << text;
        EXPECT_NE(error.find("line"), std::string::npos) << text << ": " << error;
    }
}

TEST(WindowSettingsText, WritesOnlyWhatIsKnown) {
    WindowSettings s;
    s.HasSize = true;
    s.WindowSize = {1024, 768};
    s.Renderer = RendererChoice::Accelerated;
    EXPECT_EQ(platform::FormatWindowSettings(s),
              "width=1024\nheight=768\nmaximized=0\nrenderer=accelerated\n");
    EXPECT_EQ(platform::FormatWindowSettings(WindowSettings{}), "maximized=0\n");
}

TEST_F(WindowSettingsFile, MissingFileIsAFirstStart) {
    EXPECT_EQ(platform::LoadWindowSettings(file_), WindowSettings{});
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(WindowSettingsFile, DamagedFileIsKeptAsideAndTheWindowStartsAfresh) {
    Write("width=1600\nheight=lots\n");
    EXPECT_EQ(platform::LoadWindowSettings(file_), WindowSettings{});
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_EQ(ReadFile(root_ / "Data/Save/window.damaged"), "width=1600\nheight=lots\n");
}

TEST_F(WindowSettingsFile, SavedSettingsReplaceTheOldFileAndLeaveNoTemporary) {
    Write("width=640\nheight=480\n");
    WindowSettings s;
    s.HasSize = s.HasPosition = true;
    s.WindowSize = {1600, 1200};
    s.X = 10;
    s.Y = 20;
    s.Maximized = true;
    std::string error;
    ASSERT_TRUE(platform::SaveWindowSettings(file_, s, error)) << error;
    EXPECT_EQ(ReadFile(file_), "width=1600\nheight=1200\nx=10\ny=20\nmaximized=1\n");
    EXPECT_FALSE(fs::exists(root_ / "Data/Save/window.tmp"));
    EXPECT_EQ(platform::LoadWindowSettings(file_), s);
}

TEST_F(WindowSettingsFile, SaveThatCannotWriteSaysWhyAndKeepsTheOldFile) {
    Write("width=640\nheight=480\n");
    // A folder where the temporary file should go makes the write fail.
    fs::create_directories(root_ / "Data/Save/window.tmp");
    std::string error;
    EXPECT_FALSE(platform::SaveWindowSettings(file_, WindowSettings{}, error));
    EXPECT_NE(error.find("window.tmp"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(file_), "width=640\nheight=480\n");
}

struct StartCase {
    const char* What;
    WindowSettings Remembered;
    std::vector<Rect> Usable;
    StartWindow Expected;
};

WindowSettings Remember(int w, int h, bool place = false, int x = 0, int y = 0, bool maximized = false) {
    WindowSettings s;
    s.HasSize = w > 0;
    s.WindowSize = {w, h};
    s.HasPosition = place;
    s.X = x;
    s.Y = y;
    s.Maximized = maximized;
    return s;
}

StartWindow Start(int w, int h, bool centred, int x = 0, int y = 0, bool maximized = false) {
    StartWindow s;
    s.WindowSize = {w, h};
    s.Centred = centred;
    s.X = x;
    s.Y = y;
    s.Maximized = maximized;
    return s;
}

bool operator==(const StartWindow& a, const StartWindow& b) {
    return a.WindowSize == b.WindowSize && a.Centred == b.Centred &&
           (a.Centred || (a.X == b.X && a.Y == b.Y)) && a.Maximized == b.Maximized;
}

const Rect kHd{0, 0, 1920, 1080}, kQhd{0, 0, 2560, 1440}, kUhdRight{1920, 0, 3840, 2160};

TEST(WindowStart, RememberedWindowIsUsedWhileItStillFitsTheDisplays) {
    const StartCase cases[] = {
        {"first start on 2560 x 1440: 2x, centred", {}, {kQhd}, Start(1600, 1200, true)},
        {"remembered size and place",
         Remember(1000, 750, true, 100, 50),
         {kHd},
         Start(1000, 750, false, 100, 50)},
        {"place off every display: centred",
         Remember(1000, 750, true, 5000, 100),
         {kHd},
         Start(1000, 750, true)},
        {"too big for the display now: first-start size",
         Remember(3000, 2250, true, 100, 50),
         {kHd},
         Start(800, 600, false, 100, 50)},
        {"below the minimum: first-start size", Remember(300, 200), {kHd}, Start(800, 600, true)},
        {"maximised stays maximised",
         Remember(800, 600, false, 0, 0, true),
         {kHd},
         Start(800, 600, true, 0, 0, true)},
        {"on the second, larger display",
         Remember(2400, 1800, true, 2000, 0),
         {kHd, kUhdRight},
         Start(2400, 1800, false, 2000, 0)},
        {"that display unplugged", Remember(2400, 1800, true, 2000, 0), {kHd}, Start(800, 600, true)},
    };
    for (const StartCase& c : cases) {
        const StartWindow got = ChooseStartWindow(c.Remembered, c.Usable);
        EXPECT_TRUE(got == c.Expected) << c.What << ": got " << got.WindowSize.W << "x" << got.WindowSize.H
                                       << (got.Centred ? " centred" : " at ") << got.X << "," << got.Y
                                       << (got.Maximized ? " maximised" : "");
    }
}

} // namespace
