// Image lists: picture items, their pattern surfaces and the picture-list file.
#include "engine/PictureCollection.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "engine/Errors.h"

namespace {} // namespace

// ---- item ----

TPictureCollectionItem::TPictureCollectionItem(TPictureCollection& owner) : THashCollectionItem(owner) {}

TPictureCollectionItem::~TPictureCollectionItem() {
    ReleaseSurfaces();
}

TPictureCollection& TPictureCollectionItem::Owner() const {
    return static_cast<TPictureCollection&>(Collection());
}

bool TPictureCollectionItem::FindProperty(const std::string& name, TStreamProperty& out) {
    auto integer = [&](int32_t& field) {
        out.Kind = TPropertyKind::Integer;
        out.SetInteger = [&field](int32_t v) { field = v; };
        return true;
    };
    auto boolean = [&](bool& field) {
        out.Kind = TPropertyKind::Boolean;
        out.SetBoolean = [&field](bool v) { field = v; };
        return true;
    };
    if (SameText(name, "Name")) {
        out.Kind = TPropertyKind::String;
        out.SetString = [this](const std::string& v) { SetName(v); };
        return true;
    }
    if (SameText(name, "PatternHeight")) return integer(PatternHeight);
    if (SameText(name, "PatternWidth")) return integer(PatternWidth);
    if (SameText(name, "SkipHeight")) return integer(SkipHeight);
    if (SameText(name, "SkipWidth")) return integer(SkipWidth);
    if (SameText(name, "SystemMemory")) return boolean(SystemMemory);
    if (SameText(name, "Transparent")) return boolean(Transparent);
    if (SameText(name, "Picture")) {
        out.Kind = TPropertyKind::Object;
        out.Object = &picture_;
        return true;
    }
    if (SameText(name, "TransparentColor")) {
        out.Kind = TPropertyKind::Color;
        out.SetInteger = [this](int32_t v) { SetTransparentColor(TColor(v)); };
        return true;
    }
    return false;
}

void TPictureCollectionItem::SetTransparentColor(TColor color) {
    if (color == transparentColor_) return;
    transparentColor_ = color;
    for (auto& s : surfaces_) {
        // A surface that cannot take the key keeps its old one; the others are still re-keyed.
        try {
            SetSourceKey(*s, ColorToPixel(*s, color));
        } catch (const EGameError&) {
        }
    }
}

int TPictureCollectionItem::FrameWidth() const {
    return PatternWidth > 0 ? PatternWidth : picture_.Width();
}
int TPictureCollectionItem::FrameHeight() const {
    return PatternHeight > 0 ? PatternHeight : picture_.Height();
}

int TPictureCollectionItem::NumPatterns() const {
    BuildDueSurfaces();
    if (!surfaces_.empty()) return int(patterns_.size());
    // Counted from the stored properties; a cell of no size (the whole picture) counts once.
    auto count = [](int64_t size, int64_t pattern, int64_t skip) -> int64_t {
        int64_t stride = pattern + skip;
        if (stride <= 0) return size > 0 ? 1 : 0;
        int64_t n = size / stride;
        if (size - n * stride == pattern) ++n;
        return std::max<int64_t>(n, 0);
    };
    int64_t n = count(picture_.Width(), PatternWidth, SkipWidth) *
                count(picture_.Height(), PatternHeight, SkipHeight);
    return int(std::min<int64_t>(n, INT32_MAX));
}

TRect TPictureCollectionItem::PatternBounds(int index) const {
    BuildDueSurfaces();
    if (index < 0 || size_t(index) >= patterns_.size()) return TRect{};
    return patterns_[size_t(index)].Rect;
}

TDirectDrawSurface* TPictureCollectionItem::SurfaceOfPattern(int index) const {
    BuildDueSurfaces();
    if (index < 0 || size_t(index) >= patterns_.size()) return nullptr;
    return patterns_[size_t(index)].Surface;
}

