// Sound output: one stereo output stream and our own mixer of sound buffers and music, run on
// SDL's audio thread (or, offline, into memory for tests and benchmarks).
#pragma once
#include <cstdint>
#include <memory>

namespace platform {

// Result of an audio operation; the sound layer remembers these codes.
using AudioResult = uint32_t;
inline constexpr AudioResult kAudioOk = 0;
inline constexpr AudioResult kAudioFailed = 0x80004005;
inline constexpr AudioResult kAudioInvalidParam = 0x80070057;
// The output was lost (device removed or reset); the caller rebuilds its buffers.
inline constexpr AudioResult kAudioBufferLost = 0x88780096;

// Status bits of a sound buffer.
inline constexpr uint32_t kBufferPlaying = 1;
inline constexpr uint32_t kBufferLooping = 4;

// Pan and volume limits, in hundredths of a decibel (volume is attenuation, 0 = full).
inline constexpr int32_t kPanLeft = -10000, kPanRight = 10000;
inline constexpr int32_t kVolumeMin = -10000, kVolumeMax = 0;
// Frequency limits of a buffer; 0 means the samples' own rate.
inline constexpr uint32_t kFrequencyMin = 100, kFrequencyMax = 200000;

// Integer PCM sample layout of a buffer.
struct PcmFormat {
    int Channels = 0;      // 1 or 2
    int BitsPerSample = 0; // 8 (unsigned) or 16 (signed)
    int SamplesPerSec = 0; // kFrequencyMin..kFrequencyMax
};

// True when the mixer can hold samples of this layout.
bool IsPlayableFormat(const PcmFormat& format);

// Something the mixer asks for stereo frames at the output rate (a playing song).
class MusicSource {
  public:
    virtual ~MusicSource() = default;
    // Called on the mixer thread: writes frames of interleaved stereo into out.
    virtual void Render(int16_t* out, int frames) = 0;
};

class AudioOutput;
struct Voice;
struct SampleStore;

// A sound buffer on the output: samples (shared with its duplicates), a play position and its
// own frequency, pan and volume. Used from the game thread only.
class SoundBuffer {
  public:
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    // Hands out the whole sample memory for writing: one region (the second is always empty).
    AudioResult Lock(uint8_t*& region1, uint32_t& length1, uint8_t*& region2, uint32_t& length2);
    // Ends writing; the new samples are heard from the next play on.
    AudioResult Unlock();
    // Starts from the current position, once or looping.
    AudioResult Play(bool looping);
    // Stops; the position stays where it was.
    AudioResult Stop();
    // Moves the play position to a byte offset of the samples.
    AudioResult SetCurrentPosition(uint32_t byteOffset);
    // 0 = the samples' own rate, else kFrequencyMin..kFrequencyMax.
    AudioResult SetFrequency(uint32_t hz);
    // kPanLeft..kPanRight: the other side is attenuated by that many hundredths of a decibel.
    AudioResult SetPan(int32_t pan);
    // kVolumeMin..kVolumeMax: attenuation in hundredths of a decibel.
    AudioResult SetVolume(int32_t volume);
    // kBufferPlaying / kBufferLooping bits.
    AudioResult GetStatus(uint32_t& status);

    uint32_t Size() const;
    const PcmFormat& Format() const;

  private:
    friend class AudioOutput;
    SoundBuffer(std::shared_ptr<AudioOutput> output, std::shared_ptr<SampleStore> store);
    void SendParams();

    std::shared_ptr<AudioOutput> output_;
    std::shared_ptr<SampleStore> store_;
    std::shared_ptr<Voice> voice_;
    uint32_t serial_ = 0; // number of the last Play
    bool playing_ = false, looping_ = false;
    int32_t pan_ = 0, volume_ = 0;
    uint32_t frequency_ = 0;
};

// The output stream and its mixer. One per process, shared by the sound device and the music.
// All calls come from the game thread; only the mixing runs on SDL's audio thread.
class AudioOutput : public std::enable_shared_from_this<AudioOutput> {
  public:
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // The process's output, opened on first use and closed when the last user lets go; null
    // when there is no usable output (no device, or SDL's dummy, disk or disabled drivers).
    static std::shared_ptr<AudioOutput> Acquire();
    // Offline mode (tests, benchmarks): Acquire gives an output that mixes only when Render is
    // called, at the given rate. 0 goes back to the real output. Only while no output is held.
    static void UseOffline(int rate);
    // Lets SDL's silent drivers (dummy, disk) count as an output, so tests can drive the real
    // mixer thread without a sound card.
    static void AcceptSilentDrivers(bool accept);

    // Makes an empty (silent) buffer for size bytes of samples in the given layout.
    AudioResult CreateBuffer(const PcmFormat& format, uint32_t size, std::unique_ptr<SoundBuffer>& out);
    // A buffer sharing source's samples, with its own position and settings (all reset).
    AudioResult DuplicateBuffer(const SoundBuffer& source, std::unique_ptr<SoundBuffer>& out);

    int Rate() const { return rate_; }
    bool Offline() const { return offline_; }
    // Mixes frames of interleaved stereo into out (offline outputs only).
    void Render(int16_t* out, int frames);

    // Called by every buffer operation: true once after the device was removed or reset (the
    // caller then reports kAudioBufferLost); tries to reopen the device now and then.
    bool CheckLost();
    // Marks the output lost as a removed device would (tests).
    void SimulateLoss();

    // Music: mixes source into the output until StopMusic; the mixer keeps it alive meanwhile.
    void StartMusic(const std::shared_ptr<MusicSource>& source);
    void StopMusic(const std::shared_ptr<MusicSource>& source);

    struct Mixer;
    struct Command;
    // Queues a command for the mixer thread (applies it at once when nothing mixes).
    void Post(Command&& command);

  private:
    AudioOutput(int rate, bool offline);
    bool OpenDevice();
    void CloseDevice();
    static void Callback(void* self, uint8_t* stream, int len);
    void Collect();

    std::unique_ptr<Mixer> mixer_;
    int rate_ = 48000;
    bool offline_ = false;
    uint32_t device_ = 0;
    bool lost_ = false, simulatedLoss_ = false, everOpened_ = false;
    uint32_t lastReopenMs_ = 0;
};

} // namespace platform
