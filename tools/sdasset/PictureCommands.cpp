// Picture-list commands of the asset tool.
#include "tools/sdasset/PictureCommands.h"

#include <cairo.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unordered_map>

#include "engine/Errors.h"

namespace sdasset {

namespace {

// Writes bytes to Path through a temporary file, so a failed pack never leaves half a file.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            if (error) *error = tmp + ": cannot write";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        if (error) *error = path + ": " + ec.message();
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

// A name as a file name: path separators and control characters become '_'.
std::string SafeFileName(const std::string& name) {
    std::string s = name.empty() ? "_" : name;
    for (char& c : s)
        if (c == '/' || c == '\\' || uint8_t(c) < 32) c = '_';
    if (s == "." || s == "..") s = "_";
    return s;
}

bool LoadList(const std::string& path, TPictureCollection& list, std::ostream& err) {
    try {
        list.LoadListFile(path);
        return true;
    } catch (const EGameError& e) {
        err << path << ": " << e.what() << "\n";
        return false;
    }
}

} // namespace

std::vector<uint8_t> EncodePicturePayload(const RgbPicture& pic, TColor transparent) {
    const size_t n = size_t(pic.Width) * size_t(pic.Height);
    std::vector<uint8_t> rgb = pic.Rgb;
    const TColor key = ColorToRGB(transparent);
    for (size_t i = 0; i < n; ++i)
        if (i < pic.Opaque.size() && !pic.Opaque[i]) {
            rgb[i * 3] = ColorRed(key);
            rgb[i * 3 + 1] = ColorGreen(key);
            rgb[i * 3 + 2] = ColorBlue(key);
        }
    std::unordered_map<uint32_t, uint8_t> index;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices(n);
    for (size_t i = 0; i < n; ++i) {
        TColor c = RGBColor(rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]);
        auto it = index.find(c);
        if (it == index.end()) {
            if (palette.size() == 256) {
                palette.clear();
                break;
            }
            it = index.emplace(c, uint8_t(palette.size())).first;
            palette.push_back(c);
        }
        indices[i] = it->second;
    }
    if (!palette.empty() || n == 0)
        return MakeDIBPayload(n == 0 ? std::vector<uint8_t>{}
                                     : EncodeDIB8RLE(pic.Width, pic.Height, indices, palette));
    return MakeDIBPayload(EncodeDIB24(pic.Width, pic.Height, rgb));
}

std::vector<uint8_t> PictureRgb(const TPicture& picture) {
    const TGraphic* g = picture.Graphic();
    if (!g || g->Empty()) return {};
    std::vector<uint8_t> rgb(size_t(g->Width()) * size_t(g->Height()) * 3);
    size_t i = 0;
    for (int y = 0; y < g->Height(); ++y)
        for (int x = 0; x < g->Width(); ++x) {
            uint32_t c = g->PixelColor(x, y);
            rgb[i++] = uint8_t(c);
            rgb[i++] = uint8_t(c >> 8);
            rgb[i++] = uint8_t(c >> 16);
        }
    return rgb;
}

int PackPictureList(const std::string& manifestPath, const std::string& outPath, std::ostream& err) {
    std::vector<PictureEntry> entries;
    std::string why;
    if (!ReadPictureManifest(manifestPath, entries, &why)) {
        err << why << "\n";
        return 1;
    }
    TPictureCollection list;
    for (const PictureEntry& e : entries) {
        RgbPicture pic;
        if (!ReadPng(e.ImagePath, pic, &why)) {
            err << manifestPath << ":" << e.Line << ": " << why << "\n";
            return 1;
        }
        const int cellW = e.PatternWidth > 0 ? e.PatternWidth : pic.Width;
        const int cellH = e.PatternHeight > 0 ? e.PatternHeight : pic.Height;
        if (cellW > pic.Width || cellH > pic.Height) {
            err << manifestPath << ":" << e.Line << ": the pattern " << cellW << "x" << cellH
                << " is larger than the picture " << pic.Width << "x" << pic.Height << "\n";
            return 1;
        }
        TPictureCollectionItem& item = list.Add();
        item.SetName(e.Name);
        item.PatternWidth = e.PatternWidth;
        item.PatternHeight = e.PatternHeight;
        item.SkipWidth = e.SkipWidth;
        item.SkipHeight = e.SkipHeight;
        item.SystemMemory = e.SystemMemory;
        item.Transparent = e.Transparent;
        item.SetTransparentColor(e.TransparentColor);
        std::vector<uint8_t> payload = EncodePicturePayload(pic, e.TransparentColor);
        TByteReader r(payload);
        item.Picture().ReadData(r);
    }
    if (!WriteFileAtomically(outPath, list.SaveListStream(), &why)) {
        err << why << "\n";
        return 1;
    }
    return 0;
}

