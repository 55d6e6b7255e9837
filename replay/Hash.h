// The hashes a replay uses: FNV-1a over bytes for the race's checkpoints and its final state, its
// fold to the 16 bits a checkpoint keeps, and the CRC-32 that closes a replay file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace replay {

constexpr uint64_t FnvOffsetBasis = 0xcbf29ce484222325ull;

// FNV-1a, 64 bits, over Size bytes, continuing from Hash (the offset basis for a new hash).
uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash = FnvOffsetBasis);

// The four 16-bit quarters of a 64-bit hash, xored together.
uint16_t Fold16(uint64_t hash);

// Feeds race state into FNV-1a field by field, each as its little-endian bytes (a double as its
// bit pattern), so the hash never sees struct padding and is the same on every machine.
class TStateHash {
  public:
    TStateHash& U32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        hash_ = Fnv1a64(b, sizeof b, hash_);
        return *this;
    }
    TStateHash& I32(int32_t v) { return U32(uint32_t(v)); }
    TStateHash& U64(uint64_t v) { return U32(uint32_t(v)).U32(uint32_t(v >> 32)); }
    TStateHash& Double(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        return U64(bits);
    }
    uint64_t Value() const { return hash_; }

  private:
    uint64_t hash_ = FnvOffsetBasis;
};

// CRC-32 (the reflected 0xEDB88320 polynomial of zip and PNG) over Size bytes. It closes a replay
// file rather than FNV because it is certain to catch every burst of up to 32 flipped bits and
// every one-, two- or three-bit error in a file of a replay's size; FNV only makes them unlikely.
uint32_t Crc32(const void* data, size_t size);

} // namespace replay
