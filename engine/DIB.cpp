// Device-independent bitmaps: payload reader, lazy RLE decoding, pixel access and payload writers.
#include "engine/DIB.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/Errors.h"
#include "engine/Types.h"

namespace {

// Decoded pixels are allocated up front; a tiny RLE payload must not be able to ask for gigabytes.
constexpr uint64_t kMaxDecodedBytes = uint64_t(1) << 28;

[[noreturn]] void Invalid() {
    throw EReadError("DIB is invalid");
}

// Channel value under Mask, widened to 8 bits by repeating its top bits.
inline uint8_t Channel(uint32_t px, uint32_t mask) {
    if (!mask) return 0;
    int shift = std::countr_zero(mask);
    uint32_t v = (px & mask) >> shift;
    int bits = std::bit_width(mask >> shift);
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += bits)
        out |= (v << 8) >> filled;
    return uint8_t(out >> bits);
}

} // namespace

void TGraphic::ReadRow565(int y, int x, int count, uint16_t* out) const {
    for (int i = 0; i < count; ++i) {
        uint32_t c = PixelColor(x + i, y);
        out[i] = RGBToPixel565(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16));
    }
}

void TDIBSharedImage::Decode() const {
    if (Decoded) return;
    Decoded = true;
    Bits.assign(RowLength * size_t(Height), 0);
    const bool rle4 = Compression == 2;
    size_t x = 0, y = 0;
    auto put = [&](uint8_t value) {
        if (x < size_t(Width) && y < size_t(Height)) {
            uint8_t* row = Bits.data() + y * RowLength;
            if (rle4) {
                uint8_t& b = row[x / 2];
                b = (x & 1) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | (value << 4));
            } else {
                row[x] = value;
            }
        }
        ++x;
    };
    const std::vector<uint8_t>& c = Compressed;
    size_t i = 0;
    while (i + 1 < c.size() && y < size_t(Height)) {
        uint8_t first = c[i], second = c[i + 1];
        i += 2;
        if (first > 0) {
            for (int k = 0; k < first; ++k)
                put(rle4 ? ((k & 1) ? second & 0x0F : second >> 4) : second);
        } else if (second == 0) {
            x = 0;
            ++y;
        } else if (second == 1) {
            break;
        } else if (second == 2) {
            if (i + 1 >= c.size()) break;
            x += c[i];
            y += c[i + 1];
            i += 2;
        } else {
            size_t bytes = rle4 ? (size_t(second) + 1) / 2 : second;
            for (int k = 0; k < second; ++k) {
                size_t at = i + (rle4 ? size_t(k) / 2 : size_t(k));
                if (at >= c.size()) break;
                put(rle4 ? ((k & 1) ? c[at] & 0x0F : c[at] >> 4) : c[at]);
            }
            i += bytes + (bytes & 1);
        }
    }
    Compressed.clear();
    Compressed.shrink_to_fit();
}

