#include "platform/Music.h"

#include <xmp.h>

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/Audio.h"

namespace platform {

namespace {

// One loaded module; rendered on the mixer thread once it plays.
class Song : public MusicSource {
  public:
    Song() : ctx_(xmp_create_context()) {}
    ~Song() override {
        if (started_) xmp_end_player(ctx_);
        if (loaded_) xmp_release_module(ctx_);
        xmp_free_context(ctx_);
    }

    bool LoadFile(const char* path) { return loaded_ = ctx_ && xmp_load_module(ctx_, path) == 0; }
    bool LoadMemory(const std::vector<uint8_t>& bytes) {
        return loaded_ = ctx_ && !bytes.empty() &&
                         xmp_load_module_from_memory(ctx_, bytes.data(), long(bytes.size())) == 0;
    }

    // Game thread: (re)starts from the first order entry.
    void Play() {
        order_.store(0, std::memory_order_relaxed);
        if (!output_) output_ = AudioOutput::Acquire();
        if (!output_) return; // no sound output: silent, stays at order 0
        if (!started_) {
            if (xmp_start_player(ctx_, output_->Rate(), 0) != 0) return;
            started_ = true;
            output_->StartMusic(self_.lock());
        } else {
            restart_.store(true, std::memory_order_release);
        }
    }

    // Game thread, when the song is freed: the mixer lets go of it soon; the song lets go of
    // the output now, so a song never keeps the output (and so itself) alive.
    void Stop() {
        if (output_ && started_) output_->StopMusic(self_.lock());
        output_.reset();
    }

    int32_t Order() const { return order_.load(std::memory_order_relaxed); }

    // Mixer thread.
    void Render(int16_t* out, int frames) override {
        if (restart_.exchange(false, std::memory_order_acq_rel)) xmp_restart_module(ctx_);
        if (xmp_play_buffer(ctx_, out, frames * 4, 0) != 0) std::memset(out, 0, size_t(frames) * 4);
        xmp_get_frame_info(ctx_, &info_);
        order_.store(info_.pos, std::memory_order_relaxed);
    }

    std::weak_ptr<Song> self_;

  private:
    xmp_context ctx_;
    bool loaded_ = false, started_ = false;
    std::atomic<int32_t> order_{0};
    std::atomic<bool> restart_{false};
    std::shared_ptr<AudioOutput> output_;
    xmp_frame_info info_{};
};

std::map<SongHandle, std::shared_ptr<Song>>& Songs() {
    static std::map<SongHandle, std::shared_ptr<Song>> songs;
    return songs;
}

std::map<std::string, std::vector<uint8_t>>& Resources() {
    static std::map<std::string, std::vector<uint8_t>> resources;
    return resources;
}

SongHandle gNextHandle = 1;

SongHandle Keep(std::shared_ptr<Song> song) {
    song->self_ = song;
    if (gNextHandle == 0) gNextHandle = 1;
    const SongHandle h = gNextHandle++;
    Songs()[h] = std::move(song);
    return h;
}

Song* Find(SongHandle h) {
    auto it = Songs().find(h);
    return it == Songs().end() ? nullptr : it->second.get();
}

} // namespace

SongHandle SongLoadFromFile(const char* path) {
    if (!path) return 0;
    auto song = std::make_shared<Song>();
    if (!song->LoadFile(path)) return 0;
    return Keep(std::move(song));
}

SongHandle SongLoadFromResource(const char* name) {
    if (!name) return 0;
    auto it = Resources().find(name);
    if (it == Resources().end()) return 0;
    auto song = std::make_shared<Song>();
    if (!song->LoadMemory(it->second)) return 0;
    return Keep(std::move(song));
}

void SongPlay(SongHandle h) {
    if (Song* s = Find(h)) s->Play();
}

int32_t SongGetOrder(SongHandle h) {
    const Song* s = Find(h);
    return s ? s->Order() : 0;
}

void SongFree(SongHandle h) {
    auto it = Songs().find(h);
    if (it == Songs().end()) return;
    it->second->Stop(); // the mixer lets go of it; it is freed on this thread afterwards
    Songs().erase(it);
}

void RegisterSongResource(const char* name, std::vector<uint8_t> bytes) {
    Resources()[name] = std::move(bytes);
}

int LoadedSongCount() {
    return int(Songs().size());
}

} // namespace platform
