// The real SDL window on SDL's offscreen video driver: when the window system reports the window
// uncovered, the last frame is shown again without a new frame from the game; and an enlarged
// window shows the picture as SDL's own sharp-then-smooth copies make it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "platform/WindowLayout.h"

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

// What SDL's own software renderer makes of a frame through the same steps: sharp by a whole
// factor into a stage, then filtered to the window (or nearest-neighbour only at a whole multiple).
SDL_Surface* SdlsOwnCopy(const std::vector<uint16_t>& frame, int w, int h, int windowW, int windowH,
                         Uint32 format) {
    const platform::PictureLayout l = platform::FitPicture({windowW, windowH}, {w, h});
    SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, windowW, windowH, 32, format);
    SDL_Renderer* r = out ? SDL_CreateSoftwareRenderer(out) : nullptr;
    if (!r) return out;
    SDL_Texture* picture = SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, w, h);
    SDL_Texture* stage =
        SDL_CreateTexture(r, format, SDL_TEXTUREACCESS_TARGET, w * l.WholeScale, h * l.WholeScale);
    SDL_SetTextureBlendMode(picture, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(picture, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(stage, SDL_BLENDMODE_NONE);
    SDL_SetTextureScaleMode(stage, SDL_ScaleModeLinear);
    SDL_UpdateTexture(picture, nullptr, frame.data(), w * 2);
    const SDL_Rect dst{l.Picture.X, l.Picture.Y, l.Picture.W, l.Picture.H};
    if (l.Smooth) {
        SDL_SetRenderTarget(r, stage);
        SDL_RenderCopy(r, picture, nullptr, nullptr);
        SDL_SetRenderTarget(r, nullptr);
        SDL_RenderCopy(r, stage, nullptr, &dst);
    } else {
        SDL_RenderCopy(r, picture, nullptr, &dst);
    }
    SDL_RenderFlush(r);
    SDL_DestroyTexture(stage);
    SDL_DestroyTexture(picture);
    SDL_DestroyRenderer(r);
    return out;
}

// The window scales the picture with its own code, which must put it where SDL's renderer puts
// it and sample it at the same places. SDL widens 5-6-5 colours with tables up to one level off
// the exact widening (full green is 254), and its filter is up to five levels off an exact one
// where ours is within one; a picture placed or sampled half a pixel off differs by far more
// on this pattern.
TEST_F(SdlWindow, EnlargedPictureMatchesSdlsOwnSharpThenSmoothCopy) {
    Open("Spray Dash enlarged picture test");
    if (IsSkipped() || HasFatalFailure()) return;
    // Every colour somewhere, in a pattern where neighbours differ in every channel.
    std::vector<uint16_t> frame(size_t(o.Width) * size_t(o.Height));
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint16_t(uint32_t(i) * 40503u + 7u);

    struct Case {
        int W, H, Tolerance;
    };
    const Case cases[] = {
        {1760, 1320, 8}, // 2.2 times: sharp 2x, then filtered
        {1440, 1080, 8}, // 1.8 times: filtered from the picture itself
        {1600, 1200, 1}, // exactly 2x: sharp only
        {800, 600, 1},   // the picture's own size
        {1003, 611, 8},  // odd, wider than 4:3: bars left and right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.W) + " x " + std::to_string(c.H));
        SDL_SetWindowSize(sdl, c.W, c.H);
        platform::Event e;
        while (window->PollEvent(e)) {
        }
        int ww = 0, wh = 0;
        SDL_GetWindowSize(sdl, &ww, &wh);
        if (ww != c.W || wh != c.H) GTEST_SKIP() << "the window opened at " << ww << " x " << wh;
        frame[0] ^= 0xFFFF; // a new frame each time, so that it is drawn
        ASSERT_TRUE(window->Present(frame.data(), o.Width, o.Height, o.Width));
        SDL_Surface* shown = SDL_GetWindowSurface(sdl);
        ASSERT_NE(shown, nullptr);
        ASSERT_EQ(shown->format->BytesPerPixel, 4);
        SDL_Surface* expected = SdlsOwnCopy(frame, o.Width, o.Height, ww, wh, shown->format->format);
        ASSERT_NE(expected, nullptr);
        int worst = 0, worstX = -1, worstY = -1;
        for (int y = 0; y < wh; ++y)
            for (int x = 0; x < ww; ++x) {
                Uint8 a[3], b[3];
                uint32_t pa = 0, pb = 0;
                std::memcpy(&pa, static_cast<const uint8_t*>(shown->pixels) + y * shown->pitch + x * 4, 4);
                std::memcpy(&pb, static_cast<const uint8_t*>(expected->pixels) + y * expected->pitch + x * 4,
                            4);
                SDL_GetRGB(pa, shown->format, &a[0], &a[1], &a[2]);
                SDL_GetRGB(pb, expected->format, &b[0], &b[1], &b[2]);
                for (int k = 0; k < 3; ++k)
                    if (std::abs(int(a[k]) - int(b[k])) > worst)
                        worst = std::abs(int(a[k]) - int(b[k])), worstX = x, worstY = y;
            }
        EXPECT_LE(worst, c.Tolerance) << "largest channel difference at (" << worstX << ", " << worstY << ")";
        SDL_FreeSurface(expected);
    }
}

} // namespace
