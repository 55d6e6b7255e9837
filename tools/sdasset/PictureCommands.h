// Picture-list commands of the asset tool: pack pictures from a manifest, list, extract, contact sheet.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "engine/PictureCollection.h"
#include "tools/sdasset/Manifest.h"
#include "tools/sdasset/PngImage.h"

namespace sdasset {

// Packs the `picture` lines of a manifest into a picture-list file; 0 on success, else prints why to err.
int PackPictureList(const std::string& manifestPath, const std::string& outPath, std::ostream& err);
// Lists a picture-list file's items to out (name, sizes, pattern count, colour key, flags); 0 on success.
int ListPictureList(const std::string& path, std::ostream& out, std::ostream& err);
// Writes every picture of a picture-list file as OUTDIR/<Name>.png; 0 on success.
int ExtractPictureList(const std::string& path, const std::string& outDir, std::ostream& err);
// Draws every picture and each of its patterns, labelled, into one PNG; 0 on success.
int DrawContactSheet(const std::string& path, const std::string& outPng, std::ostream& err);

// The payload of a picture: 8-bit RLE8 with a colour table when it has at most 256 colours,
// else 24-bit uncompressed. Pixels that are not opaque take the colour Transparent.
std::vector<uint8_t> EncodePicturePayload(const RgbPicture& picture, TColor transparent);
// A picture's pixels as RGB, top row first (3 bytes per pixel); empty for an empty picture.
std::vector<uint8_t> PictureRgb(const TPicture& picture);

} // namespace sdasset
