// Pictures and their "Data" payload.
#include "engine/Picture.h"

#include "engine/Errors.h"

namespace {

// Lays a bitmap out as TDIB data again (info header, masks, colour table, rows or RLE bytes).
std::vector<uint8_t> EncodeImage(const TDIBSharedImage& im) {
    const bool rle = !im.Decoded && (im.Compression == 1 || im.Compression == 2);
    const uint32_t compression = rle ? im.Compression : im.Compression == 3 ? 3 : 0;
    const std::vector<uint8_t>& pixels = rle ? im.Compressed : im.Bits;
    TByteWriter w;
    w.U32(40);
    w.I32(im.Width);
    w.I32(im.Height);
    w.U16(1);
    w.U16(uint16_t(im.BitCount));
    w.U32(compression);
    w.U32(uint32_t(pixels.size()));
    w.U32(0);
    w.U32(0);
    // A table of the full 2^bits entries is written as "0 used" unless it is shorter.
    w.U32(uint32_t(im.ColorTable.size()));
    w.U32(0);
    if (compression == 3) {
        w.U32(im.RedMask);
        w.U32(im.GreenMask);
        w.U32(im.BlueMask);
    }
    for (const auto& e : im.ColorTable)
        w.Bytes(e.data(), 4);
    w.Bytes(pixels);
    return w.Data();
}

} // namespace

void TPicture::Assign(const TPicture& other) {
    if (&other == this) return;
    graphic_ = other.graphic_ ? other.graphic_->Clone() : nullptr;
}

void TPicture::ReadData(TByteReader& data) {
    std::string cls = data.ShortString();
    data.Check();
    std::unique_ptr<TGraphic> g;
    if (cls == "TDIB")
        g = std::make_unique<TDIB>();
    else if (cls == "TBitmap")
        g = std::make_unique<TBitmapGraphic>();
    // "TIcon" and "TMetafile" are known classes the game never draws; they, and unknown
    // names, leave the picture empty.
    if (g) g->LoadFromStream(data);
    graphic_ = std::move(g);
}

std::vector<uint8_t> TPicture::WriteData() const {
    const TDIB* dib = dynamic_cast<const TDIB*>(graphic_.get());
    // An empty picture is stored as an empty class name, which reads back as no graphic.
    if (!dib) return {0};
    std::vector<uint8_t> body;
    if (!dib->Empty()) body = EncodeImage(dib->Image());
    return MakeDIBPayload(body);
}

bool TPicture::DefinesBinaryProperty(const std::string& name) const {
    return SameText(name, "Data");
}

void TPicture::ReadBinaryProperty(const std::string& name, TByteReader& data) {
    if (SameText(name, "Data")) ReadData(data);
}

std::vector<uint8_t> MakeDIBPayload(const std::vector<uint8_t>& dibData) {
    std::vector<uint8_t> out{4, 'T', 'D', 'I', 'B'};
    out.insert(out.end(), dibData.begin(), dibData.end());
    return out;
}
