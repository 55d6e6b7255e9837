// Fuzzes the HTTP response reader: status line, headers and every body kind, fed in pieces of
// varying size; malformed input must end in EHttpError, never in a crash or an endless loop.
#include "records/Http.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the piece size the "socket" hands out (1..256 bytes).
    size_t piece = size_t(data[0]) + 1;
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t pos = 0;
    THttpReader reader([&](char* buf, size_t room, int, std::string&) {
        if (pos >= bytes.size()) return int(platform::kRecvClosed);
        size_t n = std::min({room, piece, bytes.size() - pos});
        std::memcpy(buf, bytes.data() + pos, n);
        pos += n;
        return int(n);
    });
    reader.MaxBodyBytes = 1 << 16;
    try {
        THttpResponse response;
        reader.ReadResponseHead(response);
        std::string body = reader.ReadBody(response);
        if (body.size() > reader.MaxBodyBytes) __builtin_trap();
    } catch (const EHttpError&) {
    }
    try {
        (void)ParseUrl(bytes);
    } catch (const EHttpError&) {
    }
    return 0;
}
