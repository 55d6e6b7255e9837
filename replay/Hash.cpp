#include "replay/Hash.h"

namespace replay {

uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

uint16_t Fold16(uint64_t hash) {
    return uint16_t(hash ^ (hash >> 16) ^ (hash >> 32) ^ (hash >> 48));
}

} // namespace replay
