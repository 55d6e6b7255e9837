// The shipped wave list: every sound the game plays is there, in a format the device takes, with loop
// flags and copy limits that fit how the game uses it, at sane levels and with click-free loops.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <string>

#include "engine/DXSounds.h"
#include "engine/Wave.h"
#include "tools/sdsynth/SoundStats.h"

namespace {

const std::string kWaveList = std::string(SPRAYDASH_DATA_DIR) + "/Res/Sounds.dxw";

// How the game plays each sound, and the longest it may last to fit its moment.
struct SoundUse {
    const char* name;
    bool looped;
    double maxSeconds;
};

// Engine runs for the whole race and Shot while fire is held, so both loop. Tick repeats every 100 ms
// while the time bonus counts down; TimeOver and GameOver play under notices of 3 and 2 seconds;
// B_Act sounds on every button highlight.
const SoundUse kSounds[] = {
    {"B_Act", false, 0.15},
    {"Engine", true, 3.0},
    {"Shot", true, 1.0},
    {"Jump", false, 1.5},
    {"Bonus", false, 1.0},
    {"BonusLost", false, 1.0},
    {"Duck", false, 1.0},
    {"Flag", false, 1.0},
    {"Money", false, 1.0},
    {"Tree", false, 1.0},
    {"Weed", false, 1.0},
    {"WallExplosion", false, 1.5},
    {"PlayerExplosion", false, 2.0},
    {"Tick", false, 0.1},
    {"Finish", false, 2.0},
    {"TimeOver", false, 3.0},
    {"GameOver", false, 2.0},
};

std::vector<int16_t> Samples(const TWave& wave) {
    std::vector<int16_t> pcm(wave.Data().size() / 2);
    std::memcpy(pcm.data(), wave.Data().data(), pcm.size() * 2);
    return pcm;
}

class ShippedWaveList : public ::testing::Test {
  protected:
    void SetUp() override { list.LoadListFile(kWaveList); }
    TWaveCollection list;
};

TEST_F(ShippedWaveList, HoldsEverySoundTheGamePlaysAsMono16BitPcmWithItsFlags) {
    for (const SoundUse& use : kSounds) {
        SCOPED_TRACE(use.name);
        TWaveCollectionItem& item = list.FindItem(use.name);
        TWaveFormat format;
        ASSERT_TRUE(ReadWaveFormat(item.Wave().FormatBlock(), format));
        EXPECT_TRUE(format.Pcm);
        EXPECT_EQ(format.Channels, 1);
        EXPECT_EQ(format.BitsPerSample, 16);
        EXPECT_EQ(format.SamplesPerSec, 22050u);
        EXPECT_EQ(format.BlockAlign, 2);
        EXPECT_EQ(format.AvgBytesPerSec, 44100u);
        EXPECT_FALSE(item.Wave().Data().empty());
        EXPECT_EQ(item.Wave().Data().size() % 2, 0u);
        EXPECT_EQ(item.Looped(), use.looped);
        // A loop plays on its one main buffer; one-shots get a small, bounded pool of copies.
        if (use.looped)
            EXPECT_EQ(item.MaxPlayingCount(), 1);
        else
            EXPECT_TRUE(item.MaxPlayingCount() >= 1 && item.MaxPlayingCount() <= 4) << item.MaxPlayingCount();
    }
}

TEST_F(ShippedWaveList, SoundsAreAudibleUnclippedShortEnoughAndLoopsJoinWithoutAClick) {
    std::ostringstream table;
    sdsynth::PrintStatsHeader(table);
    for (const SoundUse& use : kSounds) {
        SCOPED_TRACE(use.name);
        const TWaveCollectionItem& item = list.FindItem(use.name);
        const auto stats = sdsynth::MeasureSound(Samples(item.Wave()), 22050);
        sdsynth::PrintStatsRow(table, use.name, stats, use.looped);
        EXPECT_LT(stats.peakDb, -0.5) << "too close to full scale";
        EXPECT_GT(stats.peakDb, -12.0) << "much quieter than the rest";
        EXPECT_GT(stats.rmsDb, -35.0) << "nearly silent";
        EXPECT_LE(stats.seconds, use.maxSeconds);
        if (use.looped)
            EXPECT_TRUE(sdsynth::LoopsCleanly(stats)) << "first " << stats.first << " last " << stats.last;
        else
            EXPECT_LT(std::abs(stats.last), 0.002) << "one-shot stops on a step";
    }
    std::cout << table.str();
}

} // namespace
