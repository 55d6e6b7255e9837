// Sprites per second of the engine's copy loops onto the 800 x 600 back surface: colour-keyed
// 64 x 64 rectangle copies and colour-keyed 64 x 64 rotated copies, each measured next to SDL doing
// the same work in the same run (SDL_BlitSurface with a colour key; SDL_RenderCopyEx on a software
// renderer drawing into a 16-bit surface).
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "engine/Surface.h"
#include "engine/Types.h"

namespace {

constexpr int kSize = 64;
constexpr uint16_t kKey = 0xF81F;

// A disc on the key colour with a two-tone fill: about a fifth of the pixels are transparent.
uint16_t DiscPixel(int x, int y) {
    const double dx = x + 0.5 - kSize / 2.0, dy = y + 0.5 - kSize / 2.0;
    if (dx * dx + dy * dy > (kSize / 2.0) * (kSize / 2.0)) return kKey;
    return (x / 8 + y / 8) % 2 ? RGBToPixel565(230, 57, 70) : RGBToPixel565(255, 210, 63);
}

// Fixed pseudo-random positions, partly off the edges so clipping is part of the work.
struct Placement {
    int X, Y, Angle;
};
std::vector<Placement> Placements(int n) {
    std::vector<Placement> out;
    uint32_t s = 12345;
    auto next = [&s] { return s = s * 1103515245u + 12345u, int((s >> 8) & 0xFFFF); };
    for (int i = 0; i < n; ++i)
        out.push_back({next() % 864 - 32, next() % 664 - 32, next() % 256});
    return out;
}

// Runs Draw for every placement until at least MinSeconds passed; returns sprites per second.
template <class F> double SpritesPerSecond(const std::vector<Placement>& places, double minSeconds, F draw) {
    long long count = 0;
    const double start = bench::Now();
    double now = start;
    do {
        for (const Placement& p : places)
            draw(p);
        count += static_cast<long long>(places.size());
        now = bench::Now();
    } while (now - start < minSeconds);
    return double(count) / (now - start);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    const std::vector<Placement> places = Placements(4096);

    // Ours: the engine's surfaces.
    TDirectDrawSurface back, sprite;
    back.SetSize(800, 600);
    sprite.SetSize(kSize, kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            sprite.PixelAt(x, y) = DiscPixel(x, y);
    sprite.SetColorKey(kKey);
    const TRect whole{0, 0, kSize, kSize};

    // SDL's: the same pixels in 16-bit 5-6-5 SDL surfaces.
    if (SDL_Init(0) != 0) {
        std::fprintf(stderr, "blit: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface* sdlBack = SDL_CreateRGBSurfaceWithFormat(0, 800, 600, 16, SDL_PIXELFORMAT_RGB565);
    SDL_Surface* sdlSprite = SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 16, SDL_PIXELFORMAT_RGB565);
    if (!sdlBack || !sdlSprite) {
        std::fprintf(stderr, "blit: %s\n", SDL_GetError());
        return 1;
    }
    SDL_LockSurface(sdlSprite);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(sdlSprite->pixels) + y * sdlSprite->pitch)[x] =
                DiscPixel(x, y);
    SDL_UnlockSurface(sdlSprite);
    SDL_SetColorKey(sdlSprite, SDL_TRUE, kKey);

    const double oursKeyed = SpritesPerSecond(
        places, seconds, [&](const Placement& p) { back.BlitRect(p.X, p.Y, whole, &sprite, true); });
    const double sdlKeyed = SpritesPerSecond(places, seconds, [&](const Placement& p) {
        SDL_Rect d{p.X, p.Y, kSize, kSize};
        SDL_BlitSurface(sdlSprite, nullptr, sdlBack, &d);
    });

    const double oursRotated = SpritesPerSecond(places, seconds, [&](const Placement& p) {
        back.BlitRotated(p.X + kSize / 2, p.Y + kSize / 2, kSize, kSize, whole, &sprite, 0.5, 0.5, true,
                         p.Angle);
    });
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(sdlBack);
    SDL_Texture* texture = renderer ? SDL_CreateTextureFromSurface(renderer, sdlSprite) : nullptr;
    double sdlRotated = 0;
    if (texture) {
        sdlRotated = SpritesPerSecond(places, seconds, [&](const Placement& p) {
            SDL_Rect d{p.X, p.Y, kSize, kSize};
            // Angles in 1/256 turns become degrees, clockwise as ours.
            SDL_RenderCopyEx(renderer, texture, nullptr, &d, p.Angle * 360.0 / 256.0, nullptr, SDL_FLIP_NONE);
        });
    } else {
        std::fprintf(stderr, "blit: no software renderer: %s\n", SDL_GetError());
    }

    bench::Row("keyed 64x64 blit, ours", oursKeyed, "sprites/s");
    bench::Row("keyed 64x64 blit, SDL_BlitSurface", sdlKeyed, "sprites/s");
    bench::Row("keyed 64x64 blit, ours / SDL", oursKeyed / sdlKeyed, "ratio", ">= 1");
    bench::Row("keyed 64x64 rotated, ours", oursRotated, "sprites/s");
    if (sdlRotated > 0) {
        bench::Row("keyed 64x64 rotated, SDL_RenderCopyEx (soft)", sdlRotated, "sprites/s");
        bench::Row("keyed 64x64 rotated, ours / SDL", oursRotated / sdlRotated, "ratio", ">= 1");
    }

    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(sdlSprite);
    SDL_FreeSurface(sdlBack);
    SDL_Quit();
    return 0;
}
