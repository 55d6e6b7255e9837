// Small value types shared by the whole engine: rectangles, colours, raw pixels.
#pragma once
#include <cstdint>

// A rectangle in surface pixels; Right and Bottom are exclusive.
struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Left >= Right || Top >= Bottom; }
    bool operator==(const TRect&) const = default;
};

// Builds a rectangle from its four edges (Right and Bottom exclusive).
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return TRect{left, top, left + width, top + height};
}

// A colour as $00BBGGRR; $FF0000nn is system colour nn, $1FFFFFFF none, $20000000 default.
using TColor = uint32_t;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Red, green and blue of a plain colour.
inline uint8_t ColorRed(TColor c) {
    return uint8_t(c & 0xFF);
}
inline uint8_t ColorGreen(TColor c) {
    return uint8_t((c >> 8) & 0xFF);
}
inline uint8_t ColorBlue(TColor c) {
    return uint8_t((c >> 16) & 0xFF);
}
inline TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// The one pixel format of every surface the game draws on: 16-bit RGB 5-6-5.
// Each channel keeps its top bits; this is the rule the picture loader and ColorToPixel share.
inline uint16_t RGBToPixel565(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
// Expands a 5-6-5 pixel back to 8-bit channels (top bits replicated into the low ones).
inline void Pixel565ToRGB(uint16_t p, uint8_t& r, uint8_t& g, uint8_t& b) {
    uint8_t r5 = (p >> 11) & 0x1F, g6 = (p >> 5) & 0x3F, b5 = p & 0x1F;
    r = uint8_t((r5 << 3) | (r5 >> 2));
    g = uint8_t((g6 << 2) | (g6 >> 4));
    b = uint8_t((b5 << 3) | (b5 >> 2));
}
