// 16-bit PCM mono WAV files: writing the synthesiser's output and reading it back for statistics.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sdsynth {

// A mono 16-bit sound in memory.
struct Pcm16 {
    int rate = 22050;
    std::vector<int16_t> samples;
};

// The bytes of a RIFF/WAVE file with a 16-byte PCM "fmt " chunk and one "data" chunk.
std::vector<uint8_t> EncodeWav(const Pcm16& sound);

// Reads a RIFF/WAVE image; accepts only mono 16-bit PCM and throws SynthError otherwise or when the
// image is cut short. Chunks other than "fmt " and "data" are skipped.
Pcm16 DecodeWav(const std::vector<uint8_t>& bytes);

// File helpers around the two above; throw SynthError when the file cannot be read or written.
void WriteWavFile(const std::string& path, const Pcm16& sound);
Pcm16 ReadWavFile(const std::string& path);

} // namespace sdsynth
