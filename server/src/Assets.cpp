#include "Assets.h"

#include "Html.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef SPRAYDASH_SCORES_ASSETS
#define SPRAYDASH_SCORES_ASSETS "/usr/share/spraydash-scores"
#endif

namespace {
std::string TypeOf(const std::string& ext) {
    if (ext == ".css") return "text/css; charset=utf-8";
    if (ext == ".png") return "image/png";
    if (ext == ".ttf") return "font/ttf";
    if (ext == ".svg") return "image/svg+xml";
    return {};
}
} // namespace

TAssets LoadAssets(const std::string& dir) {
    TAssets assets;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (!entry.is_regular_file()) continue;
        std::string type = TypeOf(entry.path().extension().string());
        if (type.empty()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        auto body = std::make_shared<std::string>(std::istreambuf_iterator<char>(in),
                                                  std::istreambuf_iterator<char>());
        assets[entry.path().filename().string()] = {body, type, EntityTag(*body)};
    }
    return assets;
}

std::string DefaultAssetDir() {
    return SPRAYDASH_SCORES_ASSETS;
}
