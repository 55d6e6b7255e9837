// Reading and writing the rasteriser's RGB pictures as PNG files (byte-identical output for identical
// pictures).
#pragma once
#include <string>

#include "tools/artc/KeyedImage.h"

namespace artc {

// Writes an 8-bit RGB PNG (RGBA when img.HasAlpha) with no time or text chunks; false (and *error) on
// failure.
bool WritePng(const std::string& path, const RgbImage& img, std::string* error);

// Reads any PNG as keyed RGB: pixels with alpha below half become the key colour. False (and *error) on
// failure.
bool ReadPng(const std::string& path, RgbImage& img, std::string* error);

} // namespace artc
