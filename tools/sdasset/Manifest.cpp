// Manifest parsing for the picture side of the asset tool.
#include "tools/sdasset/Manifest.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/ComponentStream.h"

namespace sdasset {

namespace {

bool ParseInt(const std::string& s, int32_t& out) {
    if (s.empty()) return false;
    size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
        if (v > INT32_MAX) return false;
    }
    out = int32_t(s[0] == '-' ? -v : v);
    return true;
}

bool ParseFlag(const std::string& s, bool& out) {
    if (s == "0" || s == "1") {
        out = s == "1";
        return true;
    }
    return false;
}

} // namespace

bool ParseColorField(const std::string& text, TColor& out) {
    if (IdentToColor(text, out)) return true;
    std::string digits;
    int base = 10;
    if (text.size() > 1 && text[0] == '$')
        digits = text.substr(1), base = 16;
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        digits = text.substr(2), base = 16;
    else
        digits = text;
    if (digits.empty() || digits.size() > (base == 16 ? 8u : 10u)) return false;
    uint64_t v = 0;
    for (char c : digits) {
        int d = c >= '0' && c <= '9'                 ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
        if (d < 0) return false;
        v = v * uint64_t(base) + uint64_t(d);
    }
    if (v > 0xFFFFFFFFull) return false;
    out = TColor(v);
    return true;
}

std::string ColorText(TColor color) {
    std::string ident;
    if (ColorToIdent(color, ident)) return ident;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", unsigned(color));
    return buf;
}

bool ReadPictureManifest(const std::string& path, std::vector<PictureEntry>& out, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = path + ": cannot open the manifest";
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        if (error) *error = path + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;)
            f.push_back(w);
        if (f.empty() || f[0][0] == '#') continue;
        if (f[0] == "sound") continue; // the wave-list packer's lines
        if (f[0] != "picture") return fail("unknown entry kind '" + f[0] + "' (expected picture or sound)");
        if (f.size() != 10)
            return fail("a picture line has 9 fields: Name image.png PatternWidth PatternHeight SkipWidth "
                        "SkipHeight TransparentColor SystemMemory Transparent");
        PictureEntry e;
        e.Line = lineNo;
        e.Name = f[1];
        if (e.Name.size() > 255) return fail("the name is longer than 255 characters");
        e.ImagePath = (folder / f[2]).string();
        if (!ParseInt(f[3], e.PatternWidth) || !ParseInt(f[4], e.PatternHeight) ||
            !ParseInt(f[5], e.SkipWidth) || !ParseInt(f[6], e.SkipHeight))
            return fail("pattern sizes and skips must be whole numbers");
        if (e.PatternWidth < 0 || e.PatternHeight < 0 || e.SkipWidth < 0 || e.SkipHeight < 0)
            return fail("pattern sizes and skips cannot be negative");
        if (!ParseColorField(f[7], e.TransparentColor))
            return fail("'" + f[7] + "' is not a colour (a name such as clFuchsia, or $00BBGGRR)");
        if (!ParseFlag(f[8], e.SystemMemory) || !ParseFlag(f[9], e.Transparent))
            return fail("SystemMemory and Transparent are 0 or 1");
        for (const PictureEntry& other : out)
            if (SameText(other.Name, e.Name))
                return fail("the name '" + e.Name + "' is already used on line " +
                            std::to_string(other.Line));
        out.push_back(std::move(e));
    }
    return true;
}

} // namespace sdasset
