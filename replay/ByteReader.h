// Bounds-checked little-endian reading of a replay file, with a sticky error: the first read past
// the end fails the reader for good, and every later read returns 0 and consumes nothing.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace replay {

class TByteReader {
  public:
    // Reads Size bytes at Data; the bytes must outlive the reader.
    TByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    int32_t I32() { return int32_t(U32()); }
    // Count bytes as text; empty (and failed) when fewer remain.
    std::string Text(size_t count);

    // Offset of the next byte to read.
    size_t Position() const { return pos_; }
    // Bytes left to read (0 once a read has failed), so a count can be checked before it is used.
    size_t Remaining() const { return failed_ ? 0 : size_ - pos_; }
    bool Failed() const { return failed_; }

  private:
    // Consumes Count bytes and returns where they start, or nullptr (and fails) when fewer remain.
    const uint8_t* Take(size_t count);

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool failed_ = false;
};

} // namespace replay
