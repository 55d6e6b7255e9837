#include "engine/DXSounds.h"

#include <algorithm>
#include <cstring>

#include "platform/Clock.h"

namespace {

constexpr uint32_t kBusy = platform::kBufferPlaying | platform::kBufferLooping;

} // namespace

// ---- TDirectSoundBuffer ----

platform::SoundBuffer& TDirectSoundBuffer::Buffer() {
    if (!buffer_) throw EDirectSoundBufferError(Format("%s not made", "IDirectSoundBuffer"));
    return *buffer_;
}

void TDirectSoundBuffer::Check(platform::AudioResult r) {
    result_ = r;
    sound_.HandleResult(r);
}

void TDirectSoundBuffer::LoadFromWave(const TWave& wave) {
    buffer_.reset();
    TWaveFormat f;
    const platform::PcmFormat pcm{ReadWaveFormat(wave.FormatBlock(), f) && f.Pcm ? int(f.Channels) : 0,
                                  int(f.BitsPerSample), int(f.SamplesPerSec)};
    std::unique_ptr<platform::SoundBuffer> made;
    result_ = sound_.DSound().CreateBuffer(pcm, uint32_t(wave.Data().size()), made);
    if (result_ != platform::kAudioOk || !made)
        throw EDirectSoundBufferError(Format("%s cannot be made", "Sound Buffer"));

    uint8_t *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    result_ = made->Lock(p1, n1, p2, n2);
    // A fresh buffer that meets a just-lost output is simply locked again; it is being rebuilt anyway.
    if (result_ == platform::kAudioBufferLost) result_ = made->Lock(p1, n1, p2, n2);
    if (result_ != platform::kAudioOk)
        throw EDirectSoundBufferError(Format("%s cannot be locked", "Sound Buffer"));
    const uint8_t* src = wave.Data().data();
    const size_t total = wave.Data().size();
    const size_t first = std::min<size_t>(n1, total);
    if (first) std::memcpy(p1, src, first);
    if (p2 && total > first) std::memcpy(p2, src + first, std::min<size_t>(n2, total - first));
    result_ = made->Unlock();
    buffer_ = std::move(made);
}

std::unique_ptr<TDirectSoundBuffer> TDirectSoundBuffer::Duplicate() {
    std::unique_ptr<platform::SoundBuffer> dup;
    const platform::AudioResult r = sound_.DSound().DuplicateBuffer(Buffer(), dup);
    Check(r);
    if (r != platform::kAudioOk || !dup) return nullptr;
    auto copy = std::make_unique<TDirectSoundBuffer>(sound_);
    copy->buffer_ = std::move(dup);
    return copy;
}

void TDirectSoundBuffer::Play(bool looping) {
    Check(Buffer().Play(looping));
}
void TDirectSoundBuffer::Stop() {
    Check(Buffer().Stop());
}
void TDirectSoundBuffer::SetPosition(uint32_t byteOffset) {
    Check(Buffer().SetCurrentPosition(byteOffset));
}
void TDirectSoundBuffer::SetFrequency(uint32_t hz) {
    Check(Buffer().SetFrequency(hz));
}
void TDirectSoundBuffer::SetPan(int32_t pan) {
    Check(Buffer().SetPan(pan));
}
void TDirectSoundBuffer::SetVolume(int32_t volume) {
    Check(Buffer().SetVolume(volume));
}

uint32_t TDirectSoundBuffer::Status() {
    uint32_t s = 0;
    const platform::AudioResult r = Buffer().GetStatus(s);
    Check(r);
    return r == platform::kAudioOk ? s : 0;
}

// ---- TDXSound ----

TDXSound::TDXSound(const void* owner) : owner_(owner) {}

TDXSound::~TDXSound() {
    FinalizeSound();
    Notify(dsntDestroying);
}

void TDXSound::Notify(TDXSoundNotifyType n) {
    // Last registered first; a listener may unregister itself (or others) while being told.
    const std::vector<TDXSoundListener*> snapshot = listeners_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        if (std::find(listeners_.begin(), listeners_.end(), *it) != listeners_.end())
            (*it)->DXSoundNotify(*this, n);
    }
}

void TDXSound::Loaded() {
    if (!AutoInitialize) return;
    try {
        InitializeSound();
    } catch (const EDirectSoundError&) {
        // No sound output: the game runs silently.
    }
}

void TDXSound::InitializeSound() {
    FinalizeSound();
    if (!owner_) throw EDXSoundError("Form not found");
    Notify(dsntInitializing);
    if (OnInitializing) OnInitializing();
    opened_ = true;
    try {
        device_ = platform::AudioOutput::Acquire();
        if (!device_) throw EDirectSoundError(Format("%s cannot be initialized", "DirectSound"));
        // The mixer has no separate primary buffer to fail; the output stream plays that part.
        primary_ = true;
        initialized_ = true;
    } catch (...) {
        FinalizeSound();
        throw;
    }
    Notify(dsntInitialize);
    if (OnInitialize) OnInitialize();
    initializeDone_ = true;
    RestoreSound();
}

