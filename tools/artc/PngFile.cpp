#include "tools/artc/PngFile.h"

#include <vector>

#include "platform/Png.h"

namespace artc {

bool WritePng(const std::string& path, const RgbImage& img, std::string* error) {
    const int channels = img.HasAlpha ? 4 : 3;
    std::vector<uint8_t> rows(static_cast<size_t>(img.Width) * img.Height * channels);
    for (size_t i = 0; i < img.Pixels.size(); ++i) {
        const uint32_t p = img.Pixels[i];
        uint8_t* out = &rows[i * channels];
        out[0] = static_cast<uint8_t>(p >> 16);
        out[1] = static_cast<uint8_t>(p >> 8);
        out[2] = static_cast<uint8_t>(p);
        if (img.HasAlpha) out[3] = static_cast<uint8_t>(p >> 24);
    }
    // The smallest files: the data build keeps them and they never change.
    return platform::SavePngRows(path, img.Width, img.Height, channels, rows, 9, error);
}

bool ReadPng(const std::string& path, RgbImage& img, std::string* error) {
    platform::RgbaImage rgba;
    if (!platform::LoadPngRgba(path, rgba, error)) return false;
    img.Width = rgba.Width;
    img.Height = rgba.Height;
    img.Pixels.resize(static_cast<size_t>(img.Width) * img.Height);
    for (size_t i = 0; i < img.Pixels.size(); ++i) {
        const uint8_t* p = &rgba.Pixels[4 * i];
        img.Pixels[i] = p[3] < 128 ? KeyColor : (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
    return true;
}

} // namespace artc
