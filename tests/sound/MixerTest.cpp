// The software mixer rendered offline: exact samples for plain, looped, panned, attenuated,
// resampled and mixed voices, and the buffer operations' results; and the real mixer thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "SoundFixtures.h"
#include "platform/Music.h"

using namespace platform;
using soundtest::kRate;
using soundtest::Pcm16;

namespace {

class MixerTest : public ::testing::Test {
  protected:
    soundtest::OfflineAudio offline;
    std::shared_ptr<AudioOutput> out = AudioOutput::Acquire();

    std::unique_ptr<SoundBuffer> Make(const std::vector<uint8_t>& bytes, PcmFormat f = {1, 16, kRate}) {
        std::unique_ptr<SoundBuffer> b;
        EXPECT_EQ(out->CreateBuffer(f, uint32_t(bytes.size()), b), kAudioOk);
        uint8_t *p1, *p2;
        uint32_t n1, n2;
        EXPECT_EQ(b->Lock(p1, n1, p2, n2), kAudioOk);
        EXPECT_EQ(n1, bytes.size());
        EXPECT_EQ(n2, 0u);
        std::copy(bytes.begin(), bytes.end(), p1);
        EXPECT_EQ(b->Unlock(), kAudioOk);
        return b;
    }
    std::vector<int16_t> Render(int frames) { return soundtest::Render(*out, frames); }
    static std::vector<int16_t> Left(const std::vector<int16_t>& s) {
        std::vector<int16_t> l;
        for (size_t i = 0; i < s.size(); i += 2)
            l.push_back(s[i]);
        return l;
    }
    static uint32_t Status(SoundBuffer& b) {
        uint32_t s = 0;
        EXPECT_EQ(b.GetStatus(s), kAudioOk);
        return s;
    }
};

TEST_F(MixerTest, OneShotPlaysItsSamplesExactlyThenFallsSilentAndIdle) {
    auto b = Make(Pcm16({100, -200, 300, 32767, -32768}));
    ASSERT_EQ(b->Play(false), kAudioOk);
    EXPECT_EQ(Status(*b), kBufferPlaying);
    const auto s = Render(8);
    EXPECT_EQ(s, (std::vector<int16_t>{100, 100, -200, -200, 300, 300, 32767, 32767, -32768, -32768, 0, 0, 0,
                                       0, 0, 0}));
    EXPECT_EQ(Status(*b), 0u);
}

TEST_F(MixerTest, LoopedVoiceWrapsToItsStartAndKeepsPlaying) {
    auto b = Make(Pcm16({1, 2, 3}));
    b->Play(true);
    EXPECT_EQ(Left(Render(7)), (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
    EXPECT_EQ(Status(*b), kBufferPlaying | kBufferLooping);
    b->Stop();
    EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(Status(*b), 0u);
}

TEST_F(MixerTest, PanAndVolumeAttenuateInHundredthsOfADecibel) {
    struct Case {
        int32_t pan, volume;
        double left, right;
    };
    const Case cases[] = {
        {0, 0, 10000, 10000},    {kPanRight, 0, 0, 10000}, // hard right silences the left side
        {kPanLeft, 0, 10000, 0}, {2000, 0, 1000, 10000},   // 20 dB off the left
        {-600, 0, 10000, 5012},  {0, -2000, 1000, 1000},   {0, kVolumeMin, 0, 0}, {2000, -2000, 100, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " volume " << c.volume);
        auto b = Make(Pcm16(std::vector<int16_t>(4, 10000)));
        ASSERT_EQ(b->SetPan(c.pan), kAudioOk);
        ASSERT_EQ(b->SetVolume(c.volume), kAudioOk);
        b->Play(false);
        const auto s = Render(4);
        EXPECT_NEAR(s[0], c.left, 2);
        EXPECT_NEAR(s[1], c.right, 2);
    }
}

TEST_F(MixerTest, EightBitStereoAtHalfRateIsConvertedAndInterpolated) {
    // 8-bit is unsigned around 128; each step is 256 in 16-bit terms.
    const std::vector<uint8_t> bytes{128 + 10, 128 - 10, 128 + 20, 128 - 20, 128 + 30, 128 - 30};
    auto b = Make(bytes, {2, 8, kRate / 2});
    b->Play(false);
    const auto s = Render(6);
    EXPECT_EQ(s, (std::vector<int16_t>{2560, -2560, 3840, -3840, 5120, -5120, 6400, -6400, 7680, -7680, 7680,
                                       -7680}));
}

TEST_F(MixerTest, FrequencyOverridesTheSamplesOwnRate) {
    auto b = Make(Pcm16({0, 1000, 2000, 3000, 4000, 5000, 6000, 7000}));
    ASSERT_EQ(b->SetFrequency(kRate * 2), kAudioOk);
    b->Play(false);
    EXPECT_EQ(Left(Render(5)), (std::vector<int16_t>{0, 2000, 4000, 6000, 0}));
    ASSERT_EQ(b->SetFrequency(0), kAudioOk); // back to the samples' rate
    b->SetCurrentPosition(0);
    b->Play(false);
    EXPECT_EQ(Left(Render(3)), (std::vector<int16_t>{0, 1000, 2000}));
}

TEST_F(MixerTest, VoicesAddUpAndClipAtTheSampleRange) {
    auto a = Make(Pcm16({30000, -30000, 100}));
    auto b = Make(Pcm16({30000, -30000, 200}));
    a->Play(false);
    b->Play(false);
    EXPECT_EQ(Left(Render(3)), (std::vector<int16_t>{32767, -32768, 300}));
}

TEST_F(MixerTest, StopKeepsThePositionAndSetPositionRewinds) {
    auto b = Make(Pcm16({1, 2, 3, 4, 5, 6}));
    b->Play(false);
    EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{1, 2}));
    b->Stop();
    EXPECT_EQ(Left(Render(1)), (std::vector<int16_t>{0}));
    b->Play(false);
    EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{3, 4}));
    b->Stop();
    b->SetCurrentPosition(2); // byte offset: the second sample
    b->Play(false);
    EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{2, 3}));
}

