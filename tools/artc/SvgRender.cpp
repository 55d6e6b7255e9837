#include "tools/artc/SvgRender.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <cmath>
#include <memory>

namespace artc {

namespace {

// Owns a GObject reference.
struct HandleUnref {
    void operator()(RsvgHandle* h) const { g_object_unref(h); }
};
using HandlePtr = std::unique_ptr<RsvgHandle, HandleUnref>;

// Opens an SVG file at 96 dpi; null (and *error) on failure.
HandlePtr OpenSvg(const std::string& file, std::string* error) {
    GError* err = nullptr;
    RsvgHandle* h = rsvg_handle_new_from_file(file.c_str(), &err);
    if (!h) {
        if (error) *error = file + ": " + (err ? err->message : "cannot read");
        if (err) g_error_free(err);
        return nullptr;
    }
    rsvg_handle_set_dpi(h, 96.0);
    return HandlePtr(h);
}

} // namespace

CellSource ParseCellSource(const std::string& text) {
    CellSource src;
    const size_t hash = text.find('#');
    src.File = text.substr(0, hash);
    if (hash == std::string::npos) return src;
    std::string rest = text.substr(hash + 1);
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t plus = rest.find('+', start);
        const std::string id =
            rest.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (!id.empty()) src.Ids.push_back(id);
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    return src;
}

bool SvgSize(const std::string& file, int& width, int& height, std::string* error) {
    HandlePtr h = OpenSvg(file, error);
    if (!h) return false;
    double w = 0, hgt = 0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(h.get(), &w, &hgt) || w < 1 || hgt < 1) {
        if (error) *error = file + ": no width and height; give --cell WxH";
        return false;
    }
    width = static_cast<int>(std::lround(w));
    height = static_cast<int>(std::lround(hgt));
    return true;
}

bool RenderCell(const CellSource& src, int width, int height, PixelMode mode, uint32_t background,
                RgbImage& out, std::string* error) {
    HandlePtr h = OpenSvg(src.File, error);
    if (!h) return false;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
    bool ok = true;
    GError* err = nullptr;
    if (src.Ids.empty()) {
        ok = rsvg_handle_render_document(h.get(), cr, &viewport, &err);
    } else {
        for (const std::string& id : src.Ids) {
            const std::string ref = "#" + id;
            if (!rsvg_handle_has_sub(h.get(), ref.c_str())) {
                if (error) *error = src.File + ": no element with id '" + id + "'";
                ok = false;
                break;
            }
            if (!rsvg_handle_render_layer(h.get(), cr, ref.c_str(), &viewport, &err)) {
                ok = false;
                break;
            }
        }
    }
    if (!ok && err && error) *error = src.File + ": " + err->message;
    if (err) g_error_free(err);
    if (ok && cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        if (error) *error = src.File + ": " + cairo_status_to_string(cairo_status(cr));
        ok = false;
    }
    if (ok) {
        cairo_surface_flush(surface);
        out = FromArgb32(cairo_image_surface_get_data(surface), width, height,
                         cairo_image_surface_get_stride(surface), mode, background);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return ok;
}

} // namespace artc
