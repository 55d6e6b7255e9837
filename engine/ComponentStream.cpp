// Component-stream reader and writer.
#include "engine/ComponentStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/Errors.h"

namespace {

// An error already wrapped with the name of the property it happened in; outer entries pass it on.
class EPropertyReadError : public EReadError {
    using EReadError::EReadError;
};

[[noreturn]] void InvalidValue() {
    throw EReadError("Invalid property value");
}

struct TColorName {
    const char* Name;
    TColor Value;
};

constexpr TColorName kColorNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
    {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuBar", 0xFF00001E},
};

// One code point to the 8-bit (Latin-1) code page; anything outside it becomes '?'.
char ToCodePage(uint32_t cp) {
    return cp < 256 ? char(uint8_t(cp)) : '?';
}

std::string WideToText(const std::vector<uint8_t>& utf16) {
    std::string out;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
        uint32_t u = uint32_t(utf16[i]) | (uint32_t(utf16[i + 1]) << 8);
        // A surrogate pair is one character outside the code page: one '?'.
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < utf16.size()) {
            uint32_t lo = uint32_t(utf16[i + 2]) | (uint32_t(utf16[i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) i += 2;
        }
        out += ToCodePage(u);
    }
    return out;
}

std::string Utf8ToText(const std::string& s) {
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = uint8_t(s[i]);
        if (b < 0x80) {
            out += char(b);
            ++i;
            continue;
        }
        int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        bool ok = extra > 0 && i + size_t(extra) < s.size();
        uint32_t cp = ok ? uint32_t(b & (0x3F >> extra)) : 0;
        for (int k = 1; ok && k <= extra; ++k) {
            uint8_t c = uint8_t(s[i + size_t(k)]);
            if ((c & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) { // a broken sequence: one '?' per stray byte
            out += '?';
            ++i;
            continue;
        }
        out += ToCodePage(cp);
        i += size_t(extra) + 1;
    }
    return out;
}

class TPropertyReader {
  public:
    explicit TPropertyReader(TByteReader& s) : s_(s) {}

    uint8_t Peek() {
        uint8_t b = s_.PeekU8();
        s_.Check();
        return b;
    }
    uint8_t Tag() {
        uint8_t b = s_.U8();
        s_.Check();
        return b;
    }

    int32_t ReadInteger() {
        int32_t v;
        switch (Tag()) {
        case vaInt8:
            v = s_.I8();
            break;
        case vaInt16:
            v = s_.I16();
            break;
        case vaInt32:
            v = s_.I32();
            break;
        default:
            InvalidValue();
        }
        s_.Check();
        return v;
    }

    std::string ReadIdent() {
        switch (Tag()) {
        case vaIdent: {
            std::string id = s_.ShortString();
            s_.Check();
            return id;
        }
        case vaFalse:
            return "False";
        case vaTrue:
            return "True";
        case vaNil:
            return "nil";
        case vaNull:
            return "Null";
        default:
            InvalidValue();
        }
    }

    TColor ReadColor() {
        uint8_t t = Peek();
        if (t == vaInt8 || t == vaInt16 || t == vaInt32) return TColor(ReadInteger());
        TColor c;
        if (!IdentToColor(ReadIdent(), c)) InvalidValue();
        return c;
    }

    bool ReadBoolean() {
        uint8_t t = Tag();
        if (t == vaFalse) return false;
        if (t == vaTrue) return true;
        if (t != vaIdent) InvalidValue();
        std::string id = s_.ShortString();
        s_.Check();
        if (SameText(id, "False")) return false;
        if (SameText(id, "True")) return true;
        InvalidValue();
    }

    std::string ReadString() {
        std::string out;
        switch (Tag()) {
        case vaString:
            out = s_.ShortString();
            break;
        case vaLString:
            out = s_.Chars(s_.U32());
            break;
        case vaWString:
            out = WideToText(s_.Bytes(size_t(s_.U32()) * 2));
            break;
        case vaUTF8String:
            out = Utf8ToText(s_.Chars(s_.U32()));
            break;
        default:
            InvalidValue();
        }
        s_.Check();
        return out;
    }

    void ReadCollection(TStreamCollection& coll) {
        if (Peek() != vaNull) coll.ClearItems();
        while (Peek() != vaNull) {
            uint8_t t = Peek();
            if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger(); // the item's order: unused
            TStreamObject& item = coll.AppendItem();
            if (Tag() != vaList) InvalidValue();
            while (Peek() != vaNull)
                ReadProperty(item);
            Tag();
        }
        Tag();
    }

    void ReadValue(const TStreamProperty& p) {
        switch (p.Kind) {
        case TPropertyKind::Integer: {
            int32_t v = ReadInteger();
            if (p.SetInteger) p.SetInteger(v);
            break;
        }
        case TPropertyKind::Color: {
            TColor c = ReadColor();
            if (p.SetInteger) p.SetInteger(int32_t(c));
            break;
        }
        case TPropertyKind::Boolean: {
            bool b = ReadBoolean();
            if (p.SetBoolean) p.SetBoolean(b);
            break;
        }
        case TPropertyKind::String: {
            std::string v = ReadString();
            if (p.SetString) p.SetString(v);
            break;
        }
        case TPropertyKind::Collection:
            if (Tag() != vaCollection || !p.Collection) InvalidValue();
            ReadCollection(*p.Collection);
            break;
        case TPropertyKind::Object:
            InvalidValue();
        }
    }

    void ReadProperty(TStreamObject& obj) {
        std::string name = s_.ShortString();
        s_.Check();
        try {
            TStreamObject* cur = &obj;
            size_t start = 0;
            for (;;) {
                size_t dot = name.find('.', start);
                std::string part =
                    name.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
                TStreamProperty p;
                bool found = cur->FindProperty(part, p);
                if (dot != std::string::npos) {
                    if (!found) throw EReadError(Format("Property %s does not exist", part.c_str()));
                    TStreamObject* next = p.Kind == TPropertyKind::Object       ? p.Object
                                          : p.Kind == TPropertyKind::Collection ? p.Collection
                                                                                : nullptr;
                    if (!next) throw EReadError("Invalid property path");
                    cur = next;
                    start = dot + 1;
                    continue;
                }
                if (found) {
                    ReadValue(p);
                } else if (cur->DefinesBinaryProperty(part)) {
                    if (Tag() != vaBinary) InvalidValue();
                    uint32_t len = s_.U32();
                    TByteReader bytes = s_.Sub(len);
                    s_.Check();
                    cur->ReadBinaryProperty(part, bytes);
                } else {
                    throw EReadError(Format("Property %s does not exist", part.c_str()));
                }
                return;
            }
        } catch (const EPropertyReadError&) {
            throw;
        } catch (const EGameError& e) {
            std::string owner = obj.StreamInstanceName();
            if (owner.empty()) owner = obj.StreamClassName();
            throw EPropertyReadError(
                Format("Error reading %s%s%s: %s", owner.c_str(), ".", name.c_str(), e.what()));
        }
    }

  private:
    TByteReader& s_;
};

} // namespace

void ReadPropertyStream(TByteReader& stream, TStreamObject& root) {
    // Resource-entry header: the name's length is taken within an 80-byte zero-filled buffer.
    size_t start = stream.Position();
    uint8_t buf[80] = {};
    size_t n = stream.Remaining() < 79 ? stream.Remaining() : 79;
    if (n) std::memcpy(buf, stream.Current(), n);
    if (buf[0] != 0xFF || (buf[1] | (buf[2] << 8)) != 10) throw EReadError("Invalid stream format");
    size_t nameLen = strnlen(reinterpret_cast<const char*>(buf + 3), 77);
    stream.Seek(start + nameLen + 10);
    stream.Check();

    char sig[4] = {};
    stream.ReadBytes(sig, 4);
    stream.Check();
    if (std::memcmp(sig, "TPF0", 4) != 0) throw EReadError("Invalid stream format");

    TPropertyReader r(stream);
    if (r.Peek() >= 0xF0) {
        uint8_t prefix = r.Tag();
        if (prefix & 0x02) r.ReadInteger(); // child position: unused
    }
    stream.ShortString(); // class name: the root already exists
    stream.ShortString(); // instance name
    stream.Check();

    while (r.Peek() != vaNull)
        r.ReadProperty(root);
    r.Tag();
    // The list files have no child objects; there is no class registry to create one from.
    if (r.Peek() != vaNull) {
        uint8_t b = r.Peek();
        if (b >= 0xF0) {
            uint8_t prefix = r.Tag();
            if (prefix & 0x02) r.ReadInteger();
        }
        std::string cls = stream.ShortString();
        stream.Check();
        throw EReadError(Format("Class %s not found", cls.c_str()));
    }
    r.Tag();
}

std::vector<uint8_t> ReadListFile(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(), std::strerror(errno)));
    std::vector<uint8_t> data;
    // Room for the whole file at once: grown chunk by chunk, the list's megabyte was copied (and
    // fresh memory touched) several times over at start-up.
    if (std::fseek(f, 0, SEEK_END) == 0) {
        const long size = std::ftell(f);
        if (size > 0) data.reserve(size_t(size));
        std::rewind(f);
    }
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.insert(data.end(), chunk, chunk + got);
    int err = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (err) throw EFOpenError(Format("Cannot open file \"%s\". %s", path.c_str(), std::strerror(err)));
    return data;
}

