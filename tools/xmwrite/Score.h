// Plain data of a music score as the XM writer holds it: tempo, synthesised instruments, pattern grids
// and the order list.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/sdsynth/SynthDesc.h"

namespace xmwrite {

// One cell of a pattern: XM note (1..96, 97 = key off, 0 = none), instrument (1-based, 0 = none),
// volume column byte (0 = none, 0x10..0x50 = set volume 0..64), effect and its parameter.
struct Cell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
};

// XM note that stops a sounding note (its envelope goes into release).
constexpr uint8_t kKeyOff = 97;

// An instrument: how its one sample is synthesised and how the player treats it.
struct Instrument {
    std::string name;
    sdsynth::SoundDesc synth; // the layers; synth.length is the sample length
    int baseMidi = 60;        // pitch the sample is rendered at (and the note a hit plays)
    bool pitched = false;     // false: the sample plays at its own rate on the base note
    double loopStart = -1.0;  // seconds; negative: the sample plays once
    double loopLength = 0.0;
    int volume = 64;                           // default sample volume 0..64
    int panning = 128;                         // 0 left .. 255 right
    std::vector<std::pair<int, int>> envelope; // volume envelope points (tick, 0..64); empty: none
    int envelopeSustain = -1;                  // index of the sustain point, or -1
    int fadeout = 0;                           // volume fade after key off (XM units per tick)
    int vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0; // automatic vibrato
};

// A pattern: rows x channels cells, row-major.
struct Pattern {
    std::string name;
    int rows = 64;
    std::vector<Cell> cells;
};

// A whole song.
struct Score {
    std::string title;
    int channels = 8;
    int speed = 6; // ticks per row
    int bpm = 125; // XM tempo: one tick lasts 2.5 / bpm seconds
    std::vector<Instrument> instruments;
    std::vector<Pattern> patterns;
    std::vector<int> order; // pattern indexes, played in turn and then wrapped back to the first
};

// Seconds one pass through the order list takes (no speed or tempo effects are written).
double SongSeconds(const Score& score);

} // namespace xmwrite
