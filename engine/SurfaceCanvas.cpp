// Text output on a surface through the platform's text renderer.
#include "engine/SurfaceCanvas.h"

#include <algorithm>

#include "engine/PictureCollection.h"
#include "engine/Surface.h"
#include "platform/Text.h"

namespace {

// A colour as the raw 5-6-5 pixel the surfaces hold (system colours resolved first).
uint16_t ColorTo565(TColor color) {
    const TColor c = ColorToRGB(color);
    return RGBToPixel565(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

} // namespace

platform::Font* TDirectDrawSurfaceCanvas::UseFont() {
    holdsContext_ = true;
    // Fonts are opened once per face, size and weight and kept; this is a cache look-up.
    return platform::OpenFont(Font.Name, Font.Size, Font.Bold);
}

void TDirectDrawSurfaceCanvas::TextOut(int x, int y, const std::string& text) {
    platform::Font* font = UseFont();
    if (!surface_.HasPixels() || !font || text.empty()) return;
    if (Brush.Style == bsSolid) {
        // An opaque background: the text cell is filled first.
        const uint16_t back = ColorTo565(Brush.Color);
        // 64-bit edges: a cell far off the surface clips instead of wrapping round.
        const int64_t l = std::max<int64_t>(x, 0), t = std::max<int64_t>(y, 0);
        const int64_t r = std::min<int64_t>(int64_t(x) + platform::TextWidth(font, text), surface_.Width());
        const int64_t b = std::min<int64_t>(int64_t(y) + platform::TextHeight(font), surface_.Height());
        for (int64_t row = t; row < b && l < r; ++row) {
            uint16_t* first = surface_.Pixels() + size_t(row) * size_t(surface_.PitchPixels()) + size_t(l);
            std::fill(first, first + (r - l), back);
        }
    }
    platform::DrawText(font, text, x, y, ColorTo565(Font.Color), surface_.Pixels(), surface_.Width(),
                       surface_.Height(), surface_.PitchPixels());
}

int TDirectDrawSurfaceCanvas::TextWidth(const std::string& text) {
    return platform::TextWidth(UseFont(), text);
}

int TDirectDrawSurfaceCanvas::TextHeight() {
    return platform::TextHeight(UseFont());
}