void TPictureCollectionItem::ReleaseSurfaces() {
    ready_ = false;
    rebuildDue_ = false;
    patterns_.clear();
    surfaces_.clear();
}

void TPictureCollectionItem::MakeReady() {
    if (ready_) ReleaseSurfaces();
    ready_ = Owner().DisplayReady();
}

TDirectDrawSurface& TPictureCollectionItem::AddSurface(const TRect& rect) {
    surfaces_.push_back(std::make_unique<TDirectDrawSurface>(Owner().DXDraw()));
    TDirectDrawSurface& s = *surfaces_.back();
    LoadFromPicture(s, *picture_.Graphic(), rect);
    // The key is set whether or not Transparent is: Transparent only decides whether draws use it.
    SetSourceKey(s, ColorToPixel(s, transparentColor_));
    return s;
}

void TPictureCollectionItem::BuildDueSurfaces() const {
    if (!rebuildDue_) return;
    // The surfaces are a cache of the picture: building them changes nothing a reader can tell
    // apart from their having been built earlier. (Items are never const objects: the collection
    // owns them.)
    const_cast<TPictureCollectionItem&>(*this).RebuildSurfaces(); // clears the mark first
}

void TPictureCollectionItem::RebuildSurfaces() {
    rebuildDue_ = false;
    if (!picture_.Graphic() || picture_.Graphic()->Empty()) return;
    if (!ready_) {
        if (Owner().DisplayReady()) MakeReady();
        if (!ready_) return;
    }
    patterns_.clear();
    surfaces_.clear();

    const int W = picture_.Width(), H = picture_.Height();
    const int FW = FrameWidth(), FH = FrameHeight();
    const int64_t SW = SkipWidth, SH = SkipHeight;
    const int64_t X = FW + SW, Y = FH + SH;

    if (FW == W && FH == H) {
        TDirectDrawSurface& s = AddSurface(TRect{0, 0, W, H});
        patterns_.push_back({TRect{0, 0, W, H}, &s});
        return;
    }
    // Negative skips that swallow the cell leave nothing sensible to cut.
    if (X <= 0 || Y <= 0) return;
    const int64_t rows = (H + SH) / Y, cols = (W + SW) / X;
    // A damaged file could ask for a cell per pixel of a huge picture; no real list comes near this.
    constexpr int64_t kMaxPatterns = int64_t(1) << 20;
    if (rows * cols > kMaxPatterns) return;

    if (SystemMemory) {
        TDirectDrawSurface& s = AddSurface(TRect{0, 0, W, H});
        for (int64_t r = 0; r < rows; ++r)
            for (int64_t c = 0; c < cols; ++c)
                patterns_.push_back({Bounds(int32_t(c * X), int32_t(r * Y), FW, FH), &s});
        return;
    }

    // Chunks of whole cells, each about 512 pixels (plus up to one stride) or all there is.
    const int64_t CW = std::min(X * ((X + 511) / X), X * cols);
    const int64_t CH = std::min(Y * ((Y + 511) / Y), Y * rows);
    if (CW <= 0 || CH <= 0) return;
    const int64_t NC = (CW + W - 1) / CW, NR = (CH + H - 1) / CH;
    for (int64_t j = 0; j < NR; ++j)
        for (int64_t i = 0; i < NC; ++i)
            AddSurface(Bounds(int32_t(CW * i), int32_t(CH * j), int32_t(std::min(CW, W - CW * i)),
                              int32_t(std::min(CH, H - CH * j))));
    for (int64_t r = 0; r < rows; ++r)
        for (int64_t c = 0; c < cols; ++c) {
            size_t surface = size_t((c * X) / CW + NC * ((r * Y) / CH));
            patterns_.push_back(
                {Bounds(int32_t((c * X) % CW), int32_t((r * Y) % CH), FW, FH), surfaces_[surface].get()});
        }
}

