// artc: rasterises SVG art into keyed or opaque PNG pictures and pattern strips for the picture lists.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/artc/PngFile.h"
#include "tools/artc/Quantize.h"
#include "tools/artc/SvgRender.h"

namespace {

// A keyed PNG (or its top-left W x H part) copied onto the finished strip, centred on (X, Y).
struct Paste {
    int X = 0, Y = 0;
    int Width = 0, Height = 0; // 0: the whole picture
    std::string File;
};

// Everything the command line asks for.
struct Request {
    std::string Out;
    std::vector<artc::CellSource> Cells;
    std::string Layers; // cells of the single input, "a+b,c"
    int CellWidth = 0, CellHeight = 0;
    int Columns = 0;
    artc::PixelMode Mode = artc::PixelMode::Keyed;
    uint32_t Background = 0x000000;
    int MaxColors = 255;
    std::vector<Paste> Pastes;
    bool Quiet = false;
};

void Usage() {
    std::cerr
        << "usage: artc -o OUT.png [options] INPUT.svg[#id+id...] ...\n"
           "  --cell WxH           size of one cell (default: the first SVG's own size)\n"
           "  --layers A+B,C,...   one input: one cell per comma item, drawing the '+'-joined element ids\n"
           "  --cols N             cells per row (default: all in one row)\n"
           "  --opaque             no colour key: lay the art over the background colour\n"
           "  --background RRGGBB  background of --opaque (default 000000)\n"
           "  --colors N           at most N colours besides the key (default 255; 0: no limit)\n"
           "  --alpha              keep true alpha (RGBA output, no key, no colour limit): icons\n"
           "  --paste X,Y,FILE.png[,W,H]  copy a keyed PNG (magenta or transparent = hole), or its\n"
           "                       top-left W x H part (the first pattern of a strip), centred on X,Y\n"
           "  --quiet              no summary line\n";
}

bool ParseSize(const std::string& s, int& w, int& h) {
    char x = 0;
    std::istringstream in(s);
    return (in >> w >> x >> h) && x == 'x' && w > 0 && h > 0 && w <= 8192 && h <= 8192 && in.peek() == EOF;
}

bool ParseInt(const std::string& s, int& v, int lo, int hi) {
    char* end = nullptr;
    const long n = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || n < lo || n > hi) return false;
    v = static_cast<int>(n);
    return true;
}

bool ParsePaste(const std::string& s, Paste& p) {
    std::vector<std::string> f;
    std::istringstream in(s);
    std::string item;
    while (std::getline(in, item, ','))
        f.push_back(item);
    if (f.size() != 3 && f.size() != 5) return false;
    p.File = f[2];
    if (f.size() == 5 && !(ParseInt(f[3], p.Width, 1, 8192) && ParseInt(f[4], p.Height, 1, 8192)))
        return false;
    return ParseInt(f[0], p.X, -8192, 8192) && ParseInt(f[1], p.Y, -8192, 8192) && !p.File.empty();
}

// Keeps only the top-left w x h part of a picture (clipped to its size).
void Crop(artc::RgbImage& img, int w, int h) {
    w = std::min(w, img.Width);
    h = std::min(h, img.Height);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[static_cast<size_t>(y) * w + x] = img.Pixels[static_cast<size_t>(y) * img.Width + x];
    img.Width = w;
    img.Height = h;
    img.Pixels.swap(px);
}

