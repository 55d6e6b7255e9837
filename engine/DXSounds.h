// Sound effects: the sound device component, device buffers, and the wave list with its named
// sounds (looping, overlapping copies and the limit on copies).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/ComponentStream.h"
#include "engine/Errors.h"
#include "engine/HashCollection.h"
#include "engine/Wave.h"
#include "platform/Audio.h"

// The sound service itself failed ("DirectSound cannot be initialized", "IDirectSound not made").
class EDirectSoundError : public EGameError {
    using EGameError::EGameError;
};
// A device buffer failed ("Sound Buffer cannot be made", "... cannot be locked", "IDirectSoundBuffer not
// made").
class EDirectSoundBufferError : public EGameError {
    using EGameError::EGameError;
};

class TDXSound;
class TDXWaveList;
class TWaveCollection;

// Options of the sound device, in their bit order.
enum TDXSoundOption : uint32_t { soGlobalFocus, soStickyFocus, soExclusive };

// A set of TDXSoundOption as bits.
struct TDXSoundOptions {
    uint32_t Bits = 0;
    // Membership test and insertion.
    bool Has(TDXSoundOption o) const { return Bits & (1u << o); }
    void Include(TDXSoundOption o) { Bits |= 1u << o; }
};

// Notices the sound device sends to its listeners (wave lists).
enum TDXSoundNotifyType { dsntDestroying, dsntInitializing, dsntInitialize, dsntFinalize, dsntRestore };

// Anything that follows the sound device through initialisation, restore and shutdown.
class TDXSoundListener {
  public:
    virtual ~TDXSoundListener() = default;
    // Called with each notice; Sender is the device.
    virtual void DXSoundNotify(TDXSound& sender, TDXSoundNotifyType notify) = 0;
};

// Creation flags of sound buffers.
inline constexpr uint32_t kBufferCtrlFrequency = 0x20, kBufferCtrlPan = 0x40, kBufferCtrlVolume = 0x80;
inline constexpr uint32_t kBufferStickyFocus = 0x4000, kBufferGlobalFocus = 0x8000;

// A device buffer of a sound device: creates, fills and drives one platform buffer and remembers
// the result of every call. A lost output reported by any call restores the device once.
class TDirectSoundBuffer {
  public:
    explicit TDirectSoundBuffer(TDXSound& sound) : sound_(sound) {}

    // Makes a new platform buffer for Wave and copies its samples in; raises
    // EDirectSoundBufferError "Sound Buffer cannot be made" / "Sound Buffer cannot be locked".
    void LoadFromWave(const TWave& wave);
    // A new buffer sharing this one's samples; null when it cannot be made.
    std::unique_ptr<TDirectSoundBuffer> Duplicate();

    // Plays from the current position, once or looping.
    void Play(bool looping);
    // Stops; the position stays.
    void Stop();
    // Moves the play position to a byte offset of the samples.
    void SetPosition(uint32_t byteOffset);
    // Samples per second (0 = the wave's own rate), pan and volume in the platform's units.
    void SetFrequency(uint32_t hz);
    void SetPan(int32_t pan);
    void SetVolume(int32_t volume);
    // Status bits (platform::kBufferPlaying, platform::kBufferLooping); 0 when the call failed.
    uint32_t Status();

    // True once a platform buffer exists.
    bool Made() const { return buffer_ != nullptr; }
    // Result of the last platform call.
    platform::AudioResult LastResult() const { return result_; }

  private:
    // The platform buffer; raises "IDirectSoundBuffer not made" when there is none.
    platform::SoundBuffer& Buffer();
    void Check(platform::AudioResult r);

    TDXSound& sound_;
    std::unique_ptr<platform::SoundBuffer> buffer_;
    platform::AudioResult result_ = platform::kAudioOk;
};

