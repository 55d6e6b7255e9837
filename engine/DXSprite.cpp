// The sprite tree: linking, depth order, the three walks, image and background sprites, the component.
#include "engine/DXSprite.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "engine/Errors.h"
#include "engine/PictureCollection.h"
#include "engine/Surface.h"

namespace {

// Real to integer by truncation toward zero; positions far off any surface are pinned, not undefined.
int32_t TruncInt(double v) {
    if (std::isnan(v)) return 0;
    return int32_t(std::clamp(v, -2147483648.0, 2147483647.0));
}

bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && a.Right > b.Left && a.Top < b.Bottom && a.Bottom > b.Top;
}

// Remainder with the sign of the divisor (the divisor is positive here).
int64_t ModPositive(int64_t a, int64_t m) {
    int64_t r = a % m;
    return r < 0 ? r + m : r;
}

const std::vector<TSprite*> kNoSprites;

} // namespace

// ---- TSprite --------------------------------------------------------------------------------

TSprite::TSprite(TSprite* parent) {
    if (!parent) return;
    parent_ = parent;
    parent->AddChild(this);
    if (auto* root = dynamic_cast<TSpriteEngine*>(parent))
        engine_ = root;
    else
        engine_ = parent->engine_;
    if (engine_) ++engine_->SpriteCount;
}

TSprite::~TSprite() {
    DestroyChildren();
    if (parent_) {
        if (engine_) --engine_->SpriteCount;
        parent_->RemoveChild(this);
    }
}

void TSprite::AddChild(TSprite* child) {
    if (!children_) {
        children_ = std::make_unique<std::vector<TSprite*>>();
        drawOrder_ = std::make_unique<std::vector<TSprite*>>();
    }
    children_->push_back(child);
    InsertDrawOrder(child);
}

void TSprite::RemoveChild(TSprite* child) {
    if (!children_) return;
    std::erase(*children_, child);
    std::erase(*drawOrder_, child);
    if (children_->empty()) {
        children_.reset();
        drawOrder_.reset();
    }
}

