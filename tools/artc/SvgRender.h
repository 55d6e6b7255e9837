// Rendering SVG documents, or chosen elements of them, into anti-aliased cells through librsvg and cairo.
#pragma once
#include <string>
#include <vector>

#include "tools/artc/KeyedImage.h"

namespace artc {

// One cell of a strip: an SVG file and the ids of the elements to draw in order (none: the whole document).
struct CellSource {
    std::string File;
    std::vector<std::string> Ids;
};

// Parses "file.svg" or "file.svg#id1+id2" into a cell source.
CellSource ParseCellSource(const std::string& text);

// Reads the intrinsic pixel size of an SVG file (96 dpi); false (and *error) when it has none or fails.
bool SvgSize(const std::string& file, int& width, int& height, std::string* error);

// Renders a cell source into a width x height cell, scaled to fit, then converts it by `mode`
// (see FromArgb32). False (and *error) when the file or an element is missing.
bool RenderCell(const CellSource& src, int width, int height, PixelMode mode, uint32_t background,
                RgbImage& out, std::string* error);

} // namespace artc