// The sound device component (the form's MDXSound).
class TDXSound {
  public:
    // Owner is the form that owns the component (the main form passes itself); without one
    // InitializeSound raises "Form not found".
    explicit TDXSound(const void* owner);
    // Finalises, then tells the listeners the device is going away.
    ~TDXSound();
    TDXSound(const TDXSound&) = delete;
    TDXSound& operator=(const TDXSound&) = delete;

    // Open the device when the form has finished loading (Loaded).
    bool AutoInitialize = true;
    // Focus and exclusive-level options: kept for the file's sake; the mixer has no focus rules.
    TDXSoundOptions Options;
    // Events of the life cycle (the game sets none).
    std::function<void()> OnFinalize, OnInitialize, OnInitializing, OnRestore;

    // Called when the form has finished creating its components: with AutoInitialize opens the
    // device; a missing sound output is swallowed (the game then runs silently).
    void Loaded();
    // Opens the output and tells the listeners; raises "Form not found", "DirectSound cannot be
    // initialized" (no output) or "Primary Buffer cannot be made".
    void InitializeSound();
    // Tells the listeners the device is going and closes it.
    void FinalizeSound();
    // When initialised: the restore notice, then OnRestore. Not re-entered while it runs.
    void RestoreSound();

    // True between a successful InitializeSound and FinalizeSound.
    bool Initialized() const { return initialized_; }
    // The output the buffers live on; raises EDirectSoundError "IDirectSound not made" when none.
    platform::AudioOutput& DSound();
    // Flags given to every sound buffer (controls plus the focus option).
    uint32_t BufferFlags() const;

    // Appends a listener; an initialised device sends it the initialize and restore notices.
    void RegisterNotifyEvent(TDXSoundListener* listener);
    // Removes a listener; an initialised device sends it the finalize notice first.
    void UnRegisterNotifyEvent(TDXSoundListener* listener);

    // Called by buffers with every platform result: a lost output restores the device.
    void HandleResult(platform::AudioResult r);

  private:
    void Notify(TDXSoundNotifyType n);

    const void* owner_;
    bool initialized_ = false, opened_ = false, initializeDone_ = false, restoring_ = false;
    std::shared_ptr<platform::AudioOutput> device_;
    bool primary_ = false;
    std::vector<TDXSoundListener*> listeners_;
};

// A named sound of a wave list.
class TWaveCollectionItem : public THashCollectionItem, public TStreamObject {
  public:
    explicit TWaveCollectionItem(TWaveCollection& collection);
    ~TWaveCollectionItem() override;

    // Play as an endless loop on the single main buffer.
    bool Looped() const { return looped_; }
    // A different value stops the sound first.
    void SetLooped(bool looped);
    // Most copies playing at once; 0 = no limit.
    int32_t MaxPlayingCount() const { return maxPlayingCount_; }
    // Negative becomes 0 (no limit); a change drops the play buffers of a ready item.
    void SetMaxPlayingCount(int32_t count);
    // The sound's format block and samples.
    const TWave& Wave() const { return wave_; }
    TWave& Wave() { return wave_; }
    // Copies the wave; the device buffer is not rebuilt.
    void SetWave(const TWave& wave) { wave_.Assign(wave); }
    // Playback settings of every buffer of the item (0 = own rate, centre, full volume); a
    // change reaches the main buffer at once and play buffers at their next play.
    uint32_t Frequency() const { return frequency_; }
    void SetFrequency(uint32_t hz);
    int32_t Pan() const { return pan_; }
    void SetPan(int32_t pan);
    int32_t Volume() const { return volume_; }
    void SetVolume(int32_t volume);

    // True while the collection is attached to an initialised device.
    bool Ready() const { return ready_; }
    // The buffer holding the samples (null until built), and the copies used for one-shot plays.
    TDirectSoundBuffer* MainBuffer() const { return main_.get(); }
    const std::vector<std::unique_ptr<TDirectSoundBuffer>>& PlayBuffers() const { return playBuffers_; }