void ReadDIBImage(TByteReader& data, TDIBSharedImage& im) {
    if (data.AtEnd()) {
        im = TDIBSharedImage{};
        return;
    }
    if (data.Remaining() < 4) Invalid();
    uint32_t headerSize = data.U32();
    if (headerSize != 12 && headerSize != 40) Invalid();

    int64_t width, height;
    int bitCount;
    uint32_t compression = 0, imageSize = 0, colorsUsed = 0;
    if (headerSize == 12) {
        width = data.U16();
        height = data.U16();
        data.U16(); // planes
        bitCount = data.U16();
    } else {
        width = data.I32();
        height = data.I32();
        data.U16(); // planes
        bitCount = data.U16();
        compression = data.U32();
        imageSize = data.U32();
        data.U32(); // horizontal resolution
        data.U32(); // vertical resolution
        colorsUsed = data.U32();
        data.U32(); // colours important
    }
    data.Check();

    uint32_t red = 0, green = 0, blue = 0;
    if (compression == 3) {
        red = data.U32();
        green = data.U32();
        blue = data.U32();
        data.Check();
    } else if (bitCount == 16) {
        red = 0x7C00, green = 0x03E0, blue = 0x001F;
    } else {
        red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF;
    }

    uint32_t tableLen = colorsUsed;
    if (tableLen == 0 && bitCount <= 8) tableLen = 1u << bitCount;
    tableLen = std::min<uint32_t>(tableLen, 256);
    const size_t entrySize = headerSize == 12 ? 3 : 4;
    if (size_t(tableLen) * entrySize > data.Remaining()) data.Skip(data.Remaining() + 1);
    data.Check();
    std::vector<std::array<uint8_t, 4>> table(tableLen);
    for (auto& e : table) {
        data.ReadBytes(e.data(), entrySize);
        if (entrySize == 3) e[3] = 0;
    }
    data.Check();

    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        throw EReadError(Format("Bitcount in invalid (%d)", bitCount));
    if (bitCount == 16 && !(red == 0x7C00 && green == 0x03E0 && blue == 0x001F) &&
        !(red == 0xF800 && green == 0x07E0 && blue == 0x001F))
        throw EReadError("PixelFormat in invalid");

    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width < 0 || width > INT32_MAX || height > INT32_MAX) Invalid();
    const uint64_t rowLength = (uint64_t(bitCount) * uint64_t(width) + 31) / 32 * 4;
    const uint64_t total = rowLength * uint64_t(height);

    TDIBSharedImage out;
    out.Width = int(width);
    out.Height = int(height);
    out.BitCount = bitCount;
    out.Compression = compression;
    out.RedMask = red, out.GreenMask = green, out.BlueMask = blue;
    out.ColorTable = std::move(table);
    out.RowLength = size_t(rowLength);

    switch (compression) {
    case 0:
    case 3: {
        if (total > data.Remaining()) data.Skip(data.Remaining() + 1);
        data.Check();
        out.Bits.resize(size_t(total));
        for (int64_t r = 0; r < height; ++r) {
            // Top-down rows are stored at their mirrored place: rows are kept bottom row first.
            size_t dest = size_t(topDown ? height - 1 - r : r);
            data.ReadBytes(out.Bits.data() + dest * out.RowLength, out.RowLength);
        }
        data.Check();
        break;
    }
    case 1:
    case 2:
        // Run lengths only make sense for the depth they encode.
        if ((compression == 1 && bitCount != 8) || (compression == 2 && bitCount != 4) ||
            total > kMaxDecodedBytes)
            Invalid();
        out.Compressed = data.Bytes(imageSize);
        data.Check();
        out.Decoded = false;
        break;
    default:
        Invalid();
    }
    im = std::move(out);
}

TDIB::TDIB() : image_(std::make_shared<TDIBSharedImage>()) {}

uint32_t TDIB::PixelColor(int x, int y) const {
    const TDIBSharedImage& im = *image_;
    if (x < 0 || y < 0 || x >= im.Width || y >= im.Height) return 0;
    im.Decode();
    const uint8_t* row = im.Bits.data() + size_t(im.Height - 1 - y) * im.RowLength;
    auto fromTable = [&](uint32_t index) -> uint32_t {
        if (index >= im.ColorTable.size()) return 0;
        const auto& e = im.ColorTable[index];
        return uint32_t(e[2]) | (uint32_t(e[1]) << 8) | (uint32_t(e[0]) << 16);
    };
    auto fromMasks = [&](uint32_t px) -> uint32_t {
        return uint32_t(Channel(px, im.RedMask)) | (uint32_t(Channel(px, im.GreenMask)) << 8) |
               (uint32_t(Channel(px, im.BlueMask)) << 16);
    };
    switch (im.BitCount) {
    case 1:
        return fromTable((row[x / 8] >> (7 - x % 8)) & 1);
    case 4:
        return fromTable((x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4);
    case 8:
        return fromTable(row[x]);
    case 16:
        return fromMasks(uint32_t(row[2 * x] | (row[2 * x + 1] << 8)));
    case 24: {
        const uint8_t* p = row + 3 * size_t(x);
        return fromMasks(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16));
    }
    case 32: {
        const uint8_t* p = row + 4 * size_t(x);
        return fromMasks(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                         (uint32_t(p[3]) << 24));
    }
    }
    return 0;
}

void TDIB::ReadRow565(int y, int x, int count, uint16_t* out) const {
    const TDIBSharedImage& im = *image_;
    // The common paths (palette and plain 24-bit) convert a row without per-pixel dispatch.
    if (y >= 0 && y < im.Height && x >= 0 && count >= 0 && x + count <= im.Width &&
        (im.BitCount == 8 ||
         (im.BitCount == 24 && im.RedMask == 0xFF0000 && im.GreenMask == 0xFF00 && im.BlueMask == 0xFF))) {
        im.Decode();
        const uint8_t* row = im.Bits.data() + size_t(im.Height - 1 - y) * im.RowLength;
        if (im.BitCount == 8) {
            uint16_t lut[256] = {};
            for (size_t i = 0; i < im.ColorTable.size(); ++i) {
                const auto& e = im.ColorTable[i];
                lut[i] = RGBToPixel565(e[2], e[1], e[0]);
            }
            for (int i = 0; i < count; ++i)
                out[i] = lut[row[x + i]];
        } else {
            const uint8_t* p = row + 3 * size_t(x);
            for (int i = 0; i < count; ++i, p += 3)
                out[i] = RGBToPixel565(p[2], p[1], p[0]);
        }
        return;
    }
    TGraphic::ReadRow565(y, x, count, out);
}

