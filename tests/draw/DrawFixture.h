// Shared fixture of the drawing tests: a headless display, an image list whose pictures are
// built from pixel functions, and a sprite engine drawing on the display's back surface.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/DXDraw.h"
#include "engine/DXSprite.h"
#include "engine/PictureCollection.h"
#include "platform/HeadlessWindow.h"
#include "stage/Game.h"

// The key colour of the test pictures (magenta) and its raw pixel.
constexpr TColor kKeyColor = 0x00FF00FF;
constexpr uint16_t kKeyPixel = 0xF81F;

// An RGB colour of a test picture.
struct Rgb {
    uint8_t R = 0, G = 0, B = 0;
};

// A surface of Width x Height whose pixel (x, y) is Fn(x, y).
inline std::unique_ptr<TDirectDrawSurface> MakeSurface(int width, int height,
                                                       const std::function<uint16_t(int, int)>& fn) {
    auto s = std::make_unique<TDirectDrawSurface>();
    s->SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s->PixelAt(x, y) = fn(x, y);
    return s;
}

// A display on a headless window, initialised, with two image lists and the sprite engine
// installed in Game the way the form does it.
class DrawFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        draw = std::make_unique<TDXDraw>(&window);
        draw->InitializeDisplay();
        list.SetDXDraw(draw.get());
        list3.SetDXDraw(draw.get());
        sprites.SetDXDraw(draw.get());
        savedGame = Game;
        Game.DXDraw = draw.get();
        Game.ImageList = &list;
        Game.ImageList3 = &list3;
        Game.SpriteEngine = &sprites;
    }
    void TearDown() override {
        sprites.Engine().DestroyChildren();
        Game = savedGame;
    }

    // Adds picture Name of Width x Height with pixel (x, y) = Fn(x, y), cut into patterns of
    // PatternWidth x PatternHeight (0: whole picture), keyed on magenta, to List.
    TPictureCollectionItem& AddPicture(TDXImageList& to, const std::string& name, int width, int height,
                                       const std::function<Rgb(int, int)>& fn, int patternWidth = 0,
                                       int patternHeight = 0) {
        std::vector<uint8_t> rgb;
        rgb.reserve(size_t(width) * size_t(height) * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb c = fn(x, y);
                rgb.insert(rgb.end(), {c.R, c.G, c.B});
            }
        TPictureCollectionItem& item = to.Items().Add();
        item.SetName(name);
        item.PatternWidth = patternWidth;
        item.PatternHeight = patternHeight;
        item.SetTransparentColor(kKeyColor);
        const std::vector<uint8_t> payload = MakeDIBPayload(EncodeDIB24(width, height, rgb));
        TByteReader reader(payload);
        item.Picture().ReadData(reader);
        item.RebuildSurfaces();
        return item;
    }
    // A picture of one flat colour.
    TPictureCollectionItem& AddFlat(TDXImageList& to, const std::string& name, int width, int height, Rgb c) {
        return AddPicture(to, name, width, height, [c](int, int) { return c; });
    }

    TDirectDrawSurface& Back() { return draw->BackSurface(); }
    TSpriteEngine& Root() { return sprites.Engine(); }

    platform::HeadlessWindow window;
    std::unique_ptr<TDXDraw> draw;
    TDXImageList list, list3;
    TDXSpriteEngine sprites;
    TGame savedGame;
};

// Rectangles in failure messages.
inline void PrintTo(const TRect& r, std::ostream* os) {
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

// The raw pixel of an RGB colour.
inline uint16_t Px(Rgb c) {
    return RGBToPixel565(c.R, c.G, c.B);
}
