// CPU cost of the sound mixer: 16 looping voices (resampled, panned) plus a playing module,
// rendered offline at the output rate, as a percentage of one core. Goal: under 2 %.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchUtil.h"
#include "platform/Audio.h"
#include "platform/Music.h"

namespace {

constexpr int kRate = 48000;

std::unique_ptr<platform::SoundBuffer> MakeVoice(platform::AudioOutput& out, int index) {
    // One second of a tone at 22050 Hz, so every voice is resampled.
    const int rate = 22050;
    std::vector<int16_t> samples(rate);
    for (int i = 0; i < rate; ++i)
        samples[i] = int16_t(8000 * std::sin(i * (0.01 + index * 0.003)));
    std::unique_ptr<platform::SoundBuffer> b;
    if (out.CreateBuffer({1, 16, rate}, uint32_t(samples.size() * 2), b) != platform::kAudioOk)
        return nullptr;
    uint8_t *p1, *p2;
    uint32_t n1, n2;
    b->Lock(p1, n1, p2, n2);
    std::memcpy(p1, samples.data(), n1);
    b->Unlock();
    b->SetPan(-8000 + index * 1000);
    b->SetVolume(-index * 50);
    b->Play(true);
    return b;
}

// CPU seconds spent rendering Seconds of audio; Peak gets the loudest sample (a silent result
// would mean nothing was mixed).
double RenderCost(platform::AudioOutput& out, int seconds, int& peak) {
    std::vector<int16_t> buf(1024 * 2);
    peak = 0;
    const double start = bench::CpuSeconds();
    for (int done = 0; done < kRate * seconds; done += 1024) {
        out.Render(buf.data(), 1024);
        peak = std::max(peak, std::abs(int(buf[0])));
    }
    return bench::CpuSeconds() - start;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    bench::EnterScratchDir("mixer");
    platform::AudioOutput::UseOffline(kRate);
    auto out = platform::AudioOutput::Acquire();
    std::vector<std::unique_ptr<platform::SoundBuffer>> voices;
    for (int i = 0; i < 16; ++i)
        voices.push_back(MakeVoice(*out, i));

    int peak = 0;
    const double voicesOnly = RenderCost(*out, seconds, peak);
    if (peak == 0) {
        std::fprintf(stderr, "mixer: the voices rendered silence\n");
        return 1;
    }
    bench::Row("mixer: 16 voices, % of one core", voicesOnly / seconds * 100.0, "%", "< 2");

    const platform::SongHandle song = platform::SongLoadFromFile("Data/Music/Race.xm");
    if (song == 0) {
        std::fprintf(stderr, "mixer: Data/Music/Race.xm not found; build the game data first\n");
        return 1;
    }
    for (auto& v : voices)
        v->Stop();
    platform::SongPlay(song);
    const double songOnly = RenderCost(*out, seconds, peak);
    if (peak == 0) {
        std::fprintf(stderr, "mixer: the module rendered silence\n");
        return 1;
    }
    bench::Row("mixer: Race.xm alone, % of one core", songOnly / seconds * 100.0, "%");
    for (auto& v : voices)
        v->Play(true);
    const double withSong = RenderCost(*out, seconds, peak);
    bench::Row("mixer: 16 voices + Race.xm, % of one core", withSong / seconds * 100.0, "%", "< 2");
    platform::SongFree(song);
    return 0;
}
