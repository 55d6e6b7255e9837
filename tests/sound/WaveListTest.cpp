// Wave lists: loading the file, finding sounds by name, the play-buffer rules, the device's
// notices and life cycle, and the silent path without a sound output.
#include <gtest/gtest.h>

#include <algorithm>

#include "SoundFixtures.h"
#include "records/Options.h"
#include "stage/Game.h"
#include "stage/GameSound.h"

using soundtest::FlatWave;
using soundtest::SoundRig;

namespace {

constexpr uint32_t kBusy = platform::kBufferPlaying | platform::kBufferLooping;

int BusyCount(TWaveCollectionItem& item) {
    int n = 0;
    for (auto& b : item.PlayBuffers())
        n += (b->Status() & kBusy) ? 1 : 0;
    return n;
}

std::vector<TDirectSoundBuffer*> Buffers(const TWaveCollectionItem& item) {
    std::vector<TDirectSoundBuffer*> v;
    for (auto& b : item.PlayBuffers())
        v.push_back(b.get());
    return v;
}

// A wave-list file with the given items, written by the collection's own writer.
std::vector<uint8_t> ListFile(const std::vector<std::tuple<std::string, bool, int, TWave>>& items) {
    TWaveCollection c;
    for (auto& [name, looped, max, wave] : items) {
        auto& it = c.Add();
        it.SetName(name);
        it.SetLooped(looped);
        it.SetMaxPlayingCount(max);
        it.SetWave(wave);
    }
    return c.SaveListStream();
}

TEST(WaveListFile, LoadsItemsInFileOrderWithTheirValues) {
    const auto bytes = ListFile({{"Engine", true, 0, FlatWave(10)}, {"Shot", false, 3, FlatWave(4, -5)}});
    TWaveCollection c;
    TByteReader r(bytes);
    c.LoadListStream(r);
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Items(0)->Name(), "Engine");
    EXPECT_TRUE(c.Items(0)->Looped());
    EXPECT_EQ(c.Items(1)->MaxPlayingCount(), 3);
    EXPECT_EQ(c.Items(1)->Wave().Data(), soundtest::Pcm16({-5, -5, -5, -5}));
    EXPECT_EQ(c.Items(1)->Wave().FormatBlock(), MakePcmFormat(1, soundtest::kRate, 16));
}

TEST(WaveListFile, LoadingReplacesTheOldItems) {
    TWaveCollection c;
    c.Add().SetName("Old");
    const auto bytes = ListFile({{"New", false, 0, FlatWave(2)}});
    TByteReader r(bytes);
    c.LoadListStream(r);
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Items(0)->Name(), "New");
}

TEST(WaveListFile, BadPayloadEndsTheLoadWithTheWrappedErrorKeepingEarlierItems) {
    TComponentStreamWriter w("TWaveCollectionComponent", "TWaveCollectionComponent", "");
    w.BeginCollection("List");
    w.BeginItem();
    w.String("Name", "Good");
    w.EndItem();
    w.BeginItem();
    w.String("Name", "Bad");
    w.Binary("Wave.WAVE", {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'X'});
    w.EndItem();
    w.EndCollection();
    const auto bytes = w.Finish();
    TWaveCollection c;
    TByteReader r(bytes);
    try {
        c.LoadListStream(r);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Error reading Bad.Wave.WAVE: Wave is invalid");
    }
    ASSERT_GE(c.Count(), 1);
    EXPECT_EQ(c.Items(0)->Name(), "Good");
}

TEST(WaveListFile, MissingFileRaisesCannotOpen) {
    TWaveCollection c;
    try {
        c.LoadListFile("no/such/Sounds.dxw");
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"no/such/Sounds.dxw\". ", 0), 0u)
            << e.what();
    }
}

TEST(WaveListFind, IgnoresCaseAndPrefersTheLaterNamedItem) {
    TWaveCollection c;
    auto& first = c.Add();
    first.SetName("Wave");
    EXPECT_EQ(&c.FindItem("wave"), &first);
    auto& second = c.Add();
    second.SetName("WAVE");
    EXPECT_EQ(&c.FindItem("Wave"), &second);
    first.SetName("x");
    first.SetName("wave"); // named last now
    EXPECT_EQ(&c.FindItem("WaVe"), &first);
    try {
        c.FindItem("Missing");
        FAIL() << "no error";
    } catch (const EWaveCollectionError& e) {
        EXPECT_STREQ(e.what(), "Wave 'Missing' not found");
    }
}