std::unique_ptr<TGraphic> TDIB::Clone() const {
    auto copy = std::make_unique<TDIB>();
    copy->image_ = image_;
    return copy;
}

void TDIB::LoadFromStream(TByteReader& data) {
    auto im = std::make_shared<TDIBSharedImage>();
    ReadDIBImage(data, *im);
    image_ = std::move(im);
}

std::unique_ptr<TGraphic> TBitmapGraphic::Clone() const {
    auto copy = std::make_unique<TBitmapGraphic>();
    copy->image_ = image_;
    return copy;
}

void TBitmapGraphic::LoadFromStream(TByteReader& data) {
    uint32_t length = data.U32();
    TByteReader file = data.Sub(length);
    data.Check();
    auto im = std::make_shared<TDIBSharedImage>();
    if (length > 0) {
        // File header: "BM", file size, two reserved words, offset of the pixel data.
        char magic[2] = {};
        file.ReadBytes(magic, 2);
        file.U32();
        file.U32();
        uint32_t offBits = file.U32();
        file.Check();
        if (magic[0] != 'B' || magic[1] != 'M') Invalid();
        // The pixels follow the colour table directly, as every writer lays them out; an offset
        // pointing inside the headers cannot be right.
        if (offBits != 0 && offBits < 14 + 12) Invalid();
        ReadDIBImage(file, *im);
    }
    image_ = std::move(im);
}

std::vector<uint8_t> EncodeDIB24(int width, int height, const std::vector<uint8_t>& rgb) {
    TByteWriter w;
    const size_t rowLength = (size_t(24) * size_t(width) + 31) / 32 * 4;
    w.U32(40);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(24);
    w.U32(0);
    w.U32(uint32_t(rowLength * size_t(height)));
    w.U32(0);
    w.U32(0);
    w.U32(0);
    w.U32(0);
    std::vector<uint8_t> row(rowLength, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
            row[size_t(x) * 3] = p[2];
            row[size_t(x) * 3 + 1] = p[1];
            row[size_t(x) * 3 + 2] = p[0];
        }
        w.Bytes(row);
    }
    return w.Data();
}

namespace {

// One row of 8-bit indices as RLE8: runs of equal bytes, literal stretches as absolute runs.
void EncodeRLE8Row(const uint8_t* px, int width, TByteWriter& w) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && px[x + run] == px[x])
            ++run;
        if (run >= 2 || width - x < 3) {
            if (run < 2) run = 1;
            w.U8(uint8_t(run));
            w.U8(px[x]);
            x += run;
            continue;
        }
        // Literal stretch: until a run of 3 equal bytes starts (at least 3, at most 255 bytes).
        int len = 0;
        while (x + len < width && len < 255) {
            if (x + len + 2 < width && px[x + len] == px[x + len + 1] && px[x + len] == px[x + len + 2])
                break;
            ++len;
        }
        if (len < 3) {
            w.U8(1);
            w.U8(px[x]);
            x += 1;
            continue;
        }
        w.U8(0);
        w.U8(uint8_t(len));
        w.Bytes(px + x, size_t(len));
        if (len & 1) w.U8(0);
        x += len;
    }
}

} // namespace

std::vector<uint8_t> EncodeDIB8RLE(int width, int height, const std::vector<uint8_t>& indices,
                                   const std::vector<uint32_t>& palette) {
    TByteWriter rle;
    for (int y = height - 1; y >= 0; --y) {
        EncodeRLE8Row(indices.data() + size_t(y) * size_t(width), width, rle);
        if (y > 0) {
            rle.U8(0);
            rle.U8(0);
        }
    }
    rle.U8(0);
    rle.U8(1);
    // At least one entry: a count of 0 would mean a full table of 256 to the reader.
    const size_t colors = std::clamp<size_t>(palette.size(), 1, 256);
    TByteWriter w;
    w.U32(40);
    w.I32(width);
    w.I32(height);
    w.U16(1);
    w.U16(8);
    w.U32(1);
    w.U32(uint32_t(rle.Size()));
    w.U32(0);
    w.U32(0);
    w.U32(uint32_t(colors));
    w.U32(0);
    for (size_t i = 0; i < colors; ++i) {
        TColor c = i < palette.size() ? palette[i] : 0;
        w.U8(ColorBlue(c));
        w.U8(ColorGreen(c));
        w.U8(ColorRed(c));
        w.U8(0);
    }
    w.Bytes(rle.Data());
    return w.Data();
}
