#include "platform/Audio.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

namespace platform {

namespace {

// Fixed-point play positions: frame index in the high 32 bits, fraction in the low 32.
constexpr int kFracBits = 32;
constexpr uint64_t kFracOne = uint64_t(1) << kFracBits;
constexpr size_t kQueueSize = 4096; // power of two
constexpr int kChunkFrames = 256;   // frames mixed per inner step
constexpr uint32_t kReopenIntervalMs = 1000;

// Single-producer single-consumer ring: the game thread writes, the mixer thread reads.
template <typename T> class SpscRing {
  public:
    SpscRing() : slots_(kQueueSize) {}
    bool Push(T&& value) {
        size_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) >= kQueueSize) return false;
        slots_[head & (kQueueSize - 1)] = std::move(value);
        head_.store(head + 1, std::memory_order_release);
        return true;
    }
    bool Pop(T& out) {
        size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire)) return false;
        out = std::move(slots_[tail & (kQueueSize - 1)]);
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

  private:
    std::vector<T> slots_;
    std::atomic<size_t> head_{0}, tail_{0};
};

// Output gain of an attenuation in hundredths of a decibel; the bottom of the range is silence.
float Gain(int32_t hundredthsDb) {
    if (hundredthsDb <= kVolumeMin) return 0.0f;
    if (hundredthsDb >= 0) return 1.0f;
    return float(std::pow(10.0, hundredthsDb / 2000.0));
}

int16_t Clamp16(int32_t v) {
    return int16_t(std::clamp<int32_t>(v, -32768, 32767));
}

// Which process output Acquire hands out.
int gOfflineRate = 0;
bool gAcceptSilent = false;
std::weak_ptr<AudioOutput> gOutput;

} // namespace

// Samples converted for mixing: interleaved signed 16-bit, 1 or 2 channels, at their own rate.
struct Pcm {
    std::vector<int16_t> Samples;
    uint32_t Frames = 0;
    int Channels = 1;
    int Rate = 0;
};

// What a buffer and its duplicates share: the written bytes and their mixable form.
struct SampleStore {
    PcmFormat Format;
    std::vector<uint8_t> Bytes;
    std::shared_ptr<const Pcm> Converted;
    bool Locked = false;
};

// One buffer as the mixer sees it. Only EndedSerial is touched by both threads.
struct Voice {
    std::atomic<uint32_t> EndedSerial{0}; // serial of the last one-shot play that ran out
    // Mixer-thread state.
    std::shared_ptr<const Pcm> Data;
    uint64_t Position = 0; // fixed point frames
    uint64_t Step = 0;     // fixed point frames per output frame
    float GainLeft = 1.0f, GainRight = 1.0f;
    uint32_t Serial = 0;
    bool Active = false, Looping = false;
    bool Listed = false; // in the mixer's active list
};

enum CommandKind { cmdPlay, cmdStop, cmdSetPosition, cmdParams, cmdMusicStart, cmdMusicStop };

struct AudioOutput::Command {
    CommandKind Kind = cmdStop;
    std::shared_ptr<Voice> Target;
    std::shared_ptr<const Pcm> Data;
    std::shared_ptr<MusicSource> Music;
    uint64_t Value = 0; // position (frames) or step
    uint32_t Serial = 0;
    bool Looping = false;
    float GainLeft = 1.0f, GainRight = 1.0f;
};

namespace {
AudioOutput::Command Make(CommandKind kind, std::shared_ptr<Voice> target = nullptr) {
    AudioOutput::Command c;
    c.Kind = kind;
    c.Target = std::move(target);
    return c;
}
} // namespace

// Both sides of the hand-off plus everything the mixer thread owns.
struct AudioOutput::Mixer {
    SpscRing<Command> Commands;                    // game thread -> mixer
    SpscRing<std::shared_ptr<const void>> Garbage; // mixer -> game thread, freed there
    std::vector<std::shared_ptr<Voice>> Active;
    std::vector<std::shared_ptr<MusicSource>> Music;
    std::vector<int32_t> Accum;
    std::vector<int16_t> MusicBuffer;