TEST(WavePlayback, LimitOfTwoUsesTwoBuffersAndRestartsTheOldestOnTheThirdPlay) {
    SoundRig rig;
    auto& item = rig.Add("Shot", FlatWave(4800), false, 2);
    item.StartPlayback();
    item.StartPlayback();
    const auto firstTwo = Buffers(item);
    ASSERT_EQ(firstTwo.size(), 2u);
    item.StartPlayback();
    const auto after = Buffers(item);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], firstTwo[1]);
    EXPECT_EQ(after[1], firstTwo[0]); // restarted and moved to the end
    EXPECT_EQ(BusyCount(item), 2);
}

TEST(WavePlayback, NoLimitAddsABufferPerOverlapAndReusesIdleOnesFirst) {
    SoundRig rig;
    auto& item = rig.Add("Duck", FlatWave(100));
    for (int i = 0; i < 3; ++i)
        item.StartPlayback();
    EXPECT_EQ(item.PlayBuffers().size(), 3u);
    EXPECT_EQ(BusyCount(item), 3);
    rig.Render(200); // all three have finished
    EXPECT_EQ(BusyCount(item), 0);
    const auto before = Buffers(item);
    item.StartPlayback();
    item.StartPlayback();
    EXPECT_EQ(Buffers(item), before); // the first two idle buffers, no new ones
    EXPECT_EQ(BusyCount(item), 2);
}

TEST(WavePlayback, TwoOverlappingCopiesAreMixedTogether) {
    SoundRig rig;
    auto& item = rig.Add("Tick", FlatWave(10, 1000));
    item.StartPlayback();
    rig.Render(5);
    item.StartPlayback();
    const auto s = rig.Render(8);
    EXPECT_EQ(s[0], 2000);  // both copies
    EXPECT_EQ(s[10], 1000); // the first ended after ten samples
}

