// Off-screen drawing surfaces: the back surface every frame is composed on and the pattern
// surfaces of the picture lists. All surfaces of one display share its 16-bit 5-6-5 format.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Types.h"

class TDXDraw;
class TDirectDrawSurfaceCanvas;

// Pixel layout of a surface (always 16-bit 5-6-5 here; kept explicit for the lock description).
struct TPixelFormat {
    int BitCount = 16;
    uint32_t RedMask = 0xF800, GreenMask = 0x07E0, BlueMask = 0x001F;
};

// What LockPixels hands out: direct access to the pixels of a locked rectangle.
struct TLockedPixels {
    int Width = 0, Height = 0;
    int Pitch = 0;        // bytes per row
    void* Bits = nullptr; // first pixel of the locked rectangle
    TPixelFormat Format;
    uint32_t ColorKey = 0; // the source colour key as a raw pixel value
};

// A surface of the display: width, height, pixels, source colour key, text canvas.
class TDirectDrawSurface {
  public:
    // Creates an empty surface (no pixels); Owner is the display it belongs to, if any.
    explicit TDirectDrawSurface(TDXDraw* owner = nullptr);
    ~TDirectDrawSurface();
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

    // Gives the surface width x height pixels (all 0); a size of 0 frees them. False if refused.
    bool SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasPixels() const { return width_ > 0 && height_ > 0; }
    const TPixelFormat& PixelFormat() const { return format_; }
    TDXDraw* Owner() const { return owner_; }

    // Raw pixel rows for the engine's own copy loops (pitch in pixels).
    uint16_t* Pixels() { return pixels_.data(); }
    const uint16_t* Pixels() const { return pixels_.data(); }
    int PitchPixels() const { return width_; }
    uint16_t& PixelAt(int x, int y) { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
    uint16_t PixelAt(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }

    // The source colour key: one raw pixel value that transparent copies skip.
    uint32_t ColorKey() const { return colorKey_; }
    void SetColorKey(uint32_t raw) { colorKey_ = raw; }

    // Lost surfaces: the platform may take the presentation away (a renderer reset); the
    // contents are then undefined until Restore, after which the owners redraw them.
    bool IsLost() const { return lost_; }
    void MarkLost() { lost_ = true; }
    bool Restore();

    // Sets every pixel to the raw value; false when the surface has no pixels.
    bool FillAll(uint32_t raw);
    // (0, 0, width, height).
    TRect SurfaceBounds() const { return TRect{0, 0, width_, height_}; }

    // Locks the whole surface (rect null or equal to the bounds) or a part of it for direct
    // access; fails when there are no pixels or it is locked already (locks do not nest).
    bool LockPixels(const TRect* rect, TLockedPixels& out);
    // Ends a LockPixels lock; does nothing when not locked.
    void UnlockPixels();
    bool IsLocked() const { return lockCount_ != 0; }

    // Copies SourceRect of Source to (X, Y), clipped to both surfaces; with Transparent the
    // source's colour key is skipped.
    void BlitRect(int x, int y, TRect sourceRect, TDirectDrawSurface* source, bool transparent);
    // Scaled and rotated copy of SourceRect: the point (CenterX*Width, CenterY*Height) of the
    // scaled image lands on (X, Y) and the image turns clockwise by Angle (1/256 turns).
    void BlitRotated(int x, int y, int width, int height, TRect sourceRect, TDirectDrawSurface* source,
                     double centerX, double centerY, bool transparent, int angle);

    // The surface's text canvas, created on first use.
    TDirectDrawSurfaceCanvas& TextCanvas();
    // Hands the canvas's drawing context back (called once per frame before presenting).
    void ReleaseCanvas();

    // Result code of the last platform call (0 = fine); drawing never raises.
    int LastResult = 0;

  private:
    TDXDraw* owner_;
    int width_ = 0, height_ = 0;
    std::vector<uint16_t> pixels_;
    TPixelFormat format_;
    uint32_t colorKey_ = 0;
    bool lost_ = false;
    int lockCount_ = 0;
    std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
};
