#include "Html.h"

#include <cstdio>
#include <ctime>

namespace {
void AppendUtf8(std::string& out, unsigned c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}
} // namespace

std::string HtmlText(const std::string& latin1) {
    std::string out;
    out.reserve(latin1.size() + 8);
    for (char ch : latin1) {
        unsigned c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            if (c < 32 || c == 127 || (c >= 0x80 && c < 0xA0))
                AppendUtf8(out, 0xFFFD);
            else
                AppendUtf8(out, c);
        }
    }
    return out;
}

std::string Latin1ToUtf8(const std::string& latin1) {
    std::string out;
    for (char ch : latin1) {
        unsigned c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127 || (c >= 0x80 && c < 0xA0))
            out += '?';
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string HttpDate(int64_t seconds) {
    std::time_t t = std::time_t(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
    return buf;
}

std::string EntityTag(const std::string& body) {
    // FNV-1a, 64 bits: enough to tell two versions of a page apart.
    uint64_t h = 1469598103934665603ull;
    for (char c : body) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "\"%016llx\"", static_cast<unsigned long long>(h));
    return buf;
}
