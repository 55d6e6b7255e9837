// The pages' files (style sheet, pictures, fonts), read once at start and served from memory.
#pragma once
#include <map>
#include <memory>
#include <string>

struct TAsset {
    std::shared_ptr<const std::string> Body;
    std::string ContentType;
    std::string ETag;
};

// File name (no folders) -> asset.
using TAssets = std::map<std::string, TAsset>;

// Reads every regular file of dir with a known type; an unreadable folder gives an empty set.
TAssets LoadAssets(const std::string& dir);
// The folder the program was built or installed with.
std::string DefaultAssetDir();
