// Frames of the race compared with the reference pictures kept in tests/golden: a busy river with
// boats and their wakes, an explosion, the panels, and the boat with each power-up, in the air and
// wrecked. Drawn with the test's plain pictures so the references do not depend on the art build.
// The numbers on the panels come from the system's TrueType fonts and are left out of the
// comparison. Each frame is also written as PNG under <build>/test-output, and on a mismatch a
// diff picture beside it. SPRAYDASH_UPDATE_GOLDEN=1 records the references again.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "RaceWorld.h"
#include "platform/Png.h"

using namespace racetest;

namespace {

struct Area {
    int Left, Top, Right, Bottom; // Right and Bottom exclusive
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
};

// Where the race prints text: level, score, time and lives down the left panel, the power-up
// seconds on the right one. Generous, since another font may be wider or taller.
const Area kTextAreas[] = {
    {0, 72, 130, 116}, {0, 164, 130, 208}, {0, 253, 130, 297}, {0, 345, 130, 389}, {730, 411, 800, 453},
};

bool IsText(int x, int y) {
    for (const Area& a : kTextAreas)
        if (a.Contains(x, y)) return true;
    return false;
}

// Two pixels match when no channel differs by more than this (on the 0..255 scale); absorbs
// the last bit of a rotated pattern's rounding on another maths library.
constexpr int kChannelTolerance = 8;
// And this many pixels outside the text may still differ.
constexpr int kPixelTolerance = 16;

bool Close(uint16_t a, uint16_t b) {
    uint8_t ar, ag, ab, br, bg, bb;
    Pixel565ToRGB(a, ar, ag, ab);
    Pixel565ToRGB(b, br, bg, bb);
    return std::abs(ar - br) <= kChannelTolerance && std::abs(ag - bg) <= kChannelTolerance &&
           std::abs(ab - bb) <= kChannelTolerance;
}

struct ShotFixture : ::testing::Test {
    RaceWorld world;

    void SetUp() override {
        world.Start(42u);
        world.SkipIntro();
        SpawnChance.fill(0); // only what the test puts on the river
        PlayerBoat->X = 380;
        PlayerBoat->Speed = 12;
    }
    TWallSprite* Put(int kind, double x, double y) { return world.Put(kind, x, y); }

    // Saves the frame and compares it with tests/golden/<name>.png outside the text areas.
    void Shot(const std::string& name) {
        ASSERT_TRUE(world.Screenshot(name));
        const TDirectDrawSurface& s = world.draw.BackSurface();
        const int w = s.Width(), h = s.Height();
        std::vector<uint16_t> frame(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                frame[size_t(y) * size_t(w) + size_t(x)] = s.PixelAt(x, y);

        const std::string reference = std::string(SPRAYDASH_SOURCE_DIR) + "/tests/golden/" + name + ".png";
        const char* update = std::getenv("SPRAYDASH_UPDATE_GOLDEN");
        if (update && std::string(update) == "1") {
            ASSERT_TRUE(platform::SavePng565(reference, frame.data(), w, h, w));
            std::printf("reference rewritten: %s\n", reference.c_str());
            return;
        }
        std::vector<uint16_t> want;
        int rw = 0, rh = 0;
        ASSERT_TRUE(platform::LoadPng565(reference, want, rw, rh))
            << "no reference picture " << reference << "; SPRAYDASH_UPDATE_GOLDEN=1 records it";
        ASSERT_EQ(rw, w);
        ASSERT_EQ(rh, h);

        // The diff: differing pixels red, the rest of the frame dimmed, the text areas dark blue.
        std::vector<uint16_t> diff(frame.size());
        int differ = 0, firstX = -1, firstY = -1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const size_t i = size_t(y) * size_t(w) + size_t(x);
                uint8_t r, g, b;
                Pixel565ToRGB(frame[i], r, g, b);
                if (IsText(x, y)) {
                    diff[i] = RGBToPixel565(0, 0, 96);
                } else if (!Close(frame[i], want[i])) {
                    diff[i] = RGBToPixel565(255, 0, 0);
                    if (differ++ == 0) firstX = x, firstY = y;
                } else {
                    diff[i] = RGBToPixel565(uint8_t(r / 4), uint8_t(g / 4), uint8_t(b / 4));
                }
            }
        }
        if (differ > kPixelTolerance) {
            const std::string diffPath =
                (std::filesystem::path(SPRAYDASH_BINARY_DIR) / "test-output" / (name + "-diff.png")).string();
            platform::SavePng565(diffPath, diff.data(), w, h, w);
            ADD_FAILURE() << name << ": " << differ << " pixels differ from " << reference << ", first at ("
                          << firstX << ", " << firstY << "); see " << diffPath;
        }
    }
};

} // namespace

TEST_F(ShotFixture, BusyRiverWithWakesExplosionAndPanels) {
    Put(rkBoat4, 200, 150)->DriftY = -2;
    Put(rkBoat6Inv, 470, 60)->DriftY = 2;
    Put(rkShip, 300, -20);
    Put(rkTree, 200, 300);
    Put(rkRamp, 420, 260);
    Put(rkFlag, 540, 200);
    Put(rkDuck, 260, 20);
    Put(rkWeed, 520, 360);
    Put(rkBonus100, 300, 350);
    Put(rkLife, 480, 120);
    Put(rkUmbrellaRed, 130, 100);
    Put(rkBedRight, 615, 300);
    Put(rkRoomBlue, 612, 40);
    Put(rkFisher, 350, 150)->Explode();
    Score = 1234;
    world.Steps(6, {.Up = true});
    Shot("race-busy-river");
}

TEST_F(ShotFixture, EachPowerUpOnTheBoatAndOnThePanel) {
    struct Case {
        TPowerUp Kind;
        const char* Name;
    };
    for (const Case c :
         {Case{TPowerUp::Gun, "race-powerup-gun"}, Case{TPowerUp::Engine, "race-powerup-engine"},
          Case{TPowerUp::Shield, "race-powerup-shield"}}) {
        PlayerBoat->HasGun = PlayerBoat->HasEngine = PlayerBoat->HasShield = false;
        PlayerBoat->GainPowerUp(c.Kind);
        world.Steps(3, {.Up = true, .Fire = true});
        Shot(c.Name);
    }
    PlayerBoat->GainPowerUp(TPowerUp::Gun);
    PlayerBoat->GainPowerUp(TPowerUp::Shield);
    Put(rkFlag, PlayerBoat->X + 5, 300); // in the line of fire: the beam explodes it
    world.Steps(3, {.Up = true, .Fire = true});
    Shot("race-all-powerups-firing");
}

TEST_F(ShotFixture, JumpAndCrash) {
    PlayerBoat->GainPowerUp(TPowerUp::Engine);
    PlayerBoat->Jump();
    world.Steps(20, {.Up = true});
    Shot("race-jump");
    PlayerBoat->Land();
    world.Steps(2);
    PlayerBoat->Wreck();
    world.Steps(12);
    Shot("race-crash");
}
