// PNG reading and writing for the asset tool (8-bit RGB pictures, alpha kept as a flag per pixel).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sdasset {

// An RGB picture, top row first, 3 bytes per pixel; Opaque has one flag per pixel (false where
// the source was more than half transparent).
struct RgbPicture {
    int Width = 0, Height = 0;
    std::vector<uint8_t> Rgb;
    std::vector<bool> Opaque;
};

// Reads any PNG (palette, grey, 16-bit, with or without alpha) as 8-bit RGB; false and *error on failure.
bool ReadPng(const std::string& path, RgbPicture& out, std::string* error);
// Writes an 8-bit RGB PNG (RGBA when Rgba is true and Data has 4 bytes per pixel); false and *error on
// failure.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& data, bool rgba,
              std::string* error);

} // namespace sdasset
