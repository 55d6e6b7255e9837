// The text canvas of a surface: font, colour and clear-background text drawn onto its pixels.
#pragma once
#include <cstdint>
#include <string>

#include "engine/Types.h"

class TDirectDrawSurface;

namespace platform {
struct Font;
}

// Character spacing of a font; the renderer draws every face with its own spacing.
enum TFontPitch { fpDefault, fpVariable, fpFixed };

// How the text cell's background is painted: bsSolid fills it with the brush colour, bsClear
// leaves the pixels between the glyphs as they were.
enum TBrushStyle { bsSolid, bsClear };

// The canvas font: face name, size in points (96 dots per inch), colour, pitch, bold.
struct TCanvasFont {
    std::string Name = "Arial";
    int Size = 8;
    TColor Color = 0; // $00BBGGRR
    TFontPitch Pitch = fpDefault;
    bool Bold = false;
};

// The canvas brush: what text output paints behind the glyphs.
struct TCanvasBrush {
    TBrushStyle Style = bsSolid;
    TColor Color = 0x00FFFFFF;
};

// Text output onto a surface. The drawing context is taken on first use and handed back by
// TDirectDrawSurface::ReleaseCanvas.
class TDirectDrawSurfaceCanvas {
  public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : surface_(surface) {}
    virtual ~TDirectDrawSurfaceCanvas() = default;

    // Draws Text (8-bit, Latin-1) with the top-left of its cell at (X, Y) in the font's colour.
    void TextOut(int x, int y, const std::string& text);
    // Width in pixels of Text in the current font.
    int TextWidth(const std::string& text);
    // Height in pixels of the text cell in the current font.
    int TextHeight();

    // Gives back the drawing context; the next text call takes it again.
    void Release() { holdsContext_ = false; }
    bool HoldsContext() const { return holdsContext_; }

    TCanvasFont Font;
    TCanvasBrush Brush;

  protected:
    // Takes the drawing context and the platform font for the current font settings.
    platform::Font* UseFont();

    TDirectDrawSurface& surface_;
    bool holdsContext_ = false;
};
