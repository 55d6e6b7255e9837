// The program's one PNG module: 16-bit 5-6-5 pixel buffers for screenshots and golden images, and
// 8-bit RGB / RGBA pictures for the data tools (rasteriser, asset tool).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Writes width x height 5-6-5 pixels (pitch in pixels) as an 8-bit RGB PNG; false on failure.
bool SavePng565(const std::string& path, const uint16_t* pixels, int width, int height, int pitchPixels);

// A decoded PNG as 8-bit RGBA rows.
struct RgbaImage {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Pixels; // Width * Height * 4 bytes, RGBA
};

// Reads any PNG into RGBA; false (and Error set) when the file is missing or damaged.
bool LoadPngRgba(const std::string& path, RgbaImage& out, std::string* error = nullptr);
// Writes an RGBA image as PNG (with alpha); false on failure.
bool SavePngRgba(const std::string& path, const RgbaImage& image);

// Writes 8-bit rows, top row first, Channels bytes a pixel (3: RGB, 4: RGBA), with no time or
// text chunks, so the same picture always gives the same bytes. CompressionLevel is 0..9, or -1
// for the library's default. False and *error ("cannot create <path>", "cannot write <path>")
// on failure.
bool SavePngRows(const std::string& path, int width, int height, int channels,
                 const std::vector<uint8_t>& rows, int compressionLevel, std::string* error = nullptr);

// Reads a PNG into 5-6-5 pixels (alpha ignored); false when it cannot be read.
bool LoadPng565(const std::string& path, std::vector<uint16_t>& pixels, int& width, int& height);

} // namespace platform
