#include "replay/ByteReader.h"

namespace replay {

const uint8_t* TByteReader::Take(size_t count) {
    if (failed_ || count > size_ - pos_) {
        failed_ = true;
        return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += count;
    return p;
}

uint8_t TByteReader::U8() {
    const uint8_t* p = Take(1);
    return p ? p[0] : 0;
}

uint16_t TByteReader::U16() {
    const uint8_t* p = Take(2);
    return p ? uint16_t(p[0] | (p[1] << 8)) : 0;
}

uint32_t TByteReader::U32() {
    const uint8_t* p = Take(4);
    if (!p) return 0;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t TByteReader::U64() {
    const uint64_t low = U32();
    const uint64_t high = U32();
    return failed_ ? 0 : low | high << 32;
}

std::string TByteReader::Text(size_t count) {
    const uint8_t* p = Take(count);
    return p ? std::string(reinterpret_cast<const char*>(p), count) : std::string();
}

} // namespace replay
