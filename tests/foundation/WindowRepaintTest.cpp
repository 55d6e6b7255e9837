// The real SDL window on SDL's offscreen video driver: when the window system reports the window
// uncovered, the last frame is shown again without a new frame from the game.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
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

TEST(SdlWindow, UncoveringTheWindowShowsTheLastFrameAgain) {
    OffscreenDriver driver;
    platform::WindowOptions o;
    o.Caption = "Spray Dash repaint test";
    std::unique_ptr<platform::Window> window;
    try {
        window = platform::CreateSdlWindow(o);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no offscreen SDL window here: " << e.what();
    }
    SDL_Window* sdl = FindWindow(o.Caption);
    ASSERT_NE(sdl, nullptr);

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

} // namespace