void TDXSound::FinalizeSound() {
    if (opened_) {
        opened_ = false;
        if (initializeDone_ && OnFinalize) OnFinalize();
        initializeDone_ = false;
        Notify(dsntFinalize);
    }
    initialized_ = false;
    primary_ = false;
    device_.reset();
}

void TDXSound::RestoreSound() {
    if (!initialized_ || restoring_) return;
    restoring_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{restoring_};
    Notify(dsntRestore);
    if (OnRestore) OnRestore();
}

platform::AudioOutput& TDXSound::DSound() {
    if (!device_) throw EDirectSoundError(Format("%s not made", "IDirectSound"));
    return *device_;
}

uint32_t TDXSound::BufferFlags() const {
    uint32_t flags = kBufferCtrlFrequency | kBufferCtrlPan | kBufferCtrlVolume;
    if (Options.Has(soStickyFocus))
        flags |= kBufferStickyFocus;
    else if (Options.Has(soGlobalFocus))
        flags |= kBufferGlobalFocus;
    return flags;
}

void TDXSound::RegisterNotifyEvent(TDXSoundListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
    listeners_.push_back(listener);
    if (initialized_) {
        listener->DXSoundNotify(*this, dsntInitialize);
        listener->DXSoundNotify(*this, dsntRestore);
    }
}

void TDXSound::UnRegisterNotifyEvent(TDXSoundListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) return;
    if (initialized_) listener->DXSoundNotify(*this, dsntFinalize);
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void TDXSound::HandleResult(platform::AudioResult r) {
    if (r == platform::kAudioBufferLost) RestoreSound();
}

// ---- TWaveCollectionItem ----

TWaveCollectionItem::TWaveCollectionItem(TWaveCollection& collection) : THashCollectionItem(collection) {}

TWaveCollectionItem::~TWaveCollectionItem() {
    ReleaseBuffers();
}

TWaveCollection& TWaveCollectionItem::Owner() const {
    return static_cast<TWaveCollection&>(Collection());
}

void TWaveCollectionItem::SetLooped(bool looped) {
    if (looped == looped_) return;
    StopPlayback();
    looped_ = looped;
}

void TWaveCollectionItem::SetMaxPlayingCount(int32_t count) {
    if (count < 0) count = 0;
    if (count == maxPlayingCount_) return;
    maxPlayingCount_ = count;
    if (ready_) playBuffers_.clear();
}

void TWaveCollectionItem::SetFrequency(uint32_t hz) {
    frequency_ = hz;
    if (ready_ && main_ && main_->Made()) main_->SetFrequency(hz);
}

void TWaveCollectionItem::SetPan(int32_t pan) {
    pan_ = pan;
    if (ready_ && main_ && main_->Made()) main_->SetPan(pan);
}

void TWaveCollectionItem::SetVolume(int32_t volume) {
    volume_ = volume;
    if (ready_ && main_ && main_->Made()) main_->SetVolume(volume);
}

void TWaveCollectionItem::MakeReady() {
    if (ready_) ReleaseBuffers();
    TDXSound* sound = Owner().DXSound();
    ready_ = sound && sound->Initialized();
}

void TWaveCollectionItem::ReleaseBuffers() {
    if (!ready_) return;
    ready_ = false;
    playBuffers_.clear();
    main_.reset();
}

void TWaveCollectionItem::ApplySettings(TDirectSoundBuffer& b) {
    b.SetFrequency(frequency_);
    b.SetPan(pan_);
    b.SetVolume(volume_);
}

void TWaveCollectionItem::RebuildBuffer() {
    if (wave_.Data().empty()) return;
    if (!ready_) {
        TDXSound* sound = Owner().DXSound();
        if (sound && sound->Initialized()) MakeReady();
        if (!ready_) return;
    }
    if (!main_) main_ = std::make_unique<TDirectSoundBuffer>(*Owner().DXSound());
    main_->LoadFromWave(wave_);
    ApplySettings(*main_);
}

void TWaveCollectionItem::StartPlayback(bool wait) {
    if (!ready_) return;
    auto haveMain = [this] { return main_ && main_->Made(); };
    if (looped_) {
        if (!haveMain()) RebuildBuffer();
        if (!haveMain()) return; // nothing to loop (no samples)
        main_->Stop();
        main_->SetPosition(0);
        main_->Play(true);
        return;
    }
    TDirectSoundBuffer* chosen = nullptr;
    for (auto& b : playBuffers_) {
        if (!(b->Status() & kBusy)) {
            chosen = b.get();
            break;
        }
    }
    if (!chosen && (maxPlayingCount_ == 0 || int32_t(playBuffers_.size()) < maxPlayingCount_)) {
        if (!haveMain()) RebuildBuffer();
        if (!haveMain()) return;
        auto dup = main_->Duplicate();
        if (!dup) return;
        playBuffers_.push_back(std::move(dup));
        chosen = playBuffers_.back().get();
    }
    if (!chosen) {
        // All copies busy and no room for another: restart the one started longest ago.
        std::rotate(playBuffers_.begin(), playBuffers_.begin() + 1, playBuffers_.end());
        chosen = playBuffers_.back().get();
    }
    chosen->Stop();
    chosen->SetPosition(0);
    ApplySettings(*chosen);
    chosen->Play(false);
    if (wait) {
        while (chosen->Status() & kBusy)
            platform::GameClock().Sleep(10);
    }
}

