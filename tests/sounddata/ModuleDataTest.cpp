// The shipped music modules, played offline through the tracker library: they load cleanly, run one to
// two minutes, step through every order and wrap back to order 0, and their mix stays below full scale.
#include <gtest/gtest.h>
#include <xmp.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Everything written to stderr while the object lives, so library warnings can be checked.
class StderrCapture {
  public:
    StderrCapture() {
        std::fflush(stderr);
        file_ = std::tmpfile();
        saved_ = dup(fileno(stderr));
        dup2(fileno(file_), fileno(stderr));
    }
    ~StderrCapture() {
        if (saved_ >= 0) Release();
        std::fclose(file_);
    }
    // Restores stderr and returns what was written.
    std::string Release() {
        std::fflush(stderr);
        dup2(saved_, fileno(stderr));
        close(saved_);
        saved_ = -1;
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

  private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

// What one pass of a module sounded like.
struct Playthrough {
    int loadResult = -1;
    std::string type;
    int orders = 0;
    int restart = -1;
    int bpm = 0;
    std::vector<int> positions; // order positions in the order they were entered
    int wrappedTo = -1;         // position played right after the last order
    double seconds = 0.0;       // time until the wrap
    double peak = 0.0;          // largest sample, fraction of full scale
    double rmsDb = -200.0;
    std::string stderrText;
};

// Loads the module and, when render is set, plays it once through.
Playthrough Play(const std::string& path, bool render = true) {
    Playthrough p;
    StderrCapture capture;
    xmp_context ctx = xmp_create_context();
    p.loadResult = xmp_load_module(ctx, const_cast<char*>(path.c_str()));
    if (p.loadResult == 0) {
        xmp_module_info info;
        xmp_get_module_info(ctx, &info);
        p.type = info.mod->type;
        p.orders = info.mod->len;
        p.restart = info.mod->rst;
        p.bpm = info.mod->bpm;
    }
    if (p.loadResult == 0 && render) {
        xmp_start_player(ctx, 44100, 0);
        double sumSquares = 0.0;
        long count = 0;
        long frames = 0;
        xmp_frame_info fi;
        while (xmp_play_frame(ctx) == 0 && ++frames < 200000) {
            xmp_get_frame_info(ctx, &fi);
            if (fi.loop_count > 0) {
                p.wrappedTo = fi.pos;
                break;
            }
            if (p.positions.empty() || p.positions.back() != fi.pos) p.positions.push_back(fi.pos);
            p.seconds += fi.frame_time / 1e6;
            const auto* s = static_cast<const int16_t*>(fi.buffer);
            for (int i = 0; i < fi.buffer_size / 2; ++i) {
                p.peak = std::max(p.peak, std::abs(s[i]) / 32768.0);
                sumSquares += static_cast<double>(s[i]) * s[i];
                ++count;
            }
        }
        if (count > 0) p.rmsDb = 20.0 * std::log10(std::sqrt(sumSquares / count) / 32768.0 + 1e-12);
        xmp_end_player(ctx);
    }
    if (p.loadResult == 0) xmp_release_module(ctx);
    xmp_free_context(ctx);
    p.stderrText = capture.Release();
    return p;
}

class ShippedModule : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedModule, LoadsWithoutWarningsPlaysOneToTwoMinutesAndWrapsToOrderZero) {
    const Playthrough p = Play(std::string(SPRAYDASH_DATA_DIR) + "/Music/" + GetParam());
    ASSERT_EQ(p.loadResult, 0);
    EXPECT_NE(p.type.find("XM"), std::string::npos) << p.type;
    EXPECT_EQ(p.stderrText, "");
    EXPECT_EQ(p.restart, 0);
    // Every order in turn, then back to the first: the game sees order 0 again and restarts the song.
    std::vector<int> expected;
    for (int i = 0; i < p.orders; ++i)
        expected.push_back(i);
    EXPECT_EQ(p.positions, expected);
    EXPECT_EQ(p.wrappedTo, 0);
    EXPECT_GE(p.seconds, 60.0);
    EXPECT_LE(p.seconds, 120.0);
    EXPECT_LT(p.peak, 0.98) << "the mix clips";
    EXPECT_GT(p.rmsDb, -30.0) << "the mix is nearly silent";
    std::printf("%s: %d orders, %.1f s, peak %.2f dBFS, RMS %.1f dBFS\n", GetParam(), p.orders, p.seconds,
                20.0 * std::log10(p.peak), p.rmsDb);
}

INSTANTIATE_TEST_SUITE_P(MenuAndRace, ShippedModule, ::testing::Values("Menu.xm", "Race.xm"));

TEST(ShippedModules, TheRaceTuneDrivesFasterThanTheMenuTune) {
    const Playthrough menu = Play(std::string(SPRAYDASH_DATA_DIR) + "/Music/Menu.xm", false);
    const Playthrough race = Play(std::string(SPRAYDASH_DATA_DIR) + "/Music/Race.xm", false);
    EXPECT_GE(race.bpm, menu.bpm + 30);
}

} // namespace
