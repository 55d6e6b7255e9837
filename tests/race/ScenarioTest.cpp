// Whole races from a seed and an input script: a per-frame digest of the game state pins the
// simulation down exactly, and three scripted races end the three ways a level can end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "RaceWorld.h"

using namespace racetest;

namespace {

// 64-bit FNV-1a.
struct Digest {
    uint64_t Value = 1469598103934665603ull;
    void Add(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) {
            Value ^= p[i];
            Value *= 1099511628211ull;
        }
    }
    template <class T> void Add(const T& v) { Add(&v, sizeof v); }
};

// The state a change to the simulation would show in: race globals, the boat, every slot.
uint64_t FrameDigest() {
    Digest d;
    d.Add(Score);
    d.Add(Lives);
    d.Add(Level);
    d.Add(TimeLeft);
    d.Add(DialogKind);
    d.Add(RandomState);
    if (PlayerBoat) {
        const TMyCarSprite& b = *PlayerBoat;
        d.Add(b.X);
        d.Add(b.Y);
        d.Add(b.Speed);
        d.Add(b.Heading);
        d.Add(b.Distance);
        d.Add(b.State);
        d.Add(b.HasGun);
        d.Add(b.HasEngine);
        d.Add(b.HasShield);
    }
    for (int i = 1; i <= MaxRiverObjects; ++i) {
        d.Add(RiverObjectUsed[i]);
        if (!RiverObjectUsed[i] || !RiverObjects[i]) continue;
        const TWallSprite& o = *RiverObjects[i];
        d.Add(o.Kind);
        d.Add(o.X);
        d.Add(o.Y);
        d.Add(o.Exploded);
    }
    return d.Value;
}

// The script of the long race: throttle held; steering sweeps left and right; fire in bursts;
// a short brake now and then.
Controls ScriptedControls(int frame) {
    Controls c;
    c.Up = frame % 400 < 340;
    c.Down = frame % 400 >= 380;
    const int sweep = frame % 180;
    c.Left = sweep < 50;
    c.Right = sweep >= 90 && sweep < 140;
    c.Fire = frame % 60 < 25;
    return c;
}

std::string DigestFile() {
    return std::string(SPRAYDASH_SOURCE_DIR) + "/tests/race/ScenarioDigests.txt";
}

// Recorded expectations: one line "name frame digest" per checkpoint.
std::vector<std::string> LoadExpected(const std::string& name) {
    std::vector<std::string> lines;
    std::ifstream in(DigestFile());
    for (std::string line; std::getline(in, line);)
        if (line.rfind(name + " ", 0) == 0) lines.push_back(line);
    return lines;
}

void SaveExpected(const std::string& name, const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    {
        std::ifstream in(DigestFile());
        for (std::string line; std::getline(in, line);)
            if (line.rfind(name + " ", 0) != 0 && !line.empty()) kept.push_back(line);
    }
    std::ofstream out(DigestFile(), std::ios::trunc);
    for (const auto& l : kept)
        out << l << "\n";
    for (const auto& l : lines)
        out << l << "\n";
}

bool Recording() {
    const char* v = std::getenv("SPRAYDASH_RECORD_RACE");
    return v && std::strcmp(v, "1") == 0;
}

} // namespace

TEST(RaceScenario, SeededScriptedRaceReproducesFrameByFrame) {
    // Frames 0..5999 (90 s of play), a digest every frame folded into checkpoints every 250
    // frames, so a change shows and the checkpoint says roughly when it first did.
    const std::string name = "long-race";
    std::vector<std::string> lines;
    {
        RaceWorld world;
        world.Start(20261209u, 2);
        Digest rolling;
        for (int frame = 0; frame < 6000 && ScreenMode == smRace; ++frame) {
            world.Step(ScriptedControls(frame));
            rolling.Add(FrameDigest());
            if ((frame + 1) % 250 == 0 || ScreenMode != smRace) {
                std::ostringstream line;
                line << name << " " << frame + 1 << " " << std::hex << rolling.Value;
                lines.push_back(line.str());
            }
        }
        // The script must have exercised the race: objects, explosions, score.
        EXPECT_GT(Score, 0);
    }
    if (Recording()) {
        SaveExpected(name, lines);
        GTEST_SKIP() << "recorded " << lines.size() << " checkpoints";
    }
    const std::vector<std::string> expected = LoadExpected(name);
    ASSERT_FALSE(expected.empty()) << "no recording; run with SPRAYDASH_RECORD_RACE=1";
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i)
        ASSERT_EQ(lines[i], expected[i]) << "first difference";
}

