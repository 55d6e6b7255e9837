// Bounds-checked little-endian reading of the game's binary files, with a sticky error flag.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads fields one by one from a byte range it does not own. A read past the end returns
// zeros, reads nothing further and sets Failed() for good; callers check it after a group of
// fields (or call Check, which raises "Stream read error").
class TByteReader {
  public:
    // An empty reader (every read fails).
    TByteReader() = default;
    // Reads Size bytes at Data; the bytes must outlive the reader.
    TByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit TByteReader(const std::vector<uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}

    // Offset of the next byte to read.
    size_t Position() const { return pos_; }
    // Length of the whole range.
    size_t Size() const { return size_; }
    // Bytes left to read (0 once a read has failed).
    size_t Remaining() const { return failed_ ? 0 : size_ - pos_; }
    bool AtEnd() const { return Remaining() == 0; }
    // True once any read ran past the end; it stays set.
    bool Failed() const { return failed_; }
    // Moves to an absolute position; beyond the end fails.
    void Seek(size_t pos);

    // Little-endian fields; 0 (and the failed state) past the end.
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int8_t I8() { return int8_t(U8()); }
    int16_t I16() { return int16_t(U16()); }
    int32_t I32() { return int32_t(U32()); }
    // The next byte without consuming it (0 and a failure at the end).
    uint8_t PeekU8();
    // Copies count bytes to out; fails (copying nothing) when fewer remain.
    bool ReadBytes(void* out, size_t count);
    // Count bytes as a vector; the length is checked before anything is allocated.
    std::vector<uint8_t> Bytes(size_t count);
    // Count bytes as 8-bit text.
    std::string Chars(size_t count);
    // A length byte followed by that many characters.
    std::string ShortString() { return Chars(U8()); }
    // Skips count bytes; fails when fewer remain.
    void Skip(size_t count);
    // A reader over the next count bytes (consumed here); an empty failed reader when fewer remain.
    TByteReader Sub(size_t count);
    // Pointer to the next unread byte (valid for Remaining() bytes).
    const uint8_t* Current() const { return data_ + pos_; }

    // Raises EReadError("Stream read error") once a read has failed.
    void Check() const;

  private:
    bool Take(size_t count);

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool failed_ = false;
};

// Little-endian byte sink used by the file writers (the asset tool, test fixtures).
class TByteWriter {
  public:
    // Little-endian fields and raw bytes, appended.
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v) {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void Bytes(const void* data, size_t count);
    void Bytes(const std::vector<uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    void Chars(const std::string& s) { Bytes(s.data(), s.size()); }
    // Overwrites a 32-bit value written earlier at pos (lengths filled in afterwards).
    void PatchU32(size_t pos, uint32_t v);
    // Bytes written so far.
    size_t Size() const { return bytes_.size(); }
    // Everything written.
    const std::vector<uint8_t>& Data() const { return bytes_; }
    std::vector<uint8_t>& Data() { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};