    Mixer() {
        Active.reserve(256);
        Music.reserve(8);
        Accum.resize(kChunkFrames * 2);
        MusicBuffer.resize(kChunkFrames * 2);
    }

    // Hands an object back to the game thread so the mixer never frees memory itself.
    template <typename T> void Discard(std::shared_ptr<T>&& p) {
        if (p) Garbage.Push(std::shared_ptr<const void>(std::move(p)));
        p.reset();
    }

    void Activate(const std::shared_ptr<Voice>& v) {
        v->Active = true;
        if (!v->Listed) {
            v->Listed = true;
            Active.push_back(v);
        }
    }

    void Apply(Command& c) {
        Voice* v = c.Target.get();
        switch (c.Kind) {
        case cmdPlay:
            if (v->Data != c.Data) {
                std::shared_ptr<const Pcm> old = std::move(v->Data);
                v->Data = std::move(c.Data);
                Discard(std::move(old));
            }
            v->Looping = c.Looping;
            v->Serial = c.Serial;
            if (v->Data && (v->Position >> kFracBits) >= v->Data->Frames) v->Position = 0;
            Activate(c.Target);
            break;
        case cmdStop:
            v->Active = false;
            break;
        case cmdSetPosition:
            v->Position = c.Value << kFracBits;
            break;
        case cmdParams:
            v->Step = c.Value;
            v->GainLeft = c.GainLeft;
            v->GainRight = c.GainRight;
            break;
        case cmdMusicStart:
            if (std::find(Music.begin(), Music.end(), c.Music) == Music.end()) Music.push_back(c.Music);
            break;
        case cmdMusicStop: {
            auto it = std::find(Music.begin(), Music.end(), c.Music);
            if (it != Music.end()) {
                std::shared_ptr<MusicSource> gone = std::move(*it);
                Music.erase(it);
                Discard(std::move(gone));
            }
            break;
        }
        }
        Discard(std::move(c.Target));
        Discard(std::move(c.Data));
        Discard(std::move(c.Music));
    }

    void Drain() {
        Command c;
        while (Commands.Pop(c))
            Apply(c);
    }

    // Adds one voice's next frames to the accumulator; false when it ran out.
    bool MixVoice(Voice& v, int frames) {
        const Pcm* d = v.Data.get();
        if (!d || d->Frames == 0) return false;
        const uint64_t end = uint64_t(d->Frames) << kFracBits;
        const int16_t* s = d->Samples.data();
        const uint32_t last = d->Frames - 1;
        const bool stereo = d->Channels == 2;
        const float gl = v.GainLeft, gr = v.GainRight;
        int32_t* acc = Accum.data();
        uint64_t pos = v.Position;
        for (int i = 0; i < frames; ++i) {
            if (pos >= end) {
                if (!v.Looping) {
                    v.Position = 0;
                    return false;
                }
                pos %= end;
            }
            const uint32_t i0 = uint32_t(pos >> kFracBits);
            const uint32_t i1 = i0 < last ? i0 + 1 : (v.Looping ? 0 : last);
            const float t = float(uint32_t(pos)) * (1.0f / 4294967296.0f);
            float l, r;
            if (stereo) {
                l = s[i0 * 2] + (s[i1 * 2] - s[i0 * 2]) * t;
                r = s[i0 * 2 + 1] + (s[i1 * 2 + 1] - s[i0 * 2 + 1]) * t;
            } else {
                l = r = s[i0] + (s[i1] - s[i0]) * t;
            }
            acc[i * 2] += int32_t(l * gl);
            acc[i * 2 + 1] += int32_t(r * gr);
            pos += v.Step;
        }
        v.Position = pos;
        return true;
    }

