// One sound as stored in a wave list: a format block and sample data, read from and written to
// the RIFF wave payload of the wave-list file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ComponentStream.h"
#include "engine/Errors.h"
#include "engine/StreamReader.h"

// A wave payload that is not a RIFF wave ("Wave is invalid").
class EWaveStreamError : public EGameError {
    using EGameError::EGameError;
};

// The fields of a wave format block that the sound device and the tools care about.
struct TWaveFormat {
    uint16_t FormatTag = 0; // 1 = integer PCM; 0xFFFE = extensible (PCM when its subformat is 1)
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    bool Pcm = false; // integer PCM, plain or extensible
};

// Decodes a format block (16 bytes or more); false when it is too short.
bool ReadWaveFormat(const std::vector<uint8_t>& block, TWaveFormat& out);
// A 16-byte plain PCM format block.
std::vector<uint8_t> MakePcmFormat(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);

// A format block and sample data; either may be empty. Readable as the "WAVE" binary property.
class TWave : public TStreamObject {
  public:
    const std::vector<uint8_t>& FormatBlock() const { return format_; }
    const std::vector<uint8_t>& Data() const { return data_; }
    void SetFormatBlock(std::vector<uint8_t> block) { format_ = std::move(block); }
    // Replaces the samples; storage grows in blocks of 8096 bytes.
    void SetData(const uint8_t* bytes, size_t size);
    void SetData(const std::vector<uint8_t>& bytes) { SetData(bytes.data(), bytes.size()); }
    // Appends samples (same growth rule).
    void AppendData(const uint8_t* bytes, size_t size);
    size_t DataCapacity() const { return data_.capacity(); }
    // Copies another wave's format block and samples.
    void Assign(const TWave& other);
    // Empties both parts.
    void Clear();

    // Reads a wave payload from the reader's position: "Wave is invalid" when it is not a RIFF
    // wave, "Stream read error" when it is cut short.
    void LoadFromPayload(TByteReader& payload);
    // The payload bytes; empty when the format block or the samples are empty.
    std::vector<uint8_t> SavePayload() const;

    std::string StreamClassName() const override { return "TWave"; }
    bool DefinesBinaryProperty(const std::string& name) const override { return SameText(name, "WAVE"); }
    void ReadBinaryProperty(const std::string& name, TByteReader& data) override;

  private:
    void Reserve(size_t size);

    std::vector<uint8_t> format_;
    std::vector<uint8_t> data_;
};