TEST_F(MixerTest, DuplicateSharesSamplesWithItsOwnPositionAndSettings) {
    auto main = Make(Pcm16({10, 20, 30, 40}));
    std::unique_ptr<SoundBuffer> dup;
    ASSERT_EQ(out->DuplicateBuffer(*main, dup), kAudioOk);
    main->SetVolume(kVolumeMin);
    main->Play(false);
    EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{0, 0}));
    dup->Play(false); // full volume, from its own start
    EXPECT_EQ(Left(Render(3)), (std::vector<int16_t>{10, 20, 30}));
    EXPECT_EQ(Status(*main), 0u);
    EXPECT_EQ(Status(*dup), kBufferPlaying);
}

TEST_F(MixerTest, ReplayingAFinishedOneShotStartsOver) {
    auto b = Make(Pcm16({7, 8}));
    b->Play(false);
    Render(4);
    b->Play(false);
    EXPECT_EQ(Status(*b), kBufferPlaying);
    EXPECT_EQ(Left(Render(3)), (std::vector<int16_t>{7, 8, 0}));
}

TEST_F(MixerTest, UnplayableBuffersAndSettingsAreRefused) {
    std::unique_ptr<SoundBuffer> b;
    const PcmFormat bad[] = {{1, 24, kRate}, {3, 16, kRate}, {0, 16, kRate}, {1, 16, 50}, {1, 16, 300000}};
    for (const PcmFormat& f : bad)
        EXPECT_NE(out->CreateBuffer(f, 16, b), kAudioOk) << f.Channels << "/" << f.BitsPerSample;
    EXPECT_NE(out->CreateBuffer({1, 16, kRate}, 0, b), kAudioOk);
    auto ok = Make(Pcm16({1}));
    EXPECT_EQ(ok->SetPan(kPanRight + 1), kAudioInvalidParam);
    EXPECT_EQ(ok->SetVolume(1), kAudioInvalidParam);
    EXPECT_EQ(ok->SetFrequency(50), kAudioInvalidParam);
}