bool IdentToColor(const std::string& ident, TColor& out) {
    for (const TColorName& c : kColorNames)
        if (SameText(ident, c.Name)) {
            out = c.Value;
            return true;
        }
    return false;
}

bool ColorToIdent(TColor color, std::string& out) {
    for (const TColorName& c : kColorNames)
        if (c.Value == color) {
            out = c.Name;
            return true;
        }
    return false;
}

char LowerChar(char c) {
    uint8_t b = uint8_t(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) return char(b + 0x20);
    return c;
}

std::string LowerCase(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = LowerChar(c);
    return out;
}

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i])) return false;
    return true;
}

TComponentStreamWriter::TComponentStreamWriter(const std::string& resourceName, const std::string& className,
                                               const std::string& instanceName) {
    out_.U8(0xFF);
    out_.U16(10);
    std::string upper = resourceName.substr(0, 63);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    out_.Chars(upper);
    out_.U8(0);
    out_.U16(0x1030);
    lengthPos_ = out_.Size();
    out_.U32(0);
    streamStart_ = out_.Size();
    out_.Chars("TPF0");
    out_.U8(uint8_t(className.size() > 255 ? 255 : className.size()));
    out_.Chars(className.substr(0, 255));
    out_.U8(uint8_t(instanceName.size() > 255 ? 255 : instanceName.size()));
    out_.Chars(instanceName.substr(0, 255));
}

