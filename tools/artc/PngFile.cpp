#include "tools/artc/PngFile.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace artc {

namespace {

// Closes a stdio file on every path.
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool WritePng(const std::string& path, const RgbImage& img, std::string* error) {
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        if (error) *error = "cannot create " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        if (error) *error = "out of memory";
        return false;
    }
    const int channels = img.HasAlpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<size_t>(img.Width) * channels);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        if (error) *error = "cannot write " + path;
        return false;
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, img.Width, img.Height, 8, img.HasAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int y = 0; y < img.Height; ++y) {
        for (int x = 0; x < img.Width; ++x) {
            const uint32_t p = img.Pixels[static_cast<size_t>(y) * img.Width + x];
            png_byte* out = &row[static_cast<size_t>(x) * channels];
            out[0] = static_cast<png_byte>(p >> 16);
            out[1] = static_cast<png_byte>(p >> 8);
            out[2] = static_cast<png_byte>(p);
            if (img.HasAlpha) out[3] = static_cast<png_byte>(p >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fflush(f.get()) != 0) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool ReadPng(const std::string& path, RgbImage& img, std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        if (error) *error = path + ": " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> buf(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buf.data(), 0, nullptr)) {
        if (error) *error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    img.Width = static_cast<int>(image.width);
    img.Height = static_cast<int>(image.height);
    img.Pixels.resize(static_cast<size_t>(img.Width) * img.Height);
    for (size_t i = 0; i < img.Pixels.size(); ++i) {
        const png_byte* p = &buf[4 * i];
        img.Pixels[i] = p[3] < 128 ? KeyColor : (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
    return true;
}

}  // namespace artc
