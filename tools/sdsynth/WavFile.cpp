// WAV encoding and decoding for mono 16-bit PCM.
#include "tools/sdsynth/WavFile.h"

#include <fstream>
#include <iterator>

#include "engine/StreamReader.h"
#include "tools/sdsynth/SynthParse.h"

namespace sdsynth {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const char* text) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(text[i]));
}

} // namespace

std::vector<uint8_t> EncodeWav(const Pcm16& sound) {
    const uint32_t dataBytes = static_cast<uint32_t>(sound.samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    PutText(out, "RIFF");
    Put(out, 36 + dataBytes, 4);
    PutText(out, "WAVE");
    PutText(out, "fmt ");
    Put(out, 16, 4);
    Put(out, 1, 2); // plain PCM
    Put(out, 1, 2); // mono
    Put(out, static_cast<uint32_t>(sound.rate), 4);
    Put(out, static_cast<uint32_t>(sound.rate * 2), 4);
    Put(out, 2, 2);  // bytes per frame
    Put(out, 16, 2); // bits per sample
    PutText(out, "data");
    Put(out, dataBytes, 4);
    for (int16_t s : sound.samples)
        Put(out, static_cast<uint16_t>(s), 2);
    return out;
}

Pcm16 DecodeWav(const std::vector<uint8_t>& bytes) {
    TByteReader in(bytes);
    const std::string riff = in.Chars(4);
    in.U32();
    const std::string wave = in.Chars(4);
    if (in.Failed() || riff != "RIFF" || wave != "WAVE") throw SynthError("not a RIFF/WAVE file");
    Pcm16 sound;
    bool haveFormat = false, haveData = false;
    while (in.Remaining() >= 8 && !haveData) {
        const std::string id = in.Chars(4);
        const uint32_t size = in.U32();
        if (size > in.Remaining()) break;
        if (id == "fmt ") {
            if (size < 16) throw SynthError("the format chunk is too short");
            const uint16_t tag = in.U16(), channels = in.U16();
            sound.rate = static_cast<int>(in.U32());
            in.U32();
            in.U16();
            const uint16_t bits = in.U16();
            in.Skip(size - 16);
            if (tag != 1 || channels != 1 || bits != 16)
                throw SynthError("only mono 16-bit PCM is supported");
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) throw SynthError("the data chunk comes before the format chunk");
            sound.samples.resize(size / 2);
            for (auto& s : sound.samples)
                s = static_cast<int16_t>(in.U16());
            in.Skip(size % 2);
            haveData = true;
        } else {
            in.Skip(size);
        }
    }
    if (in.Failed() || !haveData) throw SynthError("the file is cut short or has no data chunk");
    return sound;
}

void WriteWavFile(const std::string& path, const Pcm16& sound) {
    const auto bytes = EncodeWav(sound);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw SynthError(path + ": cannot write the file");
}

Pcm16 ReadWavFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SynthError(path + ": cannot open the file");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        return DecodeWav(bytes);
    } catch (const SynthError& e) {
        throw SynthError(path + ": " + e.what());
    }
}

} // namespace sdsynth