void TComponentStreamWriter::Name(const std::string& name) {
    out_.U8(uint8_t(name.size() > 255 ? 255 : name.size()));
    out_.Chars(name.substr(0, 255));
}

void TComponentStreamWriter::IntegerValue(int32_t v) {
    if (v >= -128 && v <= 127) {
        out_.U8(vaInt8);
        out_.U8(uint8_t(int8_t(v)));
    } else if (v >= -32768 && v <= 32767) {
        out_.U8(vaInt16);
        out_.U16(uint16_t(int16_t(v)));
    } else {
        out_.U8(vaInt32);
        out_.I32(v);
    }
}

void TComponentStreamWriter::Integer(const std::string& name, int32_t value) {
    Name(name);
    IntegerValue(value);
}

void TComponentStreamWriter::Boolean(const std::string& name, bool value) {
    Name(name);
    out_.U8(value ? vaTrue : vaFalse);
}

void TComponentStreamWriter::String(const std::string& name, const std::string& value) {
    Name(name);
    if (value.size() <= 255) {
        out_.U8(vaString);
        out_.U8(uint8_t(value.size()));
    } else {
        out_.U8(vaLString);
        out_.U32(uint32_t(value.size()));
    }
    out_.Chars(value);
}

void TComponentStreamWriter::Ident(const std::string& name, const std::string& ident) {
    Name(name);
    out_.U8(vaIdent);
    out_.U8(uint8_t(ident.size() > 255 ? 255 : ident.size()));
    out_.Chars(ident.substr(0, 255));
}

void TComponentStreamWriter::Color(const std::string& name, TColor value) {
    std::string ident;
    if (ColorToIdent(value, ident))
        Ident(name, ident);
    else
        Integer(name, int32_t(value));
}

void TComponentStreamWriter::Binary(const std::string& name, const std::vector<uint8_t>& bytes) {
    Name(name);
    out_.U8(vaBinary);
    out_.U32(uint32_t(bytes.size()));
    out_.Bytes(bytes);
}

void TComponentStreamWriter::BeginCollection(const std::string& name) {
    Name(name);
    out_.U8(vaCollection);
}

void TComponentStreamWriter::BeginItem() {
    out_.U8(vaList);
}
void TComponentStreamWriter::EndItem() {
    out_.U8(vaNull);
}
void TComponentStreamWriter::EndCollection() {
    out_.U8(vaNull);
}

std::vector<uint8_t> TComponentStreamWriter::Finish() {
    out_.U8(vaNull); // end of the root's properties
    out_.U8(vaNull); // no child objects
    out_.PatchU32(lengthPos_, uint32_t(out_.Size() - streamStart_));
    return out_.Data();
}