TEST(WavePlayback, LoopedSoundPlayedTwiceKeepsOneLoopRestartedFromTheStart) {
    SoundRig rig;
    auto& item = rig.Add("Engine", soundtest::MonoWave({1, 2, 3, 4}), true);
    item.StartPlayback();
    rig.Render(3);
    item.StartPlayback();
    EXPECT_TRUE(item.PlayBuffers().empty());
    EXPECT_EQ(item.MainBuffer()->Status(), kBusy);
    const auto s = rig.Render(5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(s[i * 2], std::vector<int16_t>({1, 2, 3, 4, 1})[i]);
}

TEST(WavePlayback, StopSilencesEveryCopyAndKeepsTheBuffers) {
    SoundRig rig;
    auto& item = rig.Add("Money", FlatWave(1000));
    item.StartPlayback();
    item.StartPlayback();
    item.StopPlayback();
    EXPECT_EQ(item.PlayBuffers().size(), 2u);
    EXPECT_EQ(BusyCount(item), 0);
    EXPECT_EQ(rig.Render(1)[0], 0);
}

TEST(WavePlayback, ChangingTheLimitDropsThePlayBuffers) {
    SoundRig rig;
    auto& item = rig.Add("Flag", FlatWave(1000));
    item.StartPlayback();
    item.SetMaxPlayingCount(-4); // stored as 0: unchanged, buffers stay
    EXPECT_EQ(item.MaxPlayingCount(), 0);
    EXPECT_EQ(item.PlayBuffers().size(), 1u);
    item.SetMaxPlayingCount(1);
    EXPECT_TRUE(item.PlayBuffers().empty());
}

TEST(WavePlayback, ItemWithoutADataChunkGetsNoBufferAndFailsToStopWhileReady) {
    SoundRig rig;
    TByteWriter payload; // "fmt " but no "data"
    payload.Chars("RIFF");
    payload.U32(4 + 8 + 16);
    payload.Chars("WAVE");
    payload.Chars("fmt ");
    payload.U32(16);
    payload.Bytes(MakePcmFormat(1, 22050, 16));
    TComponentStreamWriter w("TWaveCollectionComponent", "TWaveCollectionComponent", "");
    w.BeginCollection("List");
    w.BeginItem();
    w.String("Name", "Mute");
    w.Boolean("Looped", false);
    w.Integer("MaxPlayingCount", 0);
    w.Binary("Wave.WAVE", payload.Data());
    w.EndItem();
    w.EndCollection();
    const auto bytes = w.Finish();
    TByteReader r(bytes);
    rig.list.Items.LoadListStream(r);
    auto& item = rig.list.Items.FindItem("Mute");
    EXPECT_TRUE(item.Wave().Data().empty());
    EXPECT_TRUE(item.Ready());
    EXPECT_EQ(item.MainBuffer(), nullptr);
    item.StartPlayback(); // a one-shot does nothing
    EXPECT_TRUE(item.PlayBuffers().empty());
    Game.WaveList = &rig.list;
    Options.SoundOn = 1;
    try {
        PlaySound("Mute");
        ADD_FAILURE() << "no error";
    } catch (const EDirectSoundBufferError& e) {
        EXPECT_STREQ(e.what(), "IDirectSoundBuffer not made");
    }
    Game.WaveList = nullptr;
}

TEST(WavePlayback, UnplayableFormatCannotBeMade) {
    SoundRig rig;
    TWave wave = FlatWave(10);
    std::vector<uint8_t> fmt = wave.FormatBlock();
    fmt[14] = 24; // 24 bits per sample
    wave.SetFormatBlock(fmt);
    try {
        rig.Add("Odd", wave);
        FAIL() << "no error";
    } catch (const EDirectSoundBufferError& e) {
        EXPECT_STREQ(e.what(), "Sound Buffer cannot be made");
    }
}

// The game's entry points over the form's wave list.
class GameSoundTest : public ::testing::Test {
  protected:
    SoundRig rig;
    void SetUp() override {
        Game.WaveList = &rig.list;
        Options.SoundOn = 1;
    }
    void TearDown() override {
        Game.WaveList = nullptr;
        Options.SoundOn = 1;
    }
};

TEST_F(GameSoundTest, PlaySoundNeverOverlapsAOneShotWithItself) {
    auto& item = rig.Add("Bonus", FlatWave(1000, 500));
    PlaySound("Bonus");
    rig.Render(10);
    PlaySound("bonus");
    EXPECT_EQ(item.PlayBuffers().size(), 1u);
    EXPECT_EQ(BusyCount(item), 1);
    EXPECT_EQ(rig.Render(1)[0], 500); // one copy, not two
}

TEST_F(GameSoundTest, StopSoundSilencesIt) {
    // A looped sound plays on the item's main buffer.
    auto& item = rig.Add("Engine", FlatWave(100, 500), true);
    PlaySound("Engine");
    ASSERT_NE(item.MainBuffer(), nullptr);
    EXPECT_EQ(item.MainBuffer()->Status() & kBusy, kBusy);
    EXPECT_EQ(rig.Render(250)[2 * 249], 500) << "a looped sound is still heard past its end";
    StopSound("Engine");
    EXPECT_EQ(item.MainBuffer()->Status() & kBusy, 0u);
    const std::vector<int16_t> after = rig.Render(50);
    EXPECT_EQ(std::count(after.begin(), after.end(), int16_t(0)), 100) << "both channels silent";
}

TEST_F(GameSoundTest, SoundOffDoesNothingNotEvenTheLookup) {
    auto& item = rig.Add("Jump", FlatWave(100));
    Options.SoundOn = 0;
    EXPECT_NO_THROW(PlaySound("NoSuchSound"));
    EXPECT_NO_THROW(StopSound("NoSuchSound"));
    PlaySound("Jump");
    EXPECT_TRUE(item.PlayBuffers().empty());
    Options.SoundOn = 1;
    EXPECT_THROW(PlaySound("NoSuchSound"), EWaveCollectionError);
}

TEST_F(GameSoundTest, LostOutputRestoresOnceAndRebuildsTheMainBuffers) {
    auto& item = rig.Add("Tree", FlatWave(100));
    int restores = 0;
    rig.sound.OnRestore = [&] { ++restores; };
    rig.sound.DSound().SimulateLoss();
    PlaySound("Tree");
    EXPECT_EQ(restores, 1);
    ASSERT_NE(item.MainBuffer(), nullptr);
    EXPECT_TRUE(item.MainBuffer()->Made());
    PlaySound("Tree");
    EXPECT_EQ(restores, 1);
    EXPECT_EQ(BusyCount(item), 1);
}

TEST(SoundDevice, WithoutAnOutputTheGameRunsSilently) {
    platform::AudioOutput::UseOffline(0); // the real output: the test driver has none
    int form = 0;
    TDXSound sound(&form);
    TDXWaveList list;
    list.SetDXSound(&sound);
    EXPECT_NO_THROW(sound.Loaded());
    EXPECT_FALSE(sound.Initialized());
    EXPECT_THROW(sound.InitializeSound(), EDirectSoundError);
    const auto bytes = ListFile({{"Shot", false, 0, FlatWave(10)}});
    TByteReader r(bytes);
    list.Items.LoadListStream(r);
    EXPECT_FALSE(list.Items.Items(0)->Ready());
    Game.WaveList = &list;
    Options.SoundOn = 1;
    EXPECT_NO_THROW(PlaySound("Shot"));
    EXPECT_NO_THROW(StopSound("Shot"));
    EXPECT_TRUE(list.Items.Items(0)->PlayBuffers().empty());
    EXPECT_THROW(PlaySound("Missing"), EWaveCollectionError);
    Game.WaveList = nullptr;
}

TEST(SoundDevice, InitialiseWithoutAFormRaises) {
    soundtest::OfflineAudio offline;
    TDXSound sound(nullptr);
    try {
        sound.InitializeSound();
        FAIL() << "no error";
    } catch (const EDXSoundError& e) {
        EXPECT_STREQ(e.what(), "Form not found");
    }
}

// Records the notices each listener gets.
struct Recorder : TDXSoundListener {
    Recorder(std::string t, std::vector<std::string>* l) : tag(std::move(t)), log(l) {}
    std::string tag;
    std::vector<std::string>* log;
    void DXSoundNotify(TDXSound&, TDXSoundNotifyType n) override {
        static const char* names[] = {"destroying", "initializing", "initialize", "finalize", "restore"};
        log->push_back(tag + ":" + names[n]);
    }
};

TEST(SoundDevice, NoticesGoToListenersLastRegisteredFirst) {
    soundtest::OfflineAudio offline;
    std::vector<std::string> log;
    Recorder a("a", &log), b("b", &log);
    int form = 0;
    {
        TDXSound sound(&form);
        sound.RegisterNotifyEvent(&a);
        sound.RegisterNotifyEvent(&b);
        sound.InitializeSound();
        EXPECT_EQ(log, (std::vector<std::string>{"b:initializing", "a:initializing", "b:initialize",
                                                 "a:initialize", "b:restore", "a:restore"}));
        log.clear();
        Recorder late("late", &log);
        sound.RegisterNotifyEvent(&late); // an initialised device brings it up to date at once
        sound.UnRegisterNotifyEvent(&late);
        EXPECT_EQ(log, (std::vector<std::string>{"late:initialize", "late:restore", "late:finalize"}));
        log.clear();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"b:finalize", "a:finalize", "b:destroying", "a:destroying"}));
}