    // Mixes frames of interleaved stereo into out (the mixer thread's whole job).
    void Mix(int16_t* out, int frames) {
        Drain();
        while (frames > 0) {
            const int n = std::min(frames, kChunkFrames);
            std::fill(Accum.begin(), Accum.begin() + n * 2, 0);
            for (size_t i = 0; i < Active.size();) {
                Voice& v = *Active[i];
                if (v.Active && !MixVoice(v, n)) {
                    v.Active = false;
                    if (!v.Looping) v.EndedSerial.store(v.Serial, std::memory_order_release);
                }
                if (!v.Active) {
                    v.Listed = false;
                    std::shared_ptr<Voice> gone = std::move(Active[i]);
                    Active[i] = std::move(Active.back());
                    Active.pop_back();
                    Discard(std::move(gone));
                } else {
                    ++i;
                }
            }
            for (auto& m : Music) {
                m->Render(MusicBuffer.data(), n);
                for (int i = 0; i < n * 2; ++i)
                    Accum[i] += MusicBuffer[i];
            }
            for (int i = 0; i < n * 2; ++i)
                out[i] = Clamp16(Accum[i]);
            out += n * 2;
            frames -= n;
        }
    }
};

bool IsPlayableFormat(const PcmFormat& f) {
    return (f.Channels == 1 || f.Channels == 2) && (f.BitsPerSample == 8 || f.BitsPerSample == 16) &&
           f.SamplesPerSec >= int(kFrequencyMin) && f.SamplesPerSec <= int(kFrequencyMax);
}

// ---- SoundBuffer ----

SoundBuffer::SoundBuffer(std::shared_ptr<AudioOutput> output, std::shared_ptr<SampleStore> store)
    : output_(std::move(output)), store_(std::move(store)), voice_(std::make_shared<Voice>()) {
    SendParams();
}

SoundBuffer::~SoundBuffer() {
    if (playing_) output_->Post(Make(cmdStop, voice_));
}

uint32_t SoundBuffer::Size() const {
    return uint32_t(store_->Bytes.size());
}
const PcmFormat& SoundBuffer::Format() const {
    return store_->Format;
}

AudioResult SoundBuffer::Lock(uint8_t*& region1, uint32_t& length1, uint8_t*& region2, uint32_t& length2) {
    region2 = nullptr;
    length2 = 0;
    if (output_->CheckLost()) return kAudioBufferLost;
    store_->Locked = true;
    region1 = store_->Bytes.data();
    length1 = uint32_t(store_->Bytes.size());
    return kAudioOk;
}

AudioResult SoundBuffer::Unlock() {
    if (!store_->Locked) return kAudioInvalidParam;
    store_->Locked = false;
    // Convert once here, so playing never converts.
    auto pcm = std::make_shared<Pcm>();
    const PcmFormat& f = store_->Format;
    const size_t bytesPerFrame = size_t(f.Channels) * (f.BitsPerSample / 8);
    pcm->Frames = uint32_t(store_->Bytes.size() / bytesPerFrame);
    pcm->Channels = f.Channels;
    pcm->Rate = f.SamplesPerSec;
    const size_t count = size_t(pcm->Frames) * f.Channels;
    pcm->Samples.resize(count);
    const uint8_t* b = store_->Bytes.data();
    for (size_t i = 0; i < count; ++i) {
        pcm->Samples[i] = f.BitsPerSample == 8 ? int16_t((int(b[i]) - 128) << 8)
                                               : int16_t(uint16_t(b[i * 2] | (b[i * 2 + 1] << 8)));
    }
    store_->Converted = std::move(pcm);
    return output_->CheckLost() ? kAudioBufferLost : kAudioOk;
}

void SoundBuffer::SendParams() {
    const uint32_t rate = frequency_ ? frequency_ : uint32_t(store_->Format.SamplesPerSec);
    AudioOutput::Command c = Make(cmdParams, voice_);
    c.Value = (uint64_t(rate) << kFracBits) / uint64_t(output_->Rate());
    c.GainLeft = Gain(volume_) * Gain(pan_ > 0 ? -pan_ : 0);
    c.GainRight = Gain(volume_) * Gain(pan_ < 0 ? pan_ : 0);
    output_->Post(std::move(c));
}

