// A whole frame rendered headless and compared with the reference picture kept with the tests:
// a tiled background, sprites at several depths, rotated patterns and a line in every text style.
// SPRAYDASH_UPDATE_GOLDEN=1 rewrites the reference after an intended change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "DrawFixture.h"
#include "engine/SurfaceCanvas.h"
#include "platform/Png.h"
#include "stage/TextStyles.h"

namespace {

// A sprite drawing its picture turned by Angle about its centre.
class TurnedSprite : public TImageSprite {
  public:
    TurnedSprite(TSprite* parent, TPictureCollectionItem& item, int x, int y, int angle)
        : TImageSprite(parent), angle_(angle) {
        Image = &item;
        Width = item.FrameWidth();
        Height = item.FrameHeight();
        X = x - Width / 2;
        Y = y - Height / 2;
        SetZ(6);
    }
    void Render() override {
        Image->DrawRotated(*Engine()->Surface(), int(X) + Width / 2, int(Y) + Height / 2, Width, Height, 0,
                           0.5, 0.5, angle_);
    }

  private:
    int angle_;
};

Rgb Water(int x, int y) {
    const bool crest = (y + int(6 * std::sin(x * 0.2))) % 16 < 3;
    return crest ? Rgb{124, 198, 240} : Rgb{46, 155, 214};
}

// A disc of one colour on the key colour, with a darker rim.
std::function<Rgb(int, int)> Disc(int size, Rgb fill) {
    return [size, fill](int x, int y) {
        const double r = size / 2.0, dx = x + 0.5 - r, dy = y + 0.5 - r, d = std::sqrt(dx * dx + dy * dy);
        if (d > r) return Rgb{255, 0, 255};
        if (d > r - 3) return Rgb{27, 27, 47};
        return fill;
    };
}

// An arrow pointing up: shows which way a turn went.
Rgb Arrow(int x, int y) {
    const int w = 40;
    const bool head = y < 16 && std::abs(x - w / 2) <= y;
    const bool shaft = y >= 16 && std::abs(x - w / 2) <= 5;
    if (!head && !shaft) return Rgb{255, 0, 255};
    return y < 4 ? Rgb{230, 57, 70} : Rgb{255, 210, 63};
}

} // namespace

class Golden : public DrawFixture {};

TEST_F(Golden, SceneMatchesTheReferencePicture) {
    auto& water = AddPicture(list, "Water", 64, 64, Water);
    auto* bg = new TBackgroundSprite(&Root());
    bg->ResizeMap(1, 1);
    bg->Image = &water;
    bg->Tiled = true;
    bg->X = 13;
    bg->Y = 27;

    // Discs at several depths; two of equal depth overlap with the newer underneath.
    const struct {
        const char* name;
        int size;
        Rgb fill;
        int x, y, z;
    } discs[] = {
        {"Red", 90, {230, 57, 70}, 40, 60, 5},      {"Green", 90, {108, 192, 74}, 90, 90, 2},
        {"Orange", 90, {244, 162, 97}, 60, 130, 3}, {"Teal", 70, {42, 157, 143}, 150, 60, 4},
        {"Yellow", 70, {255, 210, 63}, 190, 80, 4}, {"Edge", 60, {39, 125, 161}, -20, 560, 7},
    };
    for (const auto& d : discs) {
        auto* s = new TImageSprite(&Root());
        s->Image = &AddPicture(list, d.name, d.size, d.size, Disc(d.size, d.fill));
        s->Width = s->Height = d.size;
        s->X = d.x;
        s->Y = d.y;
        s->SetZ(d.z);
    }
    auto& arrow = AddPicture(list, "Arrow", 40, 48, Arrow);
    const int angles[] = {0, 32, 64, 100, 128, 200, -40};
    for (int i = 0; i < 7; ++i)
        new TurnedSprite(&Root(), arrow, 50 + (i % 4) * 90, 330 + (i / 4) * 110, angles[i]);

    Back().FillAll(0);
    sprites.Draw();
    int y = 8;
    for (int n = 1; n <= TextStyleCount; ++n) {
        UseTextStyle(n);
        PrintText("Style " + std::to_string(n) + ": Dash 1:23", 580, y, true);
        y += Back().TextCanvas().TextHeight() - 4;
    }
    Back().ReleaseCanvas();

    // The actual frame is always saved for a reviewer.
    const std::filesystem::path outDir = std::filesystem::path(SPRAYDASH_BINARY_DIR) / "test-output";
    std::filesystem::create_directories(outDir);
    const std::string actual = (outDir / "golden-scene.png").string();
    ASSERT_TRUE(platform::SavePng565(actual, Back().Pixels(), 800, 600, Back().PitchPixels()));

    const std::string reference = std::string(SPRAYDASH_SOURCE_DIR) + "/tests/golden/scene.png";
    const char* update = std::getenv("SPRAYDASH_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(platform::SavePng565(reference, Back().Pixels(), 800, 600, Back().PitchPixels()));
        GTEST_SKIP() << "reference rewritten: " << reference;
    }
    std::vector<uint16_t> want;
    int w = 0, h = 0;
    ASSERT_TRUE(platform::LoadPng565(reference, want, w, h))
        << "no reference picture; run with SPRAYDASH_UPDATE_GOLDEN=1 to make one from " << actual;
    ASSERT_EQ(w, 800);
    ASSERT_EQ(h, 600);
    int differ = 0, firstX = -1, firstY = -1;
    for (int py = 0; py < 600; ++py)
        for (int px = 0; px < 800; ++px)
            if (Back().PixelAt(px, py) != want[size_t(py) * 800 + size_t(px)] && differ++ == 0)
                firstX = px, firstY = py;
    EXPECT_EQ(differ, 0) << "pixels differ from " << reference << ", first at (" << firstX << ", " << firstY
                         << "); the frame drawn is " << actual;
}