void TWaveCollectionItem::StopPlayback() {
    if (!ready_) return;
    if (!main_) throw EDirectSoundBufferError(Format("%s not made", "IDirectSoundBuffer"));
    main_->Stop();
    for (auto& b : playBuffers_)
        b->Stop();
}

bool TWaveCollectionItem::FindProperty(const std::string& name, TStreamProperty& out) {
    if (SameText(name, "Name")) {
        out.Kind = TPropertyKind::String;
        out.SetString = [this](const std::string& v) { SetName(v); };
    } else if (SameText(name, "Looped")) {
        out.Kind = TPropertyKind::Boolean;
        out.SetBoolean = [this](bool v) { SetLooped(v); };
    } else if (SameText(name, "MaxPlayingCount")) {
        out.Kind = TPropertyKind::Integer;
        out.SetInteger = [this](int32_t v) { SetMaxPlayingCount(v); };
    } else if (SameText(name, "Wave")) {
        out.Kind = TPropertyKind::Object;
        out.Object = &wave_;
    } else {
        return false;
    }
    return true;
}

// ---- TWaveCollection ----

TWaveCollection::~TWaveCollection() {
    Clear();
}

TWaveCollectionItem& TWaveCollection::Add() {
    return static_cast<TWaveCollectionItem&>(AddItem(std::make_unique<TWaveCollectionItem>(*this)));
}

TWaveCollectionItem& TWaveCollection::FindItem(const std::string& name) const {
    auto* item = static_cast<TWaveCollectionItem*>(FindByName(name));
    if (!item) throw EWaveCollectionError(Format("Wave '%s' not found", name.c_str()));
    return *item;
}

void TWaveCollection::LoadListFile(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadListFile(path);
    TByteReader r(bytes);
    LoadListStream(r);
}

void TWaveCollection::LoadListStream(TByteReader& stream) {
    Clear();
    TListFileComponent root("TWaveCollectionComponent", *this);
    ReadPropertyStream(stream, root);
    if (sound_ && sound_->Initialized()) {
        AttachSound(sound_);
        RebuildBuffers();
    }
}

std::vector<uint8_t> TWaveCollection::SaveListStream(const std::string& resourceName) const {
    TComponentStreamWriter w(resourceName, "TWaveCollectionComponent", "");
    w.BeginCollection("List");
    for (int i = 0; i < Count(); ++i) {
        const TWaveCollectionItem& item = *Items(i);
        w.BeginItem();
        w.String("Name", item.Name());
        w.Boolean("Looped", item.Looped());
        w.Integer("MaxPlayingCount", item.MaxPlayingCount());
        // An empty wave has no payload at all, and an empty binary value would not read back
        // as a wave; leaving the property out keeps the item's empty wave instead.
        const std::vector<uint8_t> payload = item.Wave().SavePayload();
        if (!payload.empty()) w.Binary("Wave.WAVE", payload);
        w.EndItem();
    }
    w.EndCollection();
    return w.Finish();
}

void TWaveCollection::AttachSound(TDXSound* sound) {
    DetachSound();
    sound_ = sound;
    for (int i = 0; i < Count(); ++i)
        Items(i)->MakeReady();
}

void TWaveCollection::DetachSound() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->ReleaseBuffers();
    sound_ = nullptr;
}

void TWaveCollection::RebuildBuffers() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->RebuildBuffer();
}

// ---- TDXWaveList ----

TDXWaveList::~TDXWaveList() {
    SetDXSound(nullptr);
}

void TDXWaveList::SetDXSound(TDXSound* sound) {
    if (sound == sound_) return;
    if (sound_) sound_->UnRegisterNotifyEvent(this);
    sound_ = sound;
    if (sound_) sound_->RegisterNotifyEvent(this);
}

void TDXWaveList::DXSoundNotify(TDXSound& sender, TDXSoundNotifyType notify) {
    switch (notify) {
    case dsntDestroying:
        SetDXSound(nullptr);
        break;
    case dsntInitializing:
        break;
    case dsntInitialize:
        Items.AttachSound(&sender);
        break;
    case dsntFinalize:
        Items.DetachSound();
        break;
    case dsntRestore:
        Items.RebuildBuffers();
        break;
    }
}