AudioResult SoundBuffer::Play(bool looping) {
    if (output_->CheckLost()) return kAudioBufferLost;
    ++serial_;
    playing_ = true;
    looping_ = looping;
    AudioOutput::Command c = Make(cmdPlay, voice_);
    c.Data = store_->Converted;
    c.Serial = serial_;
    c.Looping = looping;
    output_->Post(std::move(c));
    return kAudioOk;
}

AudioResult SoundBuffer::Stop() {
    if (output_->CheckLost()) return kAudioBufferLost;
    if (playing_) output_->Post(Make(cmdStop, voice_));
    playing_ = looping_ = false;
    return kAudioOk;
}

AudioResult SoundBuffer::SetCurrentPosition(uint32_t byteOffset) {
    if (output_->CheckLost()) return kAudioBufferLost;
    const PcmFormat& f = store_->Format;
    const uint32_t frame = byteOffset / uint32_t(f.Channels * (f.BitsPerSample / 8));
    AudioOutput::Command c = Make(cmdSetPosition, voice_);
    c.Value = frame;
    output_->Post(std::move(c));
    return kAudioOk;
}

AudioResult SoundBuffer::SetFrequency(uint32_t hz) {
    if (output_->CheckLost()) return kAudioBufferLost;
    if (hz != 0 && (hz < kFrequencyMin || hz > kFrequencyMax)) return kAudioInvalidParam;
    frequency_ = hz;
    SendParams();
    return kAudioOk;
}

AudioResult SoundBuffer::SetPan(int32_t pan) {
    if (output_->CheckLost()) return kAudioBufferLost;
    if (pan < kPanLeft || pan > kPanRight) return kAudioInvalidParam;
    pan_ = pan;
    SendParams();
    return kAudioOk;
}

AudioResult SoundBuffer::SetVolume(int32_t volume) {
    if (output_->CheckLost()) return kAudioBufferLost;
    if (volume < kVolumeMin || volume > kVolumeMax) return kAudioInvalidParam;
    volume_ = volume;
    SendParams();
    return kAudioOk;
}

AudioResult SoundBuffer::GetStatus(uint32_t& status) {
    status = 0;
    if (output_->CheckLost()) return kAudioBufferLost;
    // A one-shot play is over once the mixer reports this very play as ended.
    if (playing_ && !looping_ && voice_->EndedSerial.load(std::memory_order_acquire) == serial_)
        playing_ = false;
    if (playing_) status = kBufferPlaying | (looping_ ? kBufferLooping : 0);
    return kAudioOk;
}

// ---- AudioOutput ----

AudioOutput::AudioOutput(int rate, bool offline)
    : mixer_(std::make_unique<Mixer>()), rate_(rate), offline_(offline) {}

AudioOutput::~AudioOutput() {
    CloseDevice();
    mixer_->Drain();
    Collect();
    mixer_->Active.clear();
    mixer_->Music.clear();
    Collect();
}

void AudioOutput::UseOffline(int rate) {
    gOfflineRate = rate;
}
void AudioOutput::AcceptSilentDrivers(bool accept) {
    gAcceptSilent = accept;
}

std::shared_ptr<AudioOutput> AudioOutput::Acquire() {
    if (auto existing = gOutput.lock()) return existing;
    std::shared_ptr<AudioOutput> out;
    if (gOfflineRate > 0) {
        out.reset(new AudioOutput(gOfflineRate, true));
    } else {
        out.reset(new AudioOutput(48000, false));
        if (!out->OpenDevice()) return nullptr;
    }
    gOutput = out;
    return out;
}

