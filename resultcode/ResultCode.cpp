#include "resultcode/ResultCode.h"

#include <array>
#include <cstring>

std::string BuildResultRecord(const std::string& name, int32_t score, const std::string& addInfo, char key) {
    std::string record = "type=0";
    record += "|name=" + name;
    record += "|score=" + std::to_string(score);
    record += "|key=";
    record += key;
    record += "|p=";
    record += "|add=" + addInfo;
    record += "|z=";
    while (record.size() % 5 != 0)
        record += '0';
    return record;
}

std::string ToBitString(const std::string& text) {
    // The eight-character text of every byte value, looked up per character.
    std::array<std::string, 256> table;
    for (unsigned v = 0; v < 256; ++v) {
        std::string bits(8, '0');
        for (int b = 0; b < 8; ++b)
            if (v & (0x80u >> b)) bits[b] = '1';
        table[v] = bits;
    }
    std::string out;
    out.reserve(text.size() * 8);
    for (char c : text)
        out += table[static_cast<unsigned char>(c)];
    return out;
}

std::string BitsToBase32(const std::string& bits) {
    std::string padded(bits.size() % 5 == 0 ? 0 : 5 - bits.size() % 5, '0');
    padded += bits;
    std::string out;
    out.reserve(padded.size() / 5);
    for (size_t i = 0; i < padded.size(); i += 5) {
        unsigned v = 0;
        for (size_t b = 0; b < 5; ++b)
            v = (v << 1) | (padded[i + b] != '0' ? 1u : 0u);
        out += kResultSymbols[v];
    }
    return out;
}

namespace {

// Reads a signed decimal from text at pos up to stop; false when it is not one or overflows.
bool ReadInt(const std::string& text, size_t pos, size_t stop, int32_t& value) {
    if (pos >= stop) return false;
    bool neg = text[pos] == '-';
    if (neg && ++pos >= stop) return false;
    int64_t v = 0;
    for (; pos < stop; ++pos) {
        if (text[pos] < '0' || text[pos] > '9') return false;
        v = v * 10 + (text[pos] - '0');
        if (v > int64_t(INT32_MAX) + 1) return false;
    }
    v = neg ? -v : v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = int32_t(v);
    return true;
}

// Matches "|score=S|key=K|p=|add=" at pos; on success fills score and key and sets addStart.
bool MatchMiddle(const std::string& r, size_t pos, int32_t& score, char& key, size_t& addStart) {
    static const std::string kScore = "|score=", kKey = "|key=", kAdd = "|p=|add=";
    if (r.compare(pos, kScore.size(), kScore) != 0) return false;
    size_t digits = pos + kScore.size();
    size_t keyAt = r.find(kKey, digits);
    if (keyAt == std::string::npos || !ReadInt(r, digits, keyAt, score)) return false;
    size_t letter = keyAt + kKey.size();
    if (letter >= r.size() || r[letter] < 'A' || r[letter] > 'Z') return false;
    if (r.compare(letter + 1, kAdd.size(), kAdd) != 0) return false;
    key = r[letter];
    addStart = letter + 1 + kAdd.size();
    return true;
}

} // namespace

bool DecodeResultCode(const std::string& code, std::string& record) {
    std::string bits;
    bits.reserve(code.size() * 5);
    for (char c : code) {
        const char* at = c ? std::strchr(kResultSymbols, c) : nullptr;
        if (!at) return false;
        int v = int(at - kResultSymbols);
        for (int b = 4; b >= 0; --b)
            bits += (v >> b) & 1 ? '1' : '0';
    }
    // The encoder put fewer than five zero bits in front to fill the first symbol.
    size_t pad = bits.size() % 8;
    if (pad >= 5 || bits.find('1') < pad) return false;
    record.clear();
    for (size_t i = pad; i + 8 <= bits.size(); i += 8) {
        unsigned v = 0;
        for (size_t b = 0; b < 8; ++b)
            v = (v << 1) | (bits[i + b] == '1' ? 1u : 0u);
        record += char(v);
    }
    return true;
}

bool ParseResultRecord(const std::string& r, TSubmittedResult& result, std::string& error) {
    static const std::string kType = "type=", kName = "|name=", kZ = "|z=";
    if (r.compare(0, kType.size(), kType) != 0) {
        error = "record does not start with type=";
        return false;
    }
    size_t nameAt = r.find(kName);
    int32_t type = 0;
    if (nameAt == std::string::npos || !ReadInt(r, kType.size(), nameAt, type)) {
        error = "bad type";
        return false;
    }
    size_t nameStart = nameAt + kName.size();
    // The tail: "|z=" and nothing but "0" after it.
    size_t zAt = r.rfind(kZ);
    if (zAt == std::string::npos || zAt < nameStart ||
        r.find_first_not_of('0', zAt + kZ.size()) != std::string::npos) {
        error = "bad end of record";
        return false;
    }
    for (size_t pos = r.find("|score=", nameStart); pos != std::string::npos && pos < zAt;
         pos = r.find("|score=", pos + 1)) {
        int32_t score = 0;
        char key = 0;
        size_t addStart = 0;
        if (MatchMiddle(r, pos, score, key, addStart) && addStart <= zAt) {
            result.Type = type;
            result.Name = r.substr(nameStart, pos - nameStart);
            result.Score = score;
            result.Key = key;
            result.AddInfo = r.substr(addStart, zAt - addStart);
            return true;
        }
    }
    error = "no score, key and add fields";
    return false;
}