TEST(RaceScenario, SameSeedAndScriptGiveTheSameRace) {
    std::vector<uint64_t> runs[2];
    for (auto& run : runs) {
        RaceWorld world;
        world.Start(777u);
        for (int frame = 0; frame < 1500; ++frame) {
            world.Step(ScriptedControls(frame));
            run.push_back(FrameDigest());
        }
    }
    EXPECT_EQ(runs[0], runs[1]);
}

namespace {

// Full throttle with the gun trigger held: the river decides how the race goes.
const Controls FullThrottle{.Up = true, .Fire = true};

struct Outcome {
    int Wrecks = 0;
    int LevelTwoAt = -1, TimeOverAt = -1, GameOverAt = -1, MenuAt = -1;
};

// Runs up to Frames frames, the controls chosen each frame by Script, noting the outcomes.
template <class Script> Outcome RunRace(RaceWorld& world, int frames, Script script) {
    Outcome out;
    bool wasWrecked = false;
    for (int frame = 0; frame < frames; ++frame) {
        world.Step(script(frame));
        if (ScreenMode != smRace) {
            out.MenuAt = frame;
            break;
        }
        const bool wrecked = PlayerBoat->State == bsWrecked;
        out.Wrecks += wrecked && !wasWrecked;
        wasWrecked = wrecked;
        if (Level == 2 && out.LevelTwoAt < 0) out.LevelTwoAt = frame;
        if (DialogKind == 3 && out.TimeOverAt < 0) out.TimeOverAt = frame;
        if (DialogKind == 8 && out.GameOverAt < 0) out.GameOverAt = frame;
    }
    return out;
}

} // namespace

TEST(RaceScenario, FullThrottleFinishesLevelOne) {
    RaceWorld world;
    world.Start(2u);
    int32_t scoreBeforeBonus = -1;
    const Outcome out = RunRace(world, 4000, [&](int) {
        if (PlayerBoat->LevelComplete && scoreBeforeBonus < 0) scoreBeforeBonus = Score;
        return FullThrottle;
    });
    ASSERT_GT(out.LevelTwoAt, 0);
    EXPECT_LT(out.Wrecks, 3);
    EXPECT_EQ(out.TimeOverAt, -1);
    EXPECT_GT(Score, scoreBeforeBonus) << "time left became points";
    EXPECT_EQ(Level, 2);
}

TEST(RaceScenario, DawdlingRunsOutOfTimeAndRestartsTheLevel) {
    RaceWorld world;
    world.Start(3u);
    // Keep to a walking pace: 24000 units need far more than 60 s at this speed.
    const Outcome out = RunRace(world, 4600, [](int) { return Controls{.Up = PlayerBoat->Speed < 4}; });
    ASSERT_GT(out.TimeOverAt, 0);
    EXPECT_EQ(out.LevelTwoAt, -1);
    EXPECT_EQ(Level, 1);
    EXPECT_EQ(Lives, 3 - 1 - out.Wrecks);
    EXPECT_NE(DialogKind, 3) << "the time-over dialog has closed";
    EXPECT_GT(TimeLeft, 55000) << "the level started again with its full time";
}

TEST(RaceScenario, WrecksUntilGameOverThenTheHighScores) {
    RaceWorld world;
    world.Start(4u);
    const Outcome out = RunRace(world, 4000, [](int) { return FullThrottle; });
    EXPECT_EQ(out.Wrecks, 3);
    ASSERT_GT(out.GameOverAt, 0);
    ASSERT_GT(out.MenuAt, out.GameOverAt);
    EXPECT_EQ(Lives, 0);
    EXPECT_FALSE(ScoreQualifies(Score));
    EXPECT_EQ(world.raceOvers, 1);
    EXPECT_EQ(PlayerBoat, nullptr);
}
