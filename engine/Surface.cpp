#include "engine/Surface.h"

#include <algorithm>
#include <cstring>

#include "engine/SurfaceCanvas.h"

TDirectDrawSurface::TDirectDrawSurface(TDXDraw* owner) : owner_(owner) {}

TDirectDrawSurface::~TDirectDrawSurface() = default;

bool TDirectDrawSurface::SetSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        width_ = height_ = 0;
        pixels_.clear();
        pixels_.shrink_to_fit();
        return true;
    }
    width_ = width;
    height_ = height;
    pixels_.assign(size_t(width) * size_t(height), 0);
    lost_ = false;
    return true;
}

bool TDirectDrawSurface::Restore() {
    // Our pixels live in our own memory, so a restore only has to clear the lost mark; the
    // owners redraw the contents when the display tells them it restored its surfaces.
    lost_ = false;
    LastResult = 0;
    return true;
}

bool TDirectDrawSurface::FillAll(uint32_t raw) {
    if (!HasPixels()) return false;
    // The whole back surface is cleared every frame, almost always to black: a colour whose two
    // bytes are alike is the library's block fill, many times faster than pixel by pixel.
    const uint16_t v = uint16_t(raw);
    if ((v & 0xFF) == (v >> 8))
        std::memset(pixels_.data(), v & 0xFF, pixels_.size() * sizeof(uint16_t));
    else
        std::fill(pixels_.begin(), pixels_.end(), v);
    return true;
}

bool TDirectDrawSurface::LockPixels(const TRect* rect, TLockedPixels& out) {
    if (!HasPixels() || lockCount_ != 0) return false;
    TRect r = SurfaceBounds();
    if (rect && !(*rect == r)) {
        r = *rect;
        if (r.Left < 0 || r.Top < 0 || r.Right > width_ || r.Bottom > height_ || r.IsEmpty()) return false;
    }
    out.Width = r.Width();
    out.Height = r.Height();
    out.Pitch = width_ * 2;
    out.Bits = &PixelAt(r.Left, r.Top);
    out.Format = format_;
    out.ColorKey = colorKey_;
    lockCount_ = 1;
    return true;
}

void TDirectDrawSurface::UnlockPixels() {
    if (lockCount_ == 1) lockCount_ = 0;
}

TDirectDrawSurfaceCanvas& TDirectDrawSurface::TextCanvas() {
    if (!canvas_) canvas_ = std::make_unique<TDirectDrawSurfaceCanvas>(*this);
    return *canvas_;
}

void TDirectDrawSurface::ReleaseCanvas() {
    if (HasPixels() && canvas_ && canvas_->HoldsContext()) canvas_->Release();
}
