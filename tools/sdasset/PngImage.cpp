// The asset tool's pictures as PNG files, through the platform's PNG module.
#include "tools/sdasset/PngImage.h"

#include <cstring>

#include "platform/Png.h"

namespace sdasset {

bool ReadPng(const std::string& path, RgbPicture& out, std::string* error) {
    platform::RgbaImage rgba;
    if (!platform::LoadPngRgba(path, rgba, error)) return false;
    out.Width = rgba.Width;
    out.Height = rgba.Height;
    const size_t n = size_t(out.Width) * size_t(out.Height);
    out.Rgb.resize(n * 3);
    out.Opaque.assign(n, true);
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(&out.Rgb[i * 3], &rgba.Pixels[i * 4], 3);
        out.Opaque[i] = rgba.Pixels[i * 4 + 3] >= 128;
    }
    return true;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& data, bool rgba,
              std::string* error) {
    return platform::SavePngRows(path, width, height, rgba ? 4 : 3, data, -1, error);
}

} // namespace sdasset
