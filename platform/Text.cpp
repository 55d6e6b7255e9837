// Text on 16-bit pixel buffers through fontconfig and SDL_ttf.
#include "platform/Text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <map>
#include <memory>
#include <tuple>

namespace platform {

struct Font {
    TTF_Font* Handle = nullptr;
    int Height = 0;
};

namespace {

// The game's font rules, looked for in the data folder of the current directory, then beside the program.
const char* const kRulesName = "Data/Fonts/fonts.conf";

std::string FindRules() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(kRulesName, ec))
        return std::filesystem::absolute(kRulesName, ec).string();
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        exe[n] = 0;
        const auto beside = std::filesystem::path(exe).parent_path() / kRulesName;
        if (std::filesystem::is_regular_file(beside, ec)) return beside.string();
    }
    return {};
}

// One fontconfig configuration for the whole program: the desktop's own, with our rules on top.
struct FontConfig {
    FcConfig* Config = nullptr;
    std::string RulesPath;

    FontConfig() {
        Config = FcInitLoadConfigAndFonts();
        RulesPath = FindRules();
        if (Config && !RulesPath.empty() &&
            !FcConfigParseAndLoad(Config, reinterpret_cast<const FcChar8*>(RulesPath.c_str()), FcTrue))
            RulesPath.clear();
    }
    ~FontConfig() {
        if (Config) FcConfigDestroy(Config);
    }
};

FontConfig& Config() {
    static FontConfig config;
    return config;
}

// Fonts stay open until the program ends; SDL_ttf is started with the first one.
struct FontCache {
    std::map<std::tuple<std::string, bool>, FontFace> Faces;
    std::map<std::tuple<std::string, int, bool>, std::unique_ptr<Font>> Fonts;
    bool Started = false;

    ~FontCache() {
        for (auto& [key, font] : Fonts)
            if (font && font->Handle) TTF_CloseFont(font->Handle);
        Fonts.clear();
        if (Started) TTF_Quit();
    }
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

// Renders the text's coverage (white with alpha); null for an empty text or a failure.
SDL_Surface* RenderCoverage(Font* font, const std::string& text) {
    if (!font || !font->Handle || text.empty()) return nullptr;
    SDL_Surface* s = TTF_RenderText_Blended(font->Handle, text.c_str(), SDL_Color{255, 255, 255, 255});
    if (!s) return nullptr;
    if (s->format->format != SDL_PIXELFORMAT_ARGB8888) {
        SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(s);
        s = c;
    }
    return s;
}

} // namespace

void PrepareFonts() {
    (void)Config();
}

bool ResolveFontFace(const std::string& face, bool bold, FontFace& out) {
    auto& cache = Cache().Faces;
    const auto key = std::make_tuple(face, bold);
    if (auto it = cache.find(key); it != cache.end()) {
        out = it->second;
        return !out.File.empty();
    }
    FontFace found;
    FcConfig* config = Config().Config;
    if (FcPattern* pattern = FcPatternCreate()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
            FcChar8* file = nullptr;
            FcChar8* family = nullptr;
            int index = 0, weight = FC_WEIGHT_REGULAR;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
                found.File = reinterpret_cast<const char*>(file);
                if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) found.Index = index;
                if (FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch)
                    found.Bold = weight >= FC_WEIGHT_DEMIBOLD;
                if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family)
                    found.Family = reinterpret_cast<const char*>(family);
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    cache[key] = found;
    out = found;
    return !found.File.empty();
}

int PointsToPixels(int points) {
    // As the desktop sizes fonts: points x 96 / 72, rounded half away from zero.
    const int64_t n = int64_t(points) * 96;
    return int((n >= 0 ? n + 36 : n - 36) / 72);
}

Font* OpenFont(const std::string& face, int points, bool bold) {
    FontCache& cache = Cache();
    const auto key = std::make_tuple(face, points, bold);
    if (auto it = cache.Fonts.find(key); it != cache.Fonts.end()) return it->second.get();

    std::unique_ptr<Font> font;
    FontFace resolved;
    const int pixels = std::abs(PointsToPixels(points));
    if (pixels > 0 && ResolveFontFace(face, bold, resolved)) {
        if (!cache.Started) cache.Started = TTF_Init() == 0;
        // The em is a whole number of pixels, as on the desktop: open at that many "points" at 72 dpi.
        TTF_Font* handle = cache.Started
                               ? TTF_OpenFontIndexDPI(resolved.File.c_str(), pixels, resolved.Index, 72, 72)
                               : nullptr;
        if (handle) {
            // A face without a bold file of its own is emboldened; no kerning, as the desktop's TextOut.
            TTF_SetFontStyle(handle, bold && !resolved.Bold ? TTF_STYLE_BOLD : TTF_STYLE_NORMAL);
            TTF_SetFontKerning(handle, 0);
            font = std::make_unique<Font>();
            font->Handle = handle;
            font->Height = TTF_FontHeight(handle);
        }
    }
    Font* result = font.get();
    cache.Fonts[key] = std::move(font); // a failure is remembered too: nothing is retried per frame
    return result;
}

int TextWidth(Font* font, const std::string& text) {
    if (!font || !font->Handle || text.empty()) return 0;
    int w = 0, h = 0;
    if (TTF_SizeText(font->Handle, text.c_str(), &w, &h) != 0) return 0;
    return w;
}

int TextHeight(Font* font) {
    return font ? font->Height : 0;
}

void DrawText(Font* font, const std::string& text, int x, int y, uint16_t color, uint16_t* pixels, int width,
              int height, int pitchPixels) {
    if (!pixels || width <= 0 || height <= 0) return;
    SDL_Surface* s = RenderCoverage(font, text);
    if (!s) return;
    if (SDL_LockSurface(s) == 0) {
        // 64-bit: a text placed far off the surface must clip, not wrap round.
        const int64_t x0 = std::max<int64_t>(0, -int64_t(x)), y0 = std::max<int64_t>(0, -int64_t(y));
        const int64_t x1 = std::min<int64_t>(s->w, int64_t(width) - x);
        const int64_t y1 = std::min<int64_t>(s->h, int64_t(height) - y);
        for (int64_t sy = y0; sy < y1; ++sy) {
            const auto* src =
                reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + sy * s->pitch);
            uint16_t* dst = pixels + size_t(y + sy) * size_t(pitchPixels);
            for (int64_t sx = x0; sx < x1; ++sx)
                if ((src[sx] >> 24) >= 128) dst[x + sx] = color;
        }
        SDL_UnlockSurface(s);
    }
    SDL_FreeSurface(s);
}

std::string FontRulesPath() {
    return Config().RulesPath;
}

} // namespace platform
