// Little-endian writing of a replay file: fields appended to a growing byte vector.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace replay {

class TByteWriter {
  public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }
    void U64(uint64_t v) {
        U32(uint32_t(v));
        U32(uint32_t(v >> 32));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void Text(const std::string& s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }

    const std::vector<uint8_t>& Data() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<uint8_t> bytes_;
};

} // namespace replay