void TPictureCollectionItem::DrawPattern(TDirectDrawSurface& dest, int x, int y, int patternIndex) {
    BuildDueSurfaces();
    if (!ready_ || patternIndex < 0 || size_t(patternIndex) >= patterns_.size()) return;
    const TPictureCollectionItemPattern& p = patterns_[size_t(patternIndex)];
    dest.BlitRect(x, y, p.Rect, p.Surface, Transparent);
}

void TPictureCollectionItem::DrawRotated(TDirectDrawSurface& dest, int x, int y, int width, int height,
                                         int patternIndex, double centerX, double centerY, int angle) {
    BuildDueSurfaces();
    if (!ready_ || patternIndex < 0 || size_t(patternIndex) >= patterns_.size()) return;
    const TPictureCollectionItemPattern& p = patterns_[size_t(patternIndex)];
    dest.BlitRotated(x, y, width, height, p.Rect, p.Surface, centerX, centerY, Transparent, angle);
}

// ---- collection ----

TPictureCollection::~TPictureCollection() {
    Clear();
}

TPictureCollectionItem* TPictureCollection::Items(int index) const {
    return static_cast<TPictureCollectionItem*>(ItemAt(index));
}

TPictureCollectionItem& TPictureCollection::Add() {
    return static_cast<TPictureCollectionItem&>(AddItem(std::make_unique<TPictureCollectionItem>(*this)));
}

TPictureCollectionItem& TPictureCollection::FindItem(const std::string& name) const {
    THashCollectionItem* item = FindByName(name);
    if (!item) throw EPictureCollectionError(Format("Image '%s' not found", name.c_str()));
    return static_cast<TPictureCollectionItem&>(*item);
}

void TPictureCollection::LoadListFile(const std::string& path) {
    std::vector<uint8_t> data = ReadListFile(path);
    TByteReader stream(data);
    LoadListStream(stream);
}

void TPictureCollection::LoadListStream(TByteReader& stream) {
    Clear();
    TListFileComponent root("TPictureCollectionComponent", *this);
    ReadPropertyStream(stream, root);
    if (DisplayReady()) {
        AttachDisplay(*dxDraw_);
        RebuildSurfaces();
    }
}

std::vector<uint8_t> TPictureCollection::SaveListStream(const std::string& resourceName) const {
    TComponentStreamWriter w(resourceName, "TPictureCollectionComponent", "");
    w.Binary("List.ColorTable", std::vector<uint8_t>(ColorTable.begin(), ColorTable.end()));
    w.BeginCollection("List");
    for (int i = 0; i < Count(); ++i) {
        const TPictureCollectionItem& it = *Items(i);
        w.BeginItem();
        w.String("Name", it.Name());
        w.Integer("PatternHeight", it.PatternHeight);
        w.Integer("PatternWidth", it.PatternWidth);
        w.Binary("Picture.Data", it.Picture().WriteData());
        if (it.SkipHeight != 0) w.Integer("SkipHeight", it.SkipHeight);
        if (it.SkipWidth != 0) w.Integer("SkipWidth", it.SkipWidth);
        w.Boolean("SystemMemory", it.SystemMemory);
        w.Boolean("Transparent", it.Transparent);
        w.Color("TransparentColor", it.TransparentColor());
        w.EndItem();
    }
    w.EndCollection();
    return w.Finish();
}

void TPictureCollection::SaveListFile(const std::string& path) const {
    std::vector<uint8_t> bytes = SaveListStream();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw EFOpenError(Format("Cannot create file \"%s\"", path.c_str()));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw EFOpenError(Format("Cannot write file \"%s\"", path.c_str()));
}

bool TPictureCollection::DisplayReady() const {
    return dxDraw_ && dxDraw_->Initialized();
}

void TPictureCollection::AttachDisplay(TDXDraw& device) {
    DetachDisplay();
    dxDraw_ = &device;
    if (!device.Initialized())
        throw EPictureCollectionError(Format("%s cannot be initialized", "TPictureCollection"));
    for (int i = 0; i < Count(); ++i)
        Items(i)->MakeReady();
}

