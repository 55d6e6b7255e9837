// PNG reading and writing through libpng's simplified API.
#include "tools/sdasset/PngImage.h"

#include <png.h>

#include <cstring>

namespace sdasset {

bool ReadPng(const std::string& path, RgbPicture& out, std::string* error) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) {
        if (error) *error = path + ": " + img.message;
        return false;
    }
    img.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, rgba.data(), 0, nullptr)) {
        if (error) *error = path + ": " + img.message;
        png_image_free(&img);
        return false;
    }
    out.Width = int(img.width);
    out.Height = int(img.height);
    size_t n = size_t(out.Width) * size_t(out.Height);
    out.Rgb.resize(n * 3);
    out.Opaque.assign(n, true);
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(&out.Rgb[i * 3], &rgba[i * 4], 3);
        out.Opaque[i] = rgba[i * 4 + 3] >= 128;
    }
    return true;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& data, bool rgba,
              std::string* error) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(width);
    img.height = png_uint_32(height);
    img.format = rgba ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&img, path.c_str(), 0, data.data(), 0, nullptr)) {
        if (error) *error = path + ": " + img.message;
        return false;
    }
    return true;
}

}  // namespace sdasset