void TSprite::InsertDrawOrder(TSprite* child) {
    // Binary search for the first sprite whose Z is not below the new one: among equal Z the
    // newest goes first, that is underneath the older ones.
    auto& order = *drawOrder_;
    int lo = 0, hi = int(order.size()) - 1;
    while (hi >= lo) {
        const int mid = (lo + hi) / 2;
        if (int64_t(order[size_t(mid)]->z_) - int64_t(child->z_) < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    order.insert(order.begin() + lo, child);
}

void TSprite::CollideWith(TSprite*, bool&) {}

void TSprite::Render() {}

void TSprite::Advance(int) {}

TRect TSprite::WorldRect() const {
    return Bounds(TruncInt(WorldX()), TruncInt(WorldY()), Width, Height);
}

bool TSprite::HitTest(TSprite*) {
    return true;
}

double TSprite::WorldX() const {
    double x = 0;
    for (const TSprite* s = this; s; s = s->parent_)
        x += s->X;
    return x;
}

double TSprite::WorldY() const {
    double y = 0;
    for (const TSprite* s = this; s; s = s->parent_)
        y += s->Y;
    return y;
}

void TSprite::SetZ(int32_t z) {
    if (z == z_) return;
    z_ = z;
    if (parent_ && parent_->drawOrder_) {
        std::erase(*parent_->drawOrder_, this);
        parent_->InsertDrawOrder(this);
    }
}

int TSprite::ChildCount() const {
    return children_ ? int(children_->size()) : 0;
}

TSprite* TSprite::Child(int index) const {
    if (!children_) throw ESpriteError(Format("Index of the list exceeds the range. (%d)", index));
    if (index < 0 || size_t(index) >= children_->size())
        throw std::out_of_range(Format("List index out of bounds (%d)", index));
    return (*children_)[size_t(index)];
}

const std::vector<TSprite*>& TSprite::DrawOrder() const {
    return drawOrder_ ? *drawOrder_ : kNoSprites;
}

void TSprite::DestroyChildren() {
    while (ChildCount() > 0)
        delete children_->back();
}

void TSprite::AdvanceAll(int moveCount) {
    if (!MoveEnabled) return;
    Advance(moveCount);
    // The count is taken once: sprites created during the walk wait for the next frame.
    const int count = ChildCount();
    for (int i = 0; i < count && i < ChildCount(); ++i)
        Child(i)->AdvanceAll(moveCount);
}

void TSprite::RenderAll() {
    if (!parent_)
        if (auto* root = dynamic_cast<TSpriteEngine*>(this)) root->RenderedCount = 0;
    if (!Visible) return;
    if (engine_ && Overlap(WorldRect(), engine_->SurfaceRect())) {
        Render();
        ++engine_->RenderedCount;
    }
    // By index: a sprite may change its own Z while drawing.
    for (size_t i = 0; drawOrder_ && i < drawOrder_->size(); ++i)
        (*drawOrder_)[i]->RenderAll();
}

int TSprite::Collide() {
    if (!engine_ || !CollisionEnabled) return 0;
    TSpriteEngine& e = *engine_;
    e.HitCount = 0;
    e.CollisionStop = false;
    e.ColliderRect = WorldRect();
    e.Collider = this;
    for (int i = 0; i < e.ChildCount(); ++i)
        CollideVisit(e, e.Child(i));
    e.Collider = nullptr;
    return e.HitCount;
}

void TSprite::CollideVisit(TSpriteEngine& e, TSprite* candidate) {
    if (e.CollisionStop || !candidate->CollisionEnabled) return;
    TSprite* collider = e.Collider;
    if (candidate != collider && Overlap(candidate->WorldRect(), e.ColliderRect) &&
        collider->HitTest(candidate) && candidate->HitTest(collider)) {
        ++e.HitCount;
        collider->CollideWith(candidate, e.CollisionStop);
        if (!collider->CollisionEnabled) e.CollisionStop = true;
    }
    if (e.CollisionStop) return;
    for (int i = 0; i < candidate->ChildCount(); ++i)
        CollideVisit(e, candidate->Child(i));
}

// ---- TImageSprite ---------------------------------------------------------------------------

TImageSprite::TImageSprite(TSprite* parent) : TSprite(parent) {}

int TImageSprite::CurrentPattern() const {
    return TruncInt(AnimPosition) + AnimFirst;
}

TRect TImageSprite::WorldRect() const {
    int64_t left = TruncInt(WorldX()), top = TruncInt(WorldY());
    if (Tiled && Engine()) {
        // The rectangle wraps round the surface so that it re-enters on the far side.
        const TRect& sr = Engine()->SurfaceRect();
        const int64_t wrapX = int64_t(sr.Right) + Width, wrapY = int64_t(sr.Bottom) + Height;
        if (wrapX > 0) {
            left = ModPositive(left, wrapX);
            if (left > sr.Right) left = left - sr.Right - Width;
        }
        if (wrapY > 0) {
            top = ModPositive(top, wrapY);
            if (top > sr.Bottom) top = top - sr.Bottom - Height;
        }
    }
    return Bounds(int32_t(left), int32_t(top), Width, Height);
}

TRect TImageSprite::ImageRect() const {
    TRect r = WorldRect();
    if (!Image) return r;
    const int32_t dx = (Width - Image->FrameWidth()) / 2, dy = (Height - Image->FrameHeight()) / 2;
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

void TImageSprite::Advance(int moveCount) {
    AnimPosition += AnimRate * moveCount;
    if (AnimLoop) {
        if (AnimFrames > 0) {
            AnimPosition -= std::trunc(AnimPosition / AnimFrames) * AnimFrames;
            if (AnimPosition < 0) AnimPosition += AnimFrames;
        } else {
            AnimPosition = 0;
        }
    } else {
        // A one-shot animation rests on its last pattern with the rate cleared: that is how its
        // owner learns it has finished.
        if (AnimPosition >= AnimFrames) {
            AnimPosition = AnimFrames - 1;
            AnimRate = 0;
        }
        if (AnimPosition < 0) {
            AnimPosition = 0;
            AnimRate = 0;
        }
    }
}

void TImageSprite::Render() {
    if (!Image || !Engine() || !Engine()->Surface()) return;
    const TRect r = ImageRect();
    Image->DrawPattern(*Engine()->Surface(), r.Left, r.Top, CurrentPattern());
}

namespace {

// Whether two locked pattern areas have an opaque pixel at the same place.
bool PixelsMeet(const TLockedPixels& a, const TLockedPixels& b, int w, int h) {
    const int bytes = a.Format.BitCount / 8;
    for (int y = 0; y < h; ++y) {
        const auto* ra = static_cast<const uint8_t*>(a.Bits) + size_t(y) * size_t(a.Pitch);
        const auto* rb = static_cast<const uint8_t*>(b.Bits) + size_t(y) * size_t(b.Pitch);
        for (int x = 0; x < w; ++x) {
            uint32_t pa = 0, pb = 0;
            for (int i = 0; i < bytes; ++i) {
                pa |= uint32_t(ra[x * bytes + i]) << (8 * i);
                pb |= uint32_t(rb[x * bytes + i]) << (8 * i);
            }
            uint32_t ka = a.ColorKey, kb = b.ColorKey;
            if (bytes >= 3) pa &= 0xFFFFFF, pb &= 0xFFFFFF, ka &= 0xFFFFFF, kb &= 0xFFFFFF;
            if (bytes == 2) ka &= 0xFFFF, kb &= 0xFFFF;
            if (bytes == 1) ka &= 0xFF, kb &= 0xFF;
            if (pa != ka && pb != kb) return true;
        }
    }
    return false;
}

} // namespace

bool TImageSprite::HitTest(TSprite* other) {
    auto* o = dynamic_cast<TImageSprite*>(other);
    if (!PixelExact || !o) return true;

    // Lay the two current patterns over each other where their image rectangles meet.
    const TRect ra = ImageRect(), rb = o->ImageRect();
    const TRect both{std::max(ra.Left, rb.Left), std::max(ra.Top, rb.Top), std::min(ra.Right, rb.Right),
                     std::min(ra.Bottom, rb.Bottom)};
    if (both.IsEmpty()) return false;
    TDirectDrawSurface* sa = Image ? Image->SurfaceOfPattern(CurrentPattern()) : nullptr;
    TDirectDrawSurface* sb = o->Image ? o->Image->SurfaceOfPattern(o->CurrentPattern()) : nullptr;
    if (!sa || !sb) return true; // nothing to compare: the rectangles decide

    // Source areas: the overlap in each pattern's own coordinates, clipped to the pattern surfaces.
    const TRect pa = Image->PatternBounds(CurrentPattern()),
                pb = o->Image->PatternBounds(o->CurrentPattern());
    const int ax = pa.Left + both.Left - ra.Left, ay = pa.Top + both.Top - ra.Top;
    const int bx = pb.Left + both.Left - rb.Left, by = pb.Top + both.Top - rb.Top;
    int w = both.Width(), h = both.Height();
    w = std::min({w, pa.Right - ax, pb.Right - bx, sa->Width() - ax, sb->Width() - bx});
    h = std::min({h, pa.Bottom - ay, pb.Bottom - by, sa->Height() - ay, sb->Height() - by});
    if (w <= 0 || h <= 0 || ax < 0 || ay < 0 || bx < 0 || by < 0) return false;

    const TRect areaA = Bounds(ax, ay, w, h), areaB = Bounds(bx, by, w, h);
    TLockedPixels la, lb;
    if (!sa->LockPixels(&areaA, la)) return false;
    if (sa == sb) {
        // One surface holds both patterns: it can only be locked once, so compare through the first lock.
        lb = la;
        lb.Bits =
            static_cast<uint8_t*>(la.Bits) + (by - ay) * la.Pitch + (bx - ax) * (la.Format.BitCount / 8);
        const bool hit = PixelsMeet(la, lb, w, h);
        sa->UnlockPixels();
        return hit;
    }
    if (!sb->LockPixels(&areaB, lb)) {
        sa->UnlockPixels();
        return false;
    }
    const bool hit = la.Format.BitCount != lb.Format.BitCount ? true : PixelsMeet(la, lb, w, h);
    sb->UnlockPixels();
    sa->UnlockPixels();
    return hit;
}

// ---- TBackgroundSprite ----------------------------------------------------------------------

TBackgroundSprite::TBackgroundSprite(TSprite* parent) : TSprite(parent) {
    CollisionEnabled = false;
}

void TBackgroundSprite::ResizeMap(int columns, int rows) {
    if (columns == columns_ && rows == rows_) return;
    if (columns <= 0 || rows <= 0) columns = rows = 0;
    columns_ = columns;
    rows_ = rows;
    const size_t n = size_t(columns) * size_t(rows);
    cells_.assign(n, 0);
    solid_.assign(n, 1);
}

int TBackgroundSprite::Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= columns_ || row >= rows_) return -1;
    return cells_[size_t(row) * size_t(columns_) + size_t(col)];
}

void TBackgroundSprite::SetCell(int col, int row, int pattern) {
    if (col < 0 || row < 0 || col >= columns_ || row >= rows_) return;
    cells_[size_t(row) * size_t(columns_) + size_t(col)] = pattern;
}

bool TBackgroundSprite::IsSolid(int col, int row) const {
    if (col < 0 || row < 0 || col >= columns_ || row >= rows_) return false;
    return solid_[size_t(row) * size_t(columns_) + size_t(col)] != 0;
}

void TBackgroundSprite::SetSolid(int col, int row, bool solid) {
    if (col < 0 || row < 0 || col >= columns_ || row >= rows_) return;
    solid_[size_t(row) * size_t(columns_) + size_t(col)] = solid ? 1 : 0;
}

TRect TBackgroundSprite::WorldRect() const {
    if (Tiled) return Engine() ? Engine()->SurfaceRect() : TRect{};
    if (!Image) return TRect{};
    return Bounds(TruncInt(WorldX()), TruncInt(WorldY()), Image->FrameWidth() * columns_,
                  Image->FrameHeight() * rows_);
}

void TBackgroundSprite::Render() {
    if (!Image || columns_ == 0 || rows_ == 0 || !Engine() || !Engine()->Surface()) return;
    const TRect pb = Image->PatternBounds(0);
    const int w = pb.Width(), h = pb.Height();
    if (w <= 0 || h <= 0) return;
    TDirectDrawSurface* surface = Engine()->Surface();
    const TRect& sr = Engine()->SurfaceRect();

    const int sx = TruncInt(WorldX()), sy = TruncInt(WorldY());
    const int ox = sx % w, oy = sy % h;
    int cx = sx / w, cy = sy / h, kx = 0, ky = 0;
    if (cx < 0) kx = -cx, cx = 0;
    if (cy < 0) ky = -cy, cy = 0;
    const int nx = (sr.Right + w) / w + 1, ny = (sr.Bottom + h) / h;

    if (Tiled) {
        for (int y = -1; y <= ny + 1; ++y)
            for (int x = -1; x <= nx; ++x) {
                const int row = int(ModPositive(int64_t(y) + ky - cy, rows_));
                const int col = int(ModPositive(int64_t(x) + kx - cx, columns_));
                const int p = Cell(col, row);
                if (p >= 0) Image->DrawPattern(*surface, x * w + ox, y * h + oy, p);
            }
        return;
    }
    const int yEnd = std::min(cy + rows_ - ky, ny + 1), xEnd = std::min(cx + columns_ - kx, nx);
    for (int y = cy; y < yEnd; ++y)
        for (int x = cx; x < xEnd; ++x) {
            const int p = Cell(x + kx - cx, y + ky - cy);
            if (p >= 0) Image->DrawPattern(*surface, x * w + ox, y * h + oy, p);
        }
}

bool TBackgroundSprite::HitTest(TSprite* other) {
    if (!Image || columns_ == 0 || rows_ == 0) return true;
    const TRect pb = Image->PatternBounds(0);
    const int w = pb.Width(), h = pb.Height();
    if (w <= 0 || h <= 0) return true;
    const TRect mine = WorldRect(), theirs = other->WorldRect();
    TRect inter{std::max(mine.Left, theirs.Left), std::max(mine.Top, theirs.Top),
                std::min(mine.Right, theirs.Right), std::min(mine.Bottom, theirs.Bottom)};
    if (inter.IsEmpty()) return false;
    const int sx = TruncInt(WorldX()), sy = TruncInt(WorldY());
    inter = TRect{inter.Left - sx, inter.Top - sy, inter.Right - sx, inter.Bottom - sy};
    const TRect shifted{theirs.Left - sx, theirs.Top - sy, theirs.Right - sx, theirs.Bottom - sy};
    for (int row = (inter.Top - h + 1) / h; row <= inter.Bottom / h; ++row)
        for (int col = (inter.Left - w + 1) / w; col <= inter.Right / w; ++col) {
            const int c = int(ModPositive(col, columns_)), r = int(ModPositive(row, rows_));
            if (IsSolid(c, r) && Overlap(Bounds(col * w, row * h, w, h), shifted)) return true;
        }
    return false;
}

// ---- TSpriteEngine and the component --------------------------------------------------------

TSpriteEngine::TSpriteEngine() : TSprite(nullptr) {}

// The sprites are freed while the root is still whole: each of them counts itself off it.
TSpriteEngine::~TSpriteEngine() {
    DestroyChildren();
}

void TSpriteEngine::SetSurface(TDirectDrawSurface* surface) {
    surface_ = surface;
    if (surface) {
        surfaceRect_ = surface->SurfaceBounds();
        Width = surfaceRect_.Width();
        Height = surfaceRect_.Height();
    } else {
        // Nothing overlaps an absent surface, so nothing is drawn until the next one is set.
        surfaceRect_ = TRect{};
    }
}

TDXSpriteEngine::TDXSpriteEngine() : engine_(std::make_unique<TSpriteEngine>()) {}

TDXSpriteEngine::~TDXSpriteEngine() {
    SetDXDraw(nullptr);
    engine_.reset();
}

void TDXSpriteEngine::SetDXDraw(TDXDraw* dxDraw) {
    if (dxDraw == dxDraw_) return;
    if (dxDraw_) dxDraw_->RemoveListener(this);
    dxDraw_ = dxDraw;
    if (dxDraw_) dxDraw_->AddListener(this);
}

void TDXSpriteEngine::Move(int moveCount) {
    engine_->AdvanceAll(moveCount);
}

void TDXSpriteEngine::Draw() {
    if (dxDraw_ && dxDraw_->Initialized()) engine_->RenderAll();
}

void TDXSpriteEngine::DXDrawNotify(TDXDraw& sender, TDXDrawNotifyType notify) {
    switch (notify) {
    case dxntDestroying:
        // The display is going away and drops its listeners itself.
        dxDraw_ = nullptr;
        engine_->SetSurface(nullptr);
        break;
    case dxntInitialize:
        engine_->SetSurface(&sender.BackSurface());
        break;
    case dxntFinalize:
        engine_->SetSurface(nullptr);
        break;
    default:
        break;
    }
}