void TPictureCollection::DetachDisplay() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->ReleaseSurfaces();
    dxDraw_ = nullptr;
}

void TPictureCollection::RebuildSurfaces() {
    for (int i = 0; i < Count(); ++i)
        Items(i)->RebuildSurfacesWhenUsed();
}

bool TPictureCollection::BuildNextDueSurfaces() {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->SurfacesDue()) {
            Items(i)->BuildDueSurfaces();
            return true;
        }
    return false;
}

bool TPictureCollection::DefinesBinaryProperty(const std::string& name) const {
    return SameText(name, "ColorTable");
}

void TPictureCollection::ReadBinaryProperty(const std::string& name, TByteReader& data) {
    if (!SameText(name, "ColorTable")) return;
    // Exactly 1024 bytes are used; a shorter value is a truncated file.
    data.ReadBytes(ColorTable.data(), ColorTable.size());
    data.Check();
}

// ---- image list ----

TDXImageList::TDXImageList() = default;

TDXImageList::~TDXImageList() {
    SetDXDraw(nullptr);
}

void TDXImageList::SetDXDraw(TDXDraw* device) {
    if (device == dxDraw_) return;
    if (dxDraw_) {
        TDXDraw* old = dxDraw_;
        dxDraw_ = nullptr;
        old->RemoveListener(this);
        items_.DetachDisplay();
    }
    dxDraw_ = device;
    if (device) device->AddListener(this);
}

void TDXImageList::DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType notify) {
    switch (notify) {
    case dxntDestroying:
        items_.DetachDisplay();
        dxDraw_ = nullptr;
        break;
    case dxntInitialize:
        items_.AttachDisplay(sender);
        break;
    case dxntFinalize:
        items_.DetachDisplay();
        break;
    case dxntRestore:
        items_.RebuildSurfaces();
        break;
    default:
        break;
    }
}

// ---- pattern-surface operations ----

void LoadFromPicture(TDirectDrawSurface& surface, const TGraphic& graphic, const TRect& rect) {
    const int w = rect.Width(), h = rect.Height();
    if (w <= 0 || h <= 0) {
        surface.SetSize(0, 0);
        return;
    }
    bool sized;
    try {
        sized = surface.SetSize(w, h);
    } catch (const std::bad_alloc&) {
        sized = false;
    }
    if (!sized) throw EDirectDrawSurfaceError(Format("%s cannot be made", "Surface"));
    for (int y = 0; y < h; ++y)
        graphic.ReadRow565(rect.Top + y, rect.Left, w,
                           surface.Pixels() + size_t(y) * size_t(surface.PitchPixels()));
}

TColor ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) == 0xFF000000u) {
        // There is no desktop colour scheme to ask on this platform: a conventional light scheme.
        static const TColor kSystem[31] = {
            0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
            0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
            0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
            0xE1FFFF, 0xB5B5B5, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
        uint32_t n = color & 0xFF;
        return n < 31 ? kSystem[n] : 0;
    }
    if (color == clNone || color == clDefault) return 0;
    return color & 0x00FFFFFF;
}

uint32_t ColorToPixel(TDirectDrawSurface& surface, TColor color) {
    if (!surface.HasPixels()) return 0;
    TColor rgb = ColorToRGB(color);
    // Draw the colour through the very conversion LoadFromPicture uses, then read it back.
    uint16_t saved = surface.PixelAt(0, 0);
    surface.PixelAt(0, 0) = RGBToPixel565(ColorRed(rgb), ColorGreen(rgb), ColorBlue(rgb));
    uint32_t raw = surface.PixelAt(0, 0);
    surface.PixelAt(0, 0) = saved;
    return raw;
}

void SetSourceKey(TDirectDrawSurface& surface, uint32_t value) {
    surface.SetColorKey(value);
}
