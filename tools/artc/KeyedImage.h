// Pixel buffers of the rasteriser and the colour-key rules that turn anti-aliased art into keyed pictures.
#pragma once
#include <cstdint>
#include <vector>

namespace artc {

// The transparent colour of every keyed picture: magenta, 0xRRGGBB.
constexpr uint32_t KeyColor = 0xFF00FF;

// An 8-bit picture, row by row: pixels are 0xRRGGBB, or 0xAARRGGBB (straight alpha) when HasAlpha.
struct RgbImage {
    int Width = 0, Height = 0;
    bool HasAlpha = false;
    std::vector<uint32_t> Pixels;
};

// How a rendered cell becomes pixels: keyed (threshold to the key colour), laid over a background
// colour, or with true alpha kept (for icons, which are not drawn by the game).
enum class PixelMode { Keyed, Opaque, Alpha };

// True when an art colour would land on the key once the display reduces it to 5-6-5 bits.
bool HitsKeyIn565(uint32_t rgb);

// Moves a colour off the key (green up by one 5-6-5 step) so art never turns transparent by accident.
uint32_t AvoidKey(uint32_t rgb);

// Converts one premultiplied ARGB32 pixel (cairo's layout) to keyed RGB: alpha of at least half gives
// the un-premultiplied colour (kept off the key), less gives the key colour.
uint32_t KeyPixel(uint32_t premultipliedArgb);

// Converts one premultiplied ARGB32 pixel to an opaque colour by laying it over `background`.
uint32_t FlattenPixel(uint32_t premultipliedArgb, uint32_t background);

// Converts one premultiplied ARGB32 pixel to straight (un-premultiplied) 0xAARRGGBB.
uint32_t StraightPixel(uint32_t premultipliedArgb);

// Converts a whole ARGB32 buffer (stride in bytes) by `mode`; `background` is used by Opaque.
RgbImage FromArgb32(const uint8_t* data, int width, int height, int stride, PixelMode mode,
                    uint32_t background);

// Copies `src` onto `dst` at (x, y), skipping the key colour and clipping at the edges. With
// HasAlpha pictures, fully transparent source pixels are skipped instead.
void PasteKeyed(RgbImage& dst, const RgbImage& src, int x, int y);

} // namespace artc
