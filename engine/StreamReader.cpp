// Bounds-checked little-endian reader and writer.
#include "engine/StreamReader.h"

#include <cstring>

#include "engine/Errors.h"

bool TByteReader::Take(size_t count) {
    if (failed_ || count > size_ - pos_) {
        failed_ = true;
        return false;
    }
    return true;
}

void TByteReader::Seek(size_t pos) {
    if (failed_ || pos > size_) {
        failed_ = true;
        return;
    }
    pos_ = pos;
}

uint8_t TByteReader::U8() {
    if (!Take(1)) return 0;
    return data_[pos_++];
}

uint8_t TByteReader::PeekU8() {
    if (!Take(1)) return 0;
    return data_[pos_];
}

uint16_t TByteReader::U16() {
    if (!Take(2)) return 0;
    uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

uint32_t TByteReader::U32() {
    if (!Take(4)) return 0;
    uint32_t v = uint32_t(data_[pos_]) | (uint32_t(data_[pos_ + 1]) << 8) |
                 (uint32_t(data_[pos_ + 2]) << 16) | (uint32_t(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

bool TByteReader::ReadBytes(void* out, size_t count) {
    if (!Take(count)) return false;
    if (count) std::memcpy(out, data_ + pos_, count);
    pos_ += count;
    return true;
}

std::vector<uint8_t> TByteReader::Bytes(size_t count) {
    if (!Take(count)) return {};
    std::vector<uint8_t> v(data_ + pos_, data_ + pos_ + count);
    pos_ += count;
    return v;
}

std::string TByteReader::Chars(size_t count) {
    if (!Take(count)) return {};
    std::string s(reinterpret_cast<const char*>(data_ + pos_), count);
    pos_ += count;
    return s;
}

void TByteReader::Skip(size_t count) {
    if (Take(count)) pos_ += count;
}

TByteReader TByteReader::Sub(size_t count) {
    if (!Take(count)) {
        TByteReader r;
        r.failed_ = true;
        return r;
    }
    TByteReader r(data_ + pos_, count);
    pos_ += count;
    return r;
}

void TByteReader::Check() const {
    if (failed_) throw EReadError("Stream read error");
}

void TByteWriter::Bytes(const void* data, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + count);
}

void TByteWriter::PatchU32(size_t pos, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes_.at(pos + size_t(i)) = uint8_t(v >> (8 * i));
}
