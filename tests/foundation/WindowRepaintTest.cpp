// The real SDL window on SDL's offscreen video driver: when the window system reports the window
// uncovered, the last frame is shown again without a new frame from the game; and an enlarged
// window shows the picture exactly as SDL's own sharp-then-smooth copies make it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace {

// The SDL window the game's window opened (found by its caption).
SDL_Window* FindWindow(const std::string& caption) {
    for (Uint32 id = 1; id < 256; ++id)
        if (SDL_Window* w = SDL_GetWindowFromID(id))
            if (caption == SDL_GetWindowTitle(w)) return w;
    return nullptr;
}

// The colour at (x, y) of what the window shows, as 0xRRGGBB.
uint32_t ShownPixel(SDL_Window* w, int x, int y) {
    SDL_Surface* s = SDL_GetWindowSurface(w);
    if (!s || !s->pixels) return 0xDEAD;
    const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
    uint32_t raw = 0;
    std::memcpy(&raw, row + x * s->format->BytesPerPixel, s->format->BytesPerPixel);
    Uint8 r, g, b;
    SDL_GetRGB(raw, s->format, &r, &g, &b);
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}

struct OffscreenDriver {
    std::string previous;
    bool had = false;
    OffscreenDriver() {
        if (const char* v = std::getenv("SDL_VIDEODRIVER")) had = true, previous = v;
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    ~OffscreenDriver() {
        if (had)
            setenv("SDL_VIDEODRIVER", previous.c_str(), 1);
        else
            unsetenv("SDL_VIDEODRIVER");
    }
};

// A real SDL window on the offscreen driver, found again by its caption.
class SdlWindow : public testing::Test {
  protected:
    void Open(const char* caption) {
        o.Caption = caption;
        try {
            window = platform::CreateSdlWindow(o);
        } catch (const std::exception& e) {
            GTEST_SKIP() << "no offscreen SDL window here: " << e.what();
        }
        sdl = FindWindow(o.Caption);
        ASSERT_NE(sdl, nullptr);
    }

    OffscreenDriver driver;
    platform::WindowOptions o;
    std::unique_ptr<platform::Window> window;
    SDL_Window* sdl = nullptr;
};

TEST_F(SdlWindow, UncoveringTheWindowShowsTheLastFrameAgain) {
    Open("Spray Dash repaint test");
    if (IsSkipped() || HasFatalFailure()) return;

    // A frame of pure red (5-6-5: 0xF800).
    std::vector<uint16_t> frame(size_t(o.Width) * size_t(o.Height), 0xF800);
    ASSERT_TRUE(window->Present(frame.data(), o.Width, o.Height, o.Width));
    ASSERT_EQ(ShownPixel(sdl, 400, 300), 0xFF0000u);

    // Covered and uncovered without a compositor: what the window showed is gone.
    SDL_Surface* shown = SDL_GetWindowSurface(sdl);
    ASSERT_NE(shown, nullptr);
    SDL_FillRect(shown, nullptr, SDL_MapRGB(shown->format, 0, 0, 0));
    ASSERT_EQ(ShownPixel(sdl, 400, 300), 0x000000u);

    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    exposed.window.windowID = SDL_GetWindowID(sdl);
    ASSERT_EQ(SDL_PushEvent(&exposed), 1);
    platform::Event e;
    while (window->PollEvent(e)) {
    }
    EXPECT_EQ(ShownPixel(sdl, 400, 300), 0xFF0000u) << "the last frame is shown again";
}

// A window between two and three times the picture: the picture is enlarged twice with sharp
// pixels, then filtered to the window. The window's own stage must give, to the bit, what SDL's
// renderer makes of the same frame through a render-target stage.
TEST_F(SdlWindow, EnlargedPictureMatchesTheRenderersOwnSharpThenSmoothCopy) {
    Open("Spray Dash enlarged picture test");
    if (IsSkipped() || HasFatalFailure()) return;
    SDL_SetWindowSize(sdl, 1760, 1320); // 4:3, 2.2 times 800 x 600
    platform::Event e;
    while (window->PollEvent(e)) {
    }
    int ww = 0, wh = 0;
    SDL_GetWindowSize(sdl, &ww, &wh);
    if (ww != 1760 || wh != 1320) GTEST_SKIP() << "the window opened at " << ww << " x " << wh;

    // Every colour somewhere, in a pattern where neighbours differ in every channel.
    std::vector<uint16_t> frame(size_t(o.Width) * size_t(o.Height));
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint16_t(uint32_t(i) * 40503u + 7u);
    ASSERT_TRUE(window->Present(frame.data(), o.Width, o.Height, o.Width));
    SDL_Surface* shown = SDL_GetWindowSurface(sdl);
    ASSERT_NE(shown, nullptr);

    SDL_Surface* expected = SDL_CreateRGBSurfaceWithFormat(0, ww, wh, 32, shown->format->format);
    SDL_Renderer* r = SDL_CreateSoftwareRenderer(expected);
    ASSERT_NE(r, nullptr);
    SDL_Texture* picture =
        SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, o.Width, o.Height);
    SDL_Texture* stage =
        SDL_CreateTexture(r, shown->format->format, SDL_TEXTUREACCESS_TARGET, o.Width * 2, o.Height * 2);
    ASSERT_TRUE(picture && stage);
    SDL_SetTextureBlendMode(picture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(picture, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(stage, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(stage, SDL_ScaleModeLinear);
    SDL_UpdateTexture(picture, nullptr, frame.data(), o.Width * 2);
    SDL_SetRenderTarget(r, stage);
    SDL_RenderCopy(r, picture, nullptr, nullptr);
    SDL_SetRenderTarget(r, nullptr);
    SDL_RenderCopy(r, stage, nullptr, nullptr);
    SDL_RenderFlush(r);

    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < wh; ++y)
        for (int x = 0; x < ww; ++x) {
            const auto* a = static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch + x * 4;
            const auto* b = static_cast<const uint8_t*>(expected->pixels) + y * expected->pitch + x * 4;
            uint32_t pa = 0, pb = 0;
            std::memcpy(&pa, a, 4);
            std::memcpy(&pb, b, 4);
            if ((pa & 0xFFFFFFu) != (pb & 0xFFFFFFu) && differing++ == 0) firstX = x, firstY = y;
        }
    EXPECT_EQ(differing, 0) << "first at (" << firstX << ", " << firstY << ")";
    SDL_DestroyTexture(stage);
    SDL_DestroyTexture(picture);
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(expected);
}

} // namespace