TEST(SoundDevice, ListBoundToAReadyDeviceBuildsMainBuffersRightAfterLoading) {
    soundtest::OfflineAudio offline;
    int form = 0;
    TDXSound sound(&form);
    TDXWaveList list;
    list.SetDXSound(&sound);
    sound.Loaded();
    ASSERT_TRUE(sound.Initialized());
    const auto bytes = ListFile({{"A", false, 0, FlatWave(10)}, {"B", true, 0, FlatWave(10)}});
    TByteReader r(bytes);
    list.Items.LoadListStream(r);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(list.Items.Items(i)->Ready());
        ASSERT_NE(list.Items.Items(i)->MainBuffer(), nullptr);
        EXPECT_TRUE(list.Items.Items(i)->MainBuffer()->Made());
    }
    sound.FinalizeSound(); // the finalize notice detaches: buffers gone, items not ready
    EXPECT_FALSE(list.Items.Items(0)->Ready());
    EXPECT_EQ(list.Items.Items(0)->MainBuffer(), nullptr);
}

TEST(SoundDevice, DestroyingTheDeviceUnbindsTheList) {
    soundtest::OfflineAudio offline;
    int form = 0;
    TDXWaveList list;
    {
        TDXSound sound(&form);
        list.SetDXSound(&sound);
        sound.InitializeSound();
    }
    EXPECT_EQ(list.DXSound(), nullptr);
    EXPECT_EQ(list.Items.DXSound(), nullptr);
}

} // namespace