bool AudioOutput::OpenDevice() {
    if (!(SDL_WasInit(SDL_INIT_AUDIO) & SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    // These drivers accept everything and play nothing: the game treats them as no sound card.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || (!gAcceptSilent && (!std::strcmp(driver, "dummy") || !std::strcmp(driver, "disk"))))
        return false;
    SDL_AudioSpec want{}, have{};
    // A reopened output keeps the first rate (SDL converts), so playing voices and songs keep pitch.
    want.freq = everOpened_ ? rate_ : 48000;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &AudioOutput::Callback;
    want.userdata = this;
    device_ =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, everOpened_ ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return false;
    rate_ = have.freq;
    everOpened_ = true;
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void AudioOutput::CloseDevice() {
    if (device_ != 0) SDL_CloseAudioDevice(device_); // joins the mixer thread
    device_ = 0;
}

void AudioOutput::Callback(void* self, uint8_t* stream, int len) {
    auto* out = static_cast<AudioOutput*>(self);
    out->mixer_->Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

void AudioOutput::Render(int16_t* out, int frames) {
    if (!offline_) {
        std::memset(out, 0, size_t(frames) * 4);
        return;
    }
    const auto keep = weak_from_this().lock(); // a collected song may hold the last reference
    mixer_->Mix(out, frames);
    Collect();
}

void AudioOutput::Collect() {
    std::shared_ptr<const void> p;
    while (mixer_->Garbage.Pop(p))
        p.reset();
}

void AudioOutput::Post(Command&& c) {
    const auto keep = weak_from_this().lock(); // a collected song may hold the last reference
    Collect();
    // Without a running mixer thread (offline, or the device is gone) this thread is the
    // consumer, so a full queue can simply be drained here.
    const bool ownThread = offline_ || device_ == 0;
    if (ownThread) {
        if (!mixer_->Commands.Push(std::move(c))) {
            mixer_->Drain();
            mixer_->Commands.Push(std::move(c));
        }
        if (device_ == 0 && !offline_) mixer_->Drain();
        Collect();
        return;
    }
    while (!mixer_->Commands.Push(std::move(c)))
        std::this_thread::yield(); // only if the mixer stalls
}

void AudioOutput::SimulateLoss() {
    simulatedLoss_ = true;
}

bool AudioOutput::CheckLost() {
    if (!lost_) {
        const bool gone =
            simulatedLoss_ || (device_ != 0 && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED);
        if (!gone) return false;
        // Report the loss once; keep mixing in memory until an output is back.
        simulatedLoss_ = false;
        CloseDevice();
        lost_ = true;
        lastReopenMs_ = offline_ ? 0 : SDL_GetTicks();
        if (offline_)
            lost_ = false; // an offline output "reopens" at once
        else if (OpenDevice())
            lost_ = false;
        return true;
    }
    const uint32_t now = SDL_GetTicks();
    if (now - lastReopenMs_ < kReopenIntervalMs) return false;
    lastReopenMs_ = now;
    if (!OpenDevice()) return false;
    lost_ = false;
    return true; // the output is back: the caller rebuilds its buffers
}

AudioResult AudioOutput::CreateBuffer(const PcmFormat& format, uint32_t size,
                                      std::unique_ptr<SoundBuffer>& out) {
    out.reset();
    if (!IsPlayableFormat(format) || size == 0) return kAudioInvalidParam;
    auto store = std::make_shared<SampleStore>();
    store->Format = format;
    // Silence until written: 8-bit PCM is unsigned.
    store->Bytes.assign(size, format.BitsPerSample == 8 ? 0x80 : 0);
    out.reset(new SoundBuffer(shared_from_this(), std::move(store)));
    return kAudioOk;
}

AudioResult AudioOutput::DuplicateBuffer(const SoundBuffer& source, std::unique_ptr<SoundBuffer>& out) {
    out.reset();
    if (CheckLost()) return kAudioBufferLost;
    out.reset(new SoundBuffer(shared_from_this(), source.store_));
    return kAudioOk;
}

void AudioOutput::StartMusic(const std::shared_ptr<MusicSource>& source) {
    Command c = Make(cmdMusicStart);
    c.Music = source;
    Post(std::move(c));
}

void AudioOutput::StopMusic(const std::shared_ptr<MusicSource>& source) {
    Command c = Make(cmdMusicStop);
    c.Music = source;
    Post(std::move(c));
}

} // namespace platform