int ListPictureList(const std::string& path, std::ostream& out, std::ostream& err) {
    TPictureCollection list;
    if (!LoadList(path, list, err)) return 1;
    out << path << ": " << list.Count() << (list.Count() == 1 ? " picture\n" : " pictures\n");
    for (int i = 0; i < list.Count(); ++i) {
        const TPictureCollectionItem& it = *list.Items(i);
        const TGraphic* g = it.Picture().Graphic();
        out << it.Name() << "  picture " << it.Picture().Width() << "x" << it.Picture().Height();
        if (g && g->ClassName() != "TDIB") out << " (" << g->ClassName() << ")";
        if (!g) out << " (empty)";
        out << "  pattern " << it.FrameWidth() << "x" << it.FrameHeight() << "  patterns "
            << it.NumPatterns();
        if (it.SkipWidth || it.SkipHeight) out << "  skip " << it.SkipWidth << "x" << it.SkipHeight;
        out << "  key " << ColorText(it.TransparentColor());
        out << "  flags " << (it.Transparent ? "transparent" : "opaque");
        if (it.SystemMemory) out << ",systemmemory";
        out << "\n";
    }
    return 0;
}

int ExtractPictureList(const std::string& path, const std::string& outDir, std::ostream& err) {
    TPictureCollection list;
    if (!LoadList(path, list, err)) return 1;
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        err << outDir << ": " << ec.message() << "\n";
        return 1;
    }
    for (int i = 0; i < list.Count(); ++i) {
        const TPictureCollectionItem& it = *list.Items(i);
        std::vector<uint8_t> rgb = PictureRgb(it.Picture());
        if (rgb.empty()) {
            err << it.Name() << ": empty picture, skipped\n";
            continue;
        }
        std::string why;
        const std::string file =
            (std::filesystem::path(outDir) / (SafeFileName(it.Name()) + ".png")).string();
        if (!WritePng(file, it.Picture().Width(), it.Picture().Height(), rgb, false, &why)) {
            err << why << "\n";
            return 1;
        }
    }
    return 0;
}

