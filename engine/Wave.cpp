#include "engine/Wave.h"

#include <cstring>

namespace {

constexpr size_t kDataBlock = 8096;

uint32_t Id(const char* four) {
    return uint32_t(uint8_t(four[0])) | uint32_t(uint8_t(four[1])) << 8 | uint32_t(uint8_t(four[2])) << 16 |
           uint32_t(uint8_t(four[3])) << 24;
}

} // namespace

bool ReadWaveFormat(const std::vector<uint8_t>& block, TWaveFormat& out) {
    TByteReader r(block);
    out = {};
    out.FormatTag = r.U16();
    out.Channels = r.U16();
    out.SamplesPerSec = r.U32();
    out.AvgBytesPerSec = r.U32();
    out.BlockAlign = r.U16();
    out.BitsPerSample = r.U16();
    if (r.Failed()) return false;
    out.Pcm = out.FormatTag == 1;
    if (out.FormatTag == 0xFFFE) {
        // cbSize, valid bits, channel mask, then the subformat GUID whose first field is the tag.
        r.Skip(2 + 2 + 4);
        const uint32_t sub = r.U32();
        out.Pcm = !r.Failed() && sub == 1;
    }
    return true;
}

std::vector<uint8_t> MakePcmFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample) {
    TByteWriter w;
    const uint16_t align = uint16_t(channels * (bitsPerSample / 8));
    w.U16(1);
    w.U16(channels);
    w.U32(samplesPerSec);
    w.U32(samplesPerSec * align);
    w.U16(align);
    w.U16(bitsPerSample);
    return w.Data();
}

void TWave::Reserve(size_t size) {
    if (size > data_.capacity()) data_.reserve((size + kDataBlock - 1) / kDataBlock * kDataBlock);
}

void TWave::SetData(const uint8_t* bytes, size_t size) {
    data_.clear();
    AppendData(bytes, size);
}

void TWave::AppendData(const uint8_t* bytes, size_t size) {
    Reserve(data_.size() + size);
    data_.insert(data_.end(), bytes, bytes + size);
}

void TWave::Assign(const TWave& other) {
    if (&other == this) return;
    format_ = other.format_;
    SetData(other.data_);
}

void TWave::Clear() {
    format_.clear();
    data_.clear();
}

void TWave::LoadFromPayload(TByteReader& r) {
    uint8_t head[12];
    if (!r.ReadBytes(head, sizeof head)) r.Check();
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        throw EWaveStreamError("Wave is invalid");

    std::vector<uint8_t> format;
    bool haveData = false;
    size_t dataPos = 0;
    uint32_t dataLen = 0;
    for (;;) {
        // A chunk header: up to 8 bytes, zero-filled; an all-zero identifier ends the chunks.
        uint8_t chunk[8] = {};
        const size_t got = std::min<size_t>(8, r.Remaining());
        r.ReadBytes(chunk, got);
        TByteReader h(chunk, sizeof chunk);
        const uint32_t id = h.U32();
        const uint32_t len = h.U32();
        if (id == 0) break;
        if (id == Id("fmt ")) {
            format = r.Bytes(len);
            r.Check();
        } else {
            if (id == Id("data")) {
                haveData = true;
                dataPos = r.Position();
                dataLen = len;
            }
            // Skipping past the end is allowed; the next header then reads nothing.
            r.Skip(std::min<size_t>(len, r.Remaining()));
        }
    }
    format_ = std::move(format);
    data_.clear();
    if (haveData) {
        r.Seek(dataPos);
        if (dataLen > r.Remaining()) throw EReadError("Stream read error");
        AppendData(r.Current(), dataLen);
        r.Skip(dataLen);
    }
}

std::vector<uint8_t> TWave::SavePayload() const {
    if (format_.empty() || data_.empty()) return {};
    TByteWriter w;
    w.Chars("RIFF");
    const size_t lengthPos = w.Size();
    w.U32(0);
    w.Chars("WAVE");
    w.Chars("fmt ");
    w.U32(uint32_t(format_.size()));
    w.Bytes(format_);
    w.Chars("data");
    const size_t dataLenPos = w.Size();
    w.U32(0);
    w.Bytes(data_);
    w.PatchU32(dataLenPos, uint32_t(data_.size()));
    w.PatchU32(lengthPos, uint32_t(w.Size() - 8));
    return w.Data();
}

void TWave::ReadBinaryProperty(const std::string&, TByteReader& data) {
    LoadFromPayload(data);
}
