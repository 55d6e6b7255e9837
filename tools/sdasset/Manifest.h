// The asset manifest: one picture or sound per line, fields separated by blanks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Types.h"

namespace sdasset {

// A `picture` line: picture <Name> <image.png> <PatternWidth> <PatternHeight> <SkipWidth>
// <SkipHeight> <TransparentColor> <SystemMemory 0|1> <Transparent 0|1>.
struct PictureEntry {
    std::string Name;
    std::string ImagePath; // resolved against the manifest's folder
    int32_t PatternWidth = 0, PatternHeight = 0, SkipWidth = 0, SkipHeight = 0;
    TColor TransparentColor = 0;
    bool SystemMemory = false, Transparent = true;
    int Line = 0;
};

// Reads the `picture` lines of a manifest (other known kinds are skipped); false and *error
// ("manifest:line: why") on the first bad line or when the file cannot be read.
bool ReadPictureManifest(const std::string& path, std::vector<PictureEntry>& out, std::string* error);

// A colour field: a colour identifier ("clFuchsia"), "$00BBGGRR", "0x00BBGGRR" or a decimal number.
bool ParseColorField(const std::string& text, TColor& out);

// The colour as the manifest and the lister write it: its identifier, else $00BBGGRR.
std::string ColorText(TColor color);

} // namespace sdasset
