// The hashes a replay uses: FNV-1a over bytes for the race's checkpoints and its final state, and
// its fold to the 16 bits a checkpoint keeps.
#pragma once
#include <cstddef>
#include <cstdint>

namespace replay {

constexpr uint64_t FnvOffsetBasis = 0xcbf29ce484222325ull;

// FNV-1a, 64 bits, over Size bytes, continuing from Hash (the offset basis for a new hash).
uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash = FnvOffsetBasis);

// The four 16-bit quarters of a 64-bit hash, xored together.
uint16_t Fold16(uint64_t hash);

} // namespace replay
