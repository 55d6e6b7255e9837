// Small builders shared by the sound tests: PCM waves, wave payloads and an offline sound device.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/DXSounds.h"
#include "engine/StreamReader.h"
#include "engine/Wave.h"
#include "platform/Audio.h"

namespace soundtest {

inline constexpr int kRate = 48000;

// 16-bit mono samples as little-endian bytes.
inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b;
    for (int16_t s : samples) {
        b.push_back(uint8_t(s));
        b.push_back(uint8_t(uint16_t(s) >> 8));
    }
    return b;
}

// A wave of 16-bit mono samples at the given rate.
inline TWave MonoWave(const std::vector<int16_t>& samples, uint32_t rate = kRate) {
    TWave w;
    w.SetFormatBlock(MakePcmFormat(1, rate, 16));
    w.SetData(Pcm16(samples));
    return w;
}

// A constant 16-bit mono wave of n samples.
inline TWave FlatWave(size_t n, int16_t value = 1000) {
    return MonoWave(std::vector<int16_t>(n, value));
}

// Puts the process's sound output into offline mode for the lifetime of the object.
struct OfflineAudio {
    explicit OfflineAudio(int rate = kRate) { platform::AudioOutput::UseOffline(rate); }
    ~OfflineAudio() { platform::AudioOutput::UseOffline(0); }
};

// Interleaved stereo frames rendered from an offline output.
inline std::vector<int16_t> Render(platform::AudioOutput& out, int frames) {
    std::vector<int16_t> buf(size_t(frames) * 2);
    out.Render(buf.data(), frames);
    return buf;
}

// A device initialised on the offline output, with a wave list bound to it.
struct SoundRig {
    OfflineAudio offline;
    int form = 0;
    TDXSound sound{&form};
    TDXWaveList list;
    SoundRig() {
        list.SetDXSound(&sound);
        sound.InitializeSound();
    }
    // Adds a named item and (the device being ready) builds its main buffer.
    TWaveCollectionItem& Add(const std::string& name, const TWave& wave, bool looped = false, int max = 0) {
        TWaveCollectionItem& item = list.Items.Add();
        item.SetName(name);
        item.SetLooped(looped);
        item.SetMaxPlayingCount(max);
        item.SetWave(wave);
        item.RebuildBuffer();
        return item;
    }
    std::vector<int16_t> Render(int frames) { return soundtest::Render(sound.DSound(), frames); }
};

// A minimal XM module: two channels, no instruments, Orders patterns of four empty rows at
// one tick per row and 250 BPM, so each order lasts 40 ms.
inline std::vector<uint8_t> TinyModule(int orders) {
    TByteWriter w;
    w.Chars("Extended Module: ");
    w.Chars(std::string(20, ' '));
    w.U8(0x1A);
    w.Chars(std::string(20, ' '));
    w.U16(0x0104);
    w.U32(276);
    w.U16(uint16_t(orders)); // song length
    w.U16(0);                // restart position
    w.U16(2);                // channels
    w.U16(uint16_t(orders)); // patterns
    w.U16(0);                // instruments
    w.U16(1);                // linear frequencies
    w.U16(1);                // ticks per row
    w.U16(250);              // BPM
    for (int i = 0; i < 256; ++i)
        w.U8(uint8_t(i < orders ? i : 0));
    for (int p = 0; p < orders; ++p) {
        w.U32(9);
        w.U8(0);
        w.U16(4);     // rows
        w.U16(4 * 2); // packed size: an empty packed note per channel and row
        for (int i = 0; i < 8; ++i)
            w.U8(0x80);
    }
    return w.Data();
}

} // namespace soundtest