// Fills `r` from argv; false (after a message) on a bad command line.
bool ParseArgs(int argc, char** argv, Request& r) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= argc) {
                std::cerr << "artc: " << a << " needs a value\n";
                return false;
            }
            v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "-o") {
            if (!value(r.Out)) return false;
        } else if (a == "--cell") {
            if (!value(v) || !ParseSize(v, r.CellWidth, r.CellHeight))
                return std::cerr << "artc: bad --cell\n", false;
        } else if (a == "--layers") {
            if (!value(r.Layers) || r.Layers.empty()) return false;
        } else if (a == "--cols") {
            if (!value(v) || !ParseInt(v, r.Columns, 1, 1024))
                return std::cerr << "artc: bad --cols\n", false;
        } else if (a == "--opaque") {
            r.Mode = artc::PixelMode::Opaque;
        } else if (a == "--alpha") {
            r.Mode = artc::PixelMode::Alpha;
        } else if (a == "--background") {
            if (!value(v) || v.size() != 6 ||
                v.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                return std::cerr << "artc: bad --background\n", false;
            r.Background = static_cast<uint32_t>(std::strtol(v.c_str(), nullptr, 16));
        } else if (a == "--colors") {
            if (!value(v) || !ParseInt(v, r.MaxColors, 0, 1 << 24))
                return std::cerr << "artc: bad --colors\n", false;
        } else if (a == "--paste") {
            Paste p;
            if (!value(v) || !ParsePaste(v, p))
                return std::cerr << "artc: bad --paste (X,Y,FILE.png)\n", false;
            r.Pastes.push_back(p);
        } else if (a == "--quiet") {
            r.Quiet = true;
        } else if (a == "-h" || a == "--help") {
            Usage();
            std::exit(0);
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "artc: unknown option " << a << "\n";
            return false;
        } else {
            r.Cells.push_back(artc::ParseCellSource(a));
        }
    }
    if (r.Out.empty() || r.Cells.empty()) {
        Usage();
        return false;
    }
    if (r.Mode == artc::PixelMode::Alpha && !r.Pastes.empty()) {
        std::cerr << "artc: --paste works on keyed or opaque pictures only\n";
        return false;
    }
    if (!r.Layers.empty()) {
        if (r.Cells.size() != 1 || !r.Cells[0].Ids.empty()) {
            std::cerr << "artc: --layers takes exactly one input without #ids\n";
            return false;
        }
        const std::string file = r.Cells[0].File;
        r.Cells.clear();
        std::istringstream in(r.Layers);
        std::string item;
        while (std::getline(in, item, ',')) {
            const artc::CellSource cell = artc::ParseCellSource(file + "#" + item);
            if (cell.Ids.empty()) {
                std::cerr << "artc: empty cell in --layers " << r.Layers << "\n";
                return false;
            }
            r.Cells.push_back(cell);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Request r;
    if (!ParseArgs(argc, argv, r)) return 2;
    std::string error;
    if (r.CellWidth == 0 && !artc::SvgSize(r.Cells[0].File, r.CellWidth, r.CellHeight, &error)) {
        std::cerr << "artc: " << error << "\n";
        return 1;
    }
    const int n = static_cast<int>(r.Cells.size());
    const int cols = r.Columns > 0 ? std::min(r.Columns, n) : n;
    const int rows = (n + cols - 1) / cols;

    artc::RgbImage strip;
    strip.Width = cols * r.CellWidth;
    strip.Height = rows * r.CellHeight;
    strip.HasAlpha = r.Mode == artc::PixelMode::Alpha;
    const uint32_t fill = r.Mode == artc::PixelMode::Keyed    ? artc::KeyColor
                          : r.Mode == artc::PixelMode::Opaque ? r.Background
                                                              : 0;
    strip.Pixels.assign(static_cast<size_t>(strip.Width) * strip.Height, fill);
    for (int i = 0; i < n; ++i) {
        artc::RgbImage cell;
        if (!artc::RenderCell(r.Cells[i], r.CellWidth, r.CellHeight, r.Mode, r.Background, cell, &error)) {
            std::cerr << "artc: " << error << "\n";
            return 1;
        }
        artc::PasteKeyed(strip, cell, (i % cols) * r.CellWidth, (i / cols) * r.CellHeight);
    }
    for (const Paste& p : r.Pastes) {
        artc::RgbImage img;
        if (!artc::ReadPng(p.File, img, &error)) {
            std::cerr << "artc: " << error << "\n";
            return 1;
        }
        if (p.Width > 0) Crop(img, p.Width, p.Height);
        artc::PasteKeyed(strip, img, p.X - img.Width / 2, p.Y - img.Height / 2);
    }
    const int colors = strip.HasAlpha ? artc::CountColors(strip) : artc::QuantizeColors(strip, r.MaxColors);
    if (!artc::WritePng(r.Out, strip, &error)) {
        std::cerr << "artc: " << error << "\n";
        std::remove(r.Out.c_str());
        return 1;
    }
    if (!r.Quiet)
        std::cout << "artc: " << r.Out << " " << strip.Width << "x" << strip.Height << ", " << n
                  << " cell(s) of " << r.CellWidth << "x" << r.CellHeight << ", " << colors << " colours\n";
    return 0;
}