TEST_F(MixerTest, LostOutputIsReportedOnceAndPlayingGoesOn) {
    auto b = Make(Pcm16({5, 5, 5, 5}));
    out->SimulateLoss();
    EXPECT_EQ(b->Play(false), kAudioBufferLost);
    EXPECT_EQ(b->Play(false), kAudioOk);
    EXPECT_EQ(Left(Render(2)), (std::vector<int16_t>{5, 5}));
}

TEST_F(MixerTest, ManyQueuedOperationsBeforeARenderAreAllApplied) {
    auto b = Make(Pcm16({9, 9}));
    for (int i = 0; i < 20000; ++i)
        b->SetPan(i % 2 ? 0 : 100); // far more than the queue holds
    b->Play(false);
    EXPECT_EQ(Left(Render(1)), (std::vector<int16_t>{9}));
}

} // namespace

namespace {

// The real mixer thread (SDL's silent driver calls it at the output's pace) while this thread
// plays, stops, duplicates and destroys buffers and starts and frees songs.
TEST(MixerThread, HandOffSurvivesBusyGameThreadAndReportsEndedSounds) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    AudioOutput::UseOffline(0);
    AudioOutput::AcceptSilentDrivers(true);
    struct Restore {
        ~Restore() { AudioOutput::AcceptSilentDrivers(false); }
    } restore;
    auto out = AudioOutput::Acquire();
    ASSERT_TRUE(out);
    ASSERT_FALSE(out->Offline());

    std::vector<std::unique_ptr<SoundBuffer>> buffers;
    const auto samples = Pcm16(std::vector<int16_t>(out->Rate() / 100, 1000)); // 10 ms
    for (int i = 0; i < 6; ++i) {
        std::unique_ptr<SoundBuffer> b;
        ASSERT_EQ(out->CreateBuffer({1, 16, out->Rate()}, uint32_t(samples.size()), b), kAudioOk);
        uint8_t *p1, *p2;
        uint32_t n1, n2;
        b->Lock(p1, n1, p2, n2);
        std::copy(samples.begin(), samples.end(), p1);
        b->Unlock();
        buffers.push_back(std::move(b));
    }
    uint32_t seed = 1;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    std::vector<std::unique_ptr<SoundBuffer>> copies;
    for (int i = 0; i < 20000; ++i) {
        SoundBuffer& b = *buffers[next() % buffers.size()];
        switch (next() % 6) {
        case 0:
            b.Play(next() % 4 == 0);
            break;
        case 1:
            b.Stop();
            break;
        case 2:
            b.SetPan(int32_t(next() % 20001) - 10000);
            break;
        case 3: {
            std::unique_ptr<SoundBuffer> d;
            if (out->DuplicateBuffer(b, d) == kAudioOk) {
                d->Play(false);
                copies.push_back(std::move(d));
            }
            break;
        }
        case 4:
            if (!copies.empty()) copies.erase(copies.begin());
            break; // destroyed while playing
        case 5: {
            uint32_t s;
            b.GetStatus(s);
            break;
        }
        }
    }
    copies.clear();
    for (auto& b : buffers)
        b->Stop();
    buffers[0]->SetCurrentPosition(0);
    buffers[0]->Play(false);
    uint32_t status = kBufferPlaying;
    for (int waited = 0; waited < 3000 && status; waited += 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        buffers[0]->GetStatus(status);
    }
    EXPECT_EQ(status, 0u) << "the mixer thread never finished a 10 ms sound";

    // A song on the same thread: its order moves on by itself, and freeing it is safe mid-play.
    RegisterSongResource("THREADED", soundtest::TinyModule(3));
    const SongHandle song = SongLoadFromResource("THREADED");
    ASSERT_NE(song, 0u);
    SongPlay(song);
    int32_t order = 0;
    for (int waited = 0; waited < 3000 && order == 0; waited += 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        order = SongGetOrder(song);
    }
    EXPECT_NE(order, 0);
    SongFree(song);
}

} // namespace
