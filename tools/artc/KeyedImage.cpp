#include "tools/artc/KeyedImage.h"

#include <cstring>

namespace artc {

bool HitsKeyIn565(uint32_t rgb) {
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (r >> 3) == (KeyColor >> 19) && (g >> 2) == ((KeyColor >> 10) & 0x3F) &&
           (b >> 3) == ((KeyColor & 0xFF) >> 3);
}

uint32_t AvoidKey(uint32_t rgb) {
    if (!HitsKeyIn565(rgb)) return rgb;
    // Green 4 is the first value that survives as a non-zero 5-6-5 green.
    return (rgb & 0xFF00FF) | (4u << 8);
}

namespace {

// Undoes cairo's premultiplication of one channel, rounding to nearest.
uint32_t Unpremultiply(uint32_t c, uint32_t a) {
    const uint32_t v = (c * 255 + a / 2) / a;
    return v > 255 ? 255 : v;
}

} // namespace

uint32_t KeyPixel(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a < 128) return KeyColor;
    const uint32_t r = Unpremultiply((argb >> 16) & 0xFF, a);
    const uint32_t g = Unpremultiply((argb >> 8) & 0xFF, a);
    const uint32_t b = Unpremultiply(argb & 0xFF, a);
    return AvoidKey((r << 16) | (g << 8) | b);
}

uint32_t FlattenPixel(uint32_t argb, uint32_t background) {
    const uint32_t a = argb >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        // Premultiplied: result = src + bg * (1 - alpha).
        const uint32_t src = (argb >> shift) & 0xFF;
        const uint32_t bg = (background >> shift) & 0xFF;
        uint32_t v = src + (bg * (255 - a) + 127) / 255;
        if (v > 255) v = 255;
        out |= v << shift;
    }
    return AvoidKey(out);
}

uint32_t StraightPixel(uint32_t argb) {
    const uint32_t a = argb >> 24;
    if (a == 0) return 0;
    return (a << 24) | (Unpremultiply((argb >> 16) & 0xFF, a) << 16) |
           (Unpremultiply((argb >> 8) & 0xFF, a) << 8) | Unpremultiply(argb & 0xFF, a);
}

RgbImage FromArgb32(const uint8_t* data, int width, int height, int stride, PixelMode mode,
                    uint32_t background) {
    RgbImage img;
    img.Width = width;
    img.Height = height;
    img.HasAlpha = mode == PixelMode::Alpha;
    img.Pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            uint32_t argb;
            std::memcpy(&argb, row + 4 * x, 4); // native-endian 32-bit words, as cairo stores them
            uint32_t& out = img.Pixels[static_cast<size_t>(y) * width + x];
            switch (mode) {
            case PixelMode::Keyed:
                out = KeyPixel(argb);
                break;
            case PixelMode::Opaque:
                out = FlattenPixel(argb, background);
                break;
            case PixelMode::Alpha:
                out = StraightPixel(argb);
                break;
            }
        }
    }
    return img;
}

void PasteKeyed(RgbImage& dst, const RgbImage& src, int x, int y) {
    for (int sy = 0; sy < src.Height; ++sy) {
        const int dy = y + sy;
        if (dy < 0 || dy >= dst.Height) continue;
        for (int sx = 0; sx < src.Width; ++sx) {
            const int dx = x + sx;
            if (dx < 0 || dx >= dst.Width) continue;
            const uint32_t p = src.Pixels[static_cast<size_t>(sy) * src.Width + sx];
            const bool hole = src.HasAlpha ? (p >> 24) == 0 : p == KeyColor;
            if (!hole) dst.Pixels[static_cast<size_t>(dy) * dst.Width + dx] = p;
        }
    }
}

} // namespace artc