    // Builds the main buffer from the wave (after attaching and on every restore).
    void RebuildBuffer();
    // Plays the sound: the main buffer looping, or a one-shot on a chosen play buffer. With wait,
    // returns when it has finished.
    void StartPlayback(bool wait = false);
    // Stops the main buffer and every play buffer (positions are kept).
    void StopPlayback();

    // The collection holding the item.
    TWaveCollection& Owner() const;
    // Stream reading: "Name", "Looped", "MaxPlayingCount" and the "Wave" object.
    std::string StreamClassName() const override { return "TWaveCollectionItem"; }
    std::string StreamInstanceName() const override { return Name(); }
    bool FindProperty(const std::string& name, TStreamProperty& out) override;

  private:
    friend class TWaveCollection;
    void MakeReady();
    void ReleaseBuffers();
    void ApplySettings(TDirectSoundBuffer& buffer);

    bool looped_ = false;
    int32_t maxPlayingCount_ = 0;
    TWave wave_;
    uint32_t frequency_ = 0;
    int32_t pan_ = 0, volume_ = 0;
    bool ready_ = false;
    std::unique_ptr<TDirectSoundBuffer> main_;
    std::vector<std::unique_ptr<TDirectSoundBuffer>> playBuffers_;
};

// The named sounds of a wave list, in file order.
class TWaveCollection : public THashCollection, public TStreamCollection {
  public:
    explicit TWaveCollection(TDXWaveList* owner = nullptr) : owner_(owner) {}
    ~TWaveCollection() override;

    // Appends an item with the values of a new item.
    TWaveCollectionItem& Add();
    // The item at Index (0-based); null when out of range.
    TWaveCollectionItem* Items(int index) const { return static_cast<TWaveCollectionItem*>(ItemAt(index)); }
    // The item named Name ignoring case (the one named last among equals); raises
    // EWaveCollectionError "Wave '%s' not found".
    TWaveCollectionItem& FindItem(const std::string& name) const;

    // Reads a wave-list file; raises EFOpenError when it cannot be opened.
    void LoadListFile(const std::string& path);
    // Empties the collection, reads the header and component stream, then attaches the device
    // and builds the buffers when one is set and initialised. Items read before an error stay.
    void LoadListStream(TByteReader& stream);
    // The whole wave-list file (tools and tests).
    std::vector<uint8_t> SaveListStream(const std::string& resourceName = "TWaveCollectionComponent") const;

    // Detaches, stores the device and makes every item ready.
    void AttachSound(TDXSound* sound);
    // Releases every item's buffers and forgets the device.
    void DetachSound();
    // RebuildBuffer for every item, in index order.
    void RebuildBuffers();

    // The device attached (null when none) and the wave list owning the collection.
    TDXSound* DXSound() const { return sound_; }
    TDXWaveList* Owner() const { return owner_; }

    // Stream reading: the "List" collection value of the file.
    std::string StreamClassName() const override { return "TWaveCollection"; }
    void ClearItems() override { Clear(); }
    TStreamObject& AppendItem() override { return Add(); }

  private:
    TDXWaveList* owner_;
    TDXSound* sound_ = nullptr;
};

// The wave list component (the form's MDXWaveList): its device binding and its sounds.
class TDXWaveList : public TDXSoundListener {
  public:
    TDXWaveList() : Items(this) {}
    ~TDXWaveList() override;
    TDXWaveList(const TDXWaveList&) = delete;
    TDXWaveList& operator=(const TDXWaveList&) = delete;

    // The device the list follows (null when none).
    TDXSound* DXSound() const { return sound_; }
    // Unregisters from the old device and registers with the new one (null: none).
    void SetDXSound(TDXSound* sound);

    // The sounds, owned by the list.
    TWaveCollection Items;

    // Follows the device: attach on initialise, detach on finalise, rebuild on restore.
    void DXSoundNotify(TDXSound& sender, TDXSoundNotifyType notify) override;

  private:
    TDXSound* sound_ = nullptr;
};