int DrawContactSheet(const std::string& path, const std::string& outPng, std::ostream& err) {
    TPictureCollection list;
    if (!LoadList(path, list, err)) return 1;
    const int margin = 10, gap = 6, label = 18;
    // Pass 1: lay out (each item: a label line, the whole picture, then its patterns wrapped).
    int sheetW = 800;
    for (int i = 0; i < list.Count(); ++i)
        sheetW = std::max(sheetW, list.Items(i)->Picture().Width() + 2 * margin);
    sheetW = std::min(sheetW, 4096);
    struct Placed {
        int Item, Pattern, X, Y;
        TRect Src;
    };
    std::vector<Placed> placed;
    std::vector<std::pair<int, int>> labels; // item, y
    int y = margin;
    for (int i = 0; i < list.Count(); ++i) {
        const TPictureCollectionItem& it = *list.Items(i);
        labels.push_back({i, y});
        y += label;
        const int W = it.Picture().Width(), H = it.Picture().Height();
        if (W <= 0 || H <= 0) {
            y += gap;
            continue;
        }
        placed.push_back({i, -1, margin, y, TRect{0, 0, W, H}});
        y += H + gap;
        // Patterns as the game cuts them (system-memory layout: cells on the whole picture).
        const int FW = it.FrameWidth(), FH = it.FrameHeight();
        const int64_t X = int64_t(FW) + it.SkipWidth, Y = int64_t(FH) + it.SkipHeight;
        // A whole-picture item, or a layout with absurdly many cells, shows the picture only.
        if ((FW == W && FH == H) || X <= 0 || Y <= 0 ||
            ((W + it.SkipWidth) / X) * ((H + it.SkipHeight) / Y) > 20000) {
            y += gap;
            continue;
        }
        int x = margin, rowH = 0;
        int n = 0;
        for (int64_t r = 0; r < (H + it.SkipHeight) / Y; ++r)
            for (int64_t c = 0; c < (W + it.SkipWidth) / X; ++c, ++n) {
                if (x + FW > sheetW - margin && x > margin) {
                    x = margin;
                    y += rowH + gap;
                    rowH = 0;
                }
                placed.push_back({i, n, x, y, Bounds(int32_t(c * X), int32_t(r * Y), FW, FH)});
                x += FW + gap;
                rowH = std::max(rowH, FH + 12);
            }
        y += rowH + 2 * gap;
    }
    const int sheetH = std::min(std::max(y + margin, 100), 32000);

    cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, sheetW, sheetH);
    if (cairo_surface_status(surf) != CAIRO_STATUS_SUCCESS) {
        err << outPng << ": the sheet is too large to draw\n";
        cairo_surface_destroy(surf);
        return 1;
    }
    cairo_t* cr = cairo_create(surf);
    cairo_set_source_rgb(cr, 0.22, 0.22, 0.25);
    cairo_paint(cr);
    cairo_surface_flush(surf);
    uint8_t* data = cairo_image_surface_get_data(surf);
    const int stride = cairo_image_surface_get_stride(surf);
    for (const Placed& p : placed) {
        const TPictureCollectionItem& it = *list.Items(p.Item);
        const TGraphic* g = it.Picture().Graphic();
        const TColor key = ColorToRGB(it.TransparentColor());
        for (int yy = 0; yy < p.Src.Height(); ++yy)
            for (int xx = 0; xx < p.Src.Width(); ++xx) {
                int dx = p.X + xx, dy = p.Y + yy;
                if (dx < 0 || dy < 0 || dx >= sheetW || dy >= sheetH) continue;
                uint32_t c = g->PixelColor(p.Src.Left + xx, p.Src.Top + yy);
                // Keyed-out pixels show as a checkerboard so reviewers see the silhouette.
                if (it.Transparent && c == key) c = ((dx / 4 + dy / 4) & 1) ? 0x999999 : 0x666666;
                uint32_t* px = reinterpret_cast<uint32_t*>(data + size_t(dy) * size_t(stride)) + dx;
                *px = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
            }
    }
    cairo_surface_mark_dirty(surf);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 12);
    cairo_set_source_rgb(cr, 1, 1, 0.8);
    for (auto [i, ly] : labels) {
        const TPictureCollectionItem& it = *list.Items(i);
        std::string text = it.Name() + "   " + std::to_string(it.Picture().Width()) + "x" +
                           std::to_string(it.Picture().Height()) + "   cell " +
                           std::to_string(it.FrameWidth()) + "x" + std::to_string(it.FrameHeight()) + "   " +
                           std::to_string(it.NumPatterns()) + " patterns   key " +
                           ColorText(it.TransparentColor());
        cairo_move_to(cr, margin, ly + 13);
        cairo_show_text(cr, text.c_str());
    }
    cairo_set_font_size(cr, 9);
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    for (const Placed& p : placed)
        if (p.Pattern >= 0) {
            cairo_move_to(cr, p.X, p.Y + p.Src.Height() + 9);
            cairo_show_text(cr, std::to_string(p.Pattern).c_str());
        }
    cairo_destroy(cr);
    cairo_status_t st = cairo_surface_write_to_png(surf, outPng.c_str());
    cairo_surface_destroy(surf);
    if (st != CAIRO_STATUS_SUCCESS) {
        err << outPng << ": " << cairo_status_to_string(st) << "\n";
        return 1;
    }
    return 0;
}

} // namespace sdasset
