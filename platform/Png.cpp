#include "platform/Png.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace platform {
namespace {

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// 5-6-5 <-> 8-bit channels, the same rule the engine uses for its surfaces.
void Pixel565ToRGB(uint16_t p, uint8_t& r, uint8_t& g, uint8_t& b) {
    uint8_t r5 = (p >> 11) & 0x1F, g6 = (p >> 5) & 0x3F, b5 = p & 0x1F;
    r = uint8_t((r5 << 3) | (r5 >> 2));
    g = uint8_t((g6 << 2) | (g6 >> 4));
    b = uint8_t((b5 << 3) | (b5 >> 2));
}
uint16_t RGBToPixel565(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

} // namespace

bool SavePng565(const std::string& path, const uint16_t* pixels, int width, int height, int pitchPixels) {
    if (width <= 0 || height <= 0 || !pixels) return false;
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* d = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            Pixel565ToRGB(pixels[size_t(y) * size_t(pitchPixels) + size_t(x)], d[0], d[1], d[2]);
        }
    return SavePngRows(path, width, height, 3, rgb, -1);
}

bool SavePngRgba(const std::string& path, const RgbaImage& image) {
    if (image.Width <= 0 || image.Height <= 0) return false;
    if (image.Pixels.size() != size_t(image.Width) * size_t(image.Height) * 4) return false;
    return SavePngRows(path, image.Width, image.Height, 4, image.Pixels, -1);
}

bool SavePngRows(const std::string& path, int width, int height, int channels,
                 const std::vector<uint8_t>& rows, int compressionLevel, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
        rows.size() != size_t(width) * size_t(height) * size_t(channels))
        return fail("cannot write " + path + ": the picture has no pixels or the wrong size");
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) return fail("cannot create " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return fail("cannot write " + path + ": out of memory");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return fail("cannot write " + path);
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (compressionLevel >= 0) png_set_compression_level(png, compressionLevel);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(&rows[size_t(y) * size_t(width) * size_t(channels)]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(f.get()) != 0) return fail("cannot write " + path);
    return true;
}

bool LoadPngRgba(const std::string& path, RgbaImage& out, std::string* error) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) {
        if (error) *error = path + ": " + img.message;
        return false;
    }
    img.format = PNG_FORMAT_RGBA;
    out.Width = int(img.width);
    out.Height = int(img.height);
    out.Pixels.assign(PNG_IMAGE_SIZE(img), 0);
    if (!png_image_finish_read(&img, nullptr, out.Pixels.data(), 0, nullptr)) {
        if (error) *error = path + ": " + img.message;
        png_image_free(&img);
        return false;
    }
    return true;
}

bool LoadPng565(const std::string& path, std::vector<uint16_t>& pixels, int& width, int& height) {
    RgbaImage img;
    if (!LoadPngRgba(path, img)) return false;
    width = img.Width;
    height = img.Height;
    pixels.resize(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = RGBToPixel565(img.Pixels[i * 4], img.Pixels[i * 4 + 1], img.Pixels[i * 4 + 2]);
    return true;
}

} // namespace platform
