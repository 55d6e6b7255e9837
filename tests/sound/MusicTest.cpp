// Background music: the game's module choice and wrap-around restart over a scripted library,
// and the platform's player on real module bytes rendered offline.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "SoundFixtures.h"
#include "engine/StreamReader.h"
#include "platform/Music.h"
#include "records/Music.h"
#include "records/Options.h"
#include "stage/GameState.h"

namespace {

// A library that records calls and reports whatever order the test sets.
class MusicRules : public ::testing::Test {
  protected:
    std::vector<std::string> loads;
    std::vector<uint32_t> freed;
    int plays = 0, orderReads = 0;
    int32_t order = 0;
    bool loadable = true;
    uint32_t next = 1;

    void SetUp() override {
        MusicLibrary.SongLoadFromFile = [this](const char* p) {
            loads.push_back(p);
            return loadable ? next++ : 0u;
        };
        MusicLibrary.SongLoadFromResource = [this](const char* p) {
            loads.push_back(std::string("res:") + p);
            return next++;
        };
        MusicLibrary.SongPlay = [this](uint32_t) { ++plays; };
        MusicLibrary.SongGetOrder = [this](uint32_t) {
            ++orderReads;
            return order;
        };
        MusicLibrary.SongFree = [this](uint32_t s) { freed.push_back(s); };
        SongHandle = 0;
        SongLastOrder = 0;
        Options.MusicOn = 1;
        ScreenMode = smMainMenu;
    }
    void TearDown() override {
        UsePlatformMusicLibrary();
        SongHandle = 0;
        SongLastOrder = 0;
        Options.MusicOn = 1;
        ScreenMode = smMainMenu;
    }
};

TEST_F(MusicRules, ScreenModeChoosesTheModule) {
    PlayScreenMusic();
    ScreenMode = smRace;
    PlayScreenMusic();
    ScreenMode = smOptions;
    PlayScreenMusic();
    EXPECT_EQ(loads,
              (std::vector<std::string>{"Data/Music/Menu.xm", "Data/Music/Race.xm", "Data/Music/Menu.xm"}));
    EXPECT_EQ(freed, (std::vector<uint32_t>{1, 2})); // each load releases the song before it
    EXPECT_EQ(plays, 3);
    EXPECT_EQ(SongHandle, 3u);
}

TEST_F(MusicRules, OrderSequenceZeroOneTwoZeroRestartsAtTheSecondZero) {
    PlayScreenMusic();
    for (int32_t o : {0, 1, 2}) {
        order = o;
        KeepMusicGoing();
        EXPECT_EQ(loads.size(), 1u) << "order " << o;
    }
    EXPECT_EQ(SongLastOrder, 2);
    order = 0;
    KeepMusicGoing();
    EXPECT_EQ(loads.size(), 2u);
    EXPECT_EQ(SongLastOrder, 0);
    EXPECT_EQ(plays, 2);
    EXPECT_EQ(freed, (std::vector<uint32_t>{1}));
    KeepMusicGoing(); // the new song at order 0 is not restarted again
    EXPECT_EQ(loads.size(), 2u);
}

TEST_F(MusicRules, ModuleThatStaysAtOrderZeroIsNeverRestarted) {
    PlayScreenMusic();
    for (int i = 0; i < 100; ++i)
        KeepMusicGoing();
    EXPECT_EQ(loads.size(), 1u);
}

TEST_F(MusicRules, MusicOffAtStartLoadsNothingAndSwitchingOnStartsTheMenuModule) {
    Options.MusicOn = 0;
    PlayScreenMusic();
    KeepMusicGoing();
    EXPECT_TRUE(loads.empty());
    EXPECT_EQ(SongHandle, 0u);
    EXPECT_EQ(orderReads, 0);
    Options.MusicOn = 1;
    ScreenMode = smOptions;
    PlayScreenMusic();
    EXPECT_EQ(loads, (std::vector<std::string>{"Data/Music/Menu.xm"}));
}

TEST_F(MusicRules, SwitchingOffAndOnRestartsFromTheBeginning) {
    PlayScreenMusic();
    order = 3;
    KeepMusicGoing();
    StopMusic();
    EXPECT_EQ(SongHandle, 0u);
    EXPECT_EQ(freed, (std::vector<uint32_t>{1}));
    StopMusic(); // nothing left to release
    EXPECT_EQ(freed.size(), 1u);
    PlayScreenMusic();
    EXPECT_EQ(SongLastOrder, 0);
    EXPECT_EQ(loads.size(), 2u);
    EXPECT_EQ(plays, 2);
}

TEST_F(MusicRules, UnloadableModulePlaysNothingAndStopsPolling) {
    loadable = false;
    PlayScreenMusic();
    EXPECT_EQ(SongHandle, 0u);
    EXPECT_EQ(plays, 0);
    KeepMusicGoing();
    EXPECT_EQ(orderReads, 0);
}

TEST_F(MusicRules, ModuleFromAResourceUsesTheResourceLoader) {
    PlayModule("MENU", true);
    EXPECT_EQ(loads, (std::vector<std::string>{"res:MENU"}));
    EXPECT_EQ(plays, 1);
}

std::filesystem::path WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
    auto path =
        std::filesystem::temp_directory_path() / ("spraydash_music_" + std::to_string(::getpid()) + name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

TEST(MusicPlayer, MissingOrBrokenFilesLoadAsNoSong) {
    EXPECT_EQ(platform::SongLoadFromFile("no/such/Menu.xm"), 0u);
    const auto junk = WriteTemp("junk.xm", {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'd'});
    EXPECT_EQ(platform::SongLoadFromFile(junk.c_str()), 0u);
    std::filesystem::remove(junk);
    EXPECT_EQ(platform::SongLoadFromResource("NotRegistered"), 0u);
    EXPECT_EQ(platform::SongGetOrder(12345), 0);
    platform::SongPlay(12345); // unknown handles are ignored
    platform::SongFree(12345);
}

TEST(MusicPlayer, PlayingSongAdvancesThroughItsOrdersAndWrapsToZero) {
    soundtest::OfflineAudio offline;
    auto out = platform::AudioOutput::Acquire();
    const auto path = WriteTemp("tiny.xm", soundtest::TinyModule(3));
    const platform::SongHandle song = platform::SongLoadFromFile(path.c_str());
    std::filesystem::remove(path);
    ASSERT_NE(song, 0u);
    platform::SongPlay(song);
    std::vector<int32_t> seen;
    for (int i = 0; i < 40; ++i) { // 10 ms steps
        soundtest::Render(*out, soundtest::kRate / 100);
        const int32_t o = platform::SongGetOrder(song);
        if (seen.empty() || seen.back() != o) seen.push_back(o);
    }
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(std::vector<int32_t>(seen.begin(), seen.begin() + 4), (std::vector<int32_t>{0, 1, 2, 0}));
    const int before = platform::LoadedSongCount();
    platform::SongFree(song);
    EXPECT_EQ(platform::LoadedSongCount(), before - 1);
    EXPECT_EQ(platform::SongGetOrder(song), 0);
    soundtest::Render(*out, 100); // the mixer lets go of it safely
}

TEST(MusicPlayer, KeepMusicGoingRestartsARealSongWhenItWraps) {
    soundtest::OfflineAudio offline;
    auto out = platform::AudioOutput::Acquire();
    const auto path = WriteTemp("wrap.xm", soundtest::TinyModule(2));
    Options.MusicOn = 1;
    PlayModule(path.string(), false);
    ASSERT_NE(SongHandle, 0u);
    const uint32_t first = SongHandle;
    // The wrap reloads the screen's module from Data/Music (a new handle, or none without data).
    for (int i = 0; i < 20 && SongHandle == first; ++i) {
        soundtest::Render(*out, soundtest::kRate / 100);
        KeepMusicGoing();
    }
    EXPECT_NE(SongHandle, first);
    std::filesystem::remove(path);
    StopMusic();
}

TEST(MusicPlayer, FreeingTheLastSongReleasesTheOutputItHeld) {
    platform::SongHandle song = 0;
    {
        soundtest::OfflineAudio offline;
        platform::RegisterSongResource("HOLD", soundtest::TinyModule(1));
        song = platform::SongLoadFromResource("HOLD");
        ASSERT_NE(song, 0u);
        platform::SongPlay(song); // the song is now the output's only user
    }
    platform::SongFree(song);
    // Back on the real output (none under the test driver): no offline output was left behind.
    EXPECT_EQ(platform::AudioOutput::Acquire(), nullptr);
}

TEST(MusicPlayer, RegisteredResourceLoads) {
    platform::RegisterSongResource("TINY", soundtest::TinyModule(1));
    const platform::SongHandle song = platform::SongLoadFromResource("TINY");
    EXPECT_NE(song, 0u);
    platform::SongFree(song);
}

} // namespace
