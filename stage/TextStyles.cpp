// The text style tables and the text operations on the back surface's canvas.
#include "stage/TextStyles.h"

#include <cmath>

#include "engine/DXDraw.h"
#include "engine/SurfaceCanvas.h"
#include "platform/Text.h"
#include "stage/Game.h"

const std::array<const char*, TextStyleCount + 1> FontNames = {
    "",      "Arial",       "DS Crystal", "Arial", "DS Crystal",      "DS Crystal", "DS Crystal",
    "Arial", "Arial Black", "Arial",      "Arial", "Times New Roman", "Arial",      "DS Crystal"};
const std::array<int, TextStyleCount + 1> FontSizes = {0, 16, 16, 20, 19, 19, 14, 30, 30, 30, 26, 30, 24, 30};
const std::array<bool, TextStyleCount + 1> FontBold = {false, false, false, true,  false, false, false,
                                                       false, false, false, false, true,  false, false};
const std::array<TColor, TextStyleCount + 1> FontColors = {0,
                                                           RGBColor(3, 9, 255),
                                                           RGBColor(255, 255, 255),
                                                           RGBColor(255, 180, 27),
                                                           RGBColor(11, 39, 210),
                                                           RGBColor(255, 255, 255),
                                                           RGBColor(11, 39, 210),
                                                           RGBColor(255, 241, 0),
                                                           RGBColor(11, 39, 210),
                                                           RGBColor(255, 241, 0),
                                                           RGBColor(255, 241, 0),
                                                           RGBColor(45, 91, 240),
                                                           RGBColor(255, 241, 0),
                                                           RGBColor(255, 241, 0)};

namespace {

TDirectDrawSurfaceCanvas* Canvas() {
    return Game.DXDraw ? &Game.DXDraw->BackSurface().TextCanvas() : nullptr;
}

} // namespace

void UseTextStyle(int n) {
    TDirectDrawSurfaceCanvas* canvas = Canvas();
    if (!canvas || n < 1 || n > TextStyleCount) return;
    canvas->Font.Name = FontNames[size_t(n)];
    canvas->Font.Size = FontSizes[size_t(n)];
    canvas->Font.Color = FontColors[size_t(n)];
    canvas->Font.Pitch = fpVariable;
    canvas->Font.Bold = FontBold[size_t(n)];
    canvas->Brush.Style = bsClear;
}

int MeasureText(const std::string& text) {
    TDirectDrawSurfaceCanvas* canvas = Canvas();
    return canvas ? canvas->TextWidth(text) : 0;
}

void PrintText(const std::string& text, int x, int y, bool centred) {
    TDirectDrawSurfaceCanvas* canvas = Canvas();
    if (!canvas) return;
    // Real division, truncated toward zero: a 7-pixel text centred on 100 starts at 96.
    const int left = centred ? int(std::trunc(x - MeasureText(text) / 2.0)) : x;
    canvas->TextOut(left, y, text);
}

void OpenTextStyleFonts() {
    // The canvas opens a style's font by the same face, size and weight (UseTextStyle).
    for (int n = 1; n <= TextStyleCount; ++n)
        platform::OpenFont(FontNames[size_t(n)], FontSizes[size_t(n)], FontBold[size_t(n)]);
}

void PrepareTextStyles() {
    TDirectDrawSurfaceCanvas* canvas = Canvas();
    if (!canvas) return;
    const TCanvasFont font = canvas->Font;
    const TCanvasBrush brush = canvas->Brush;
    for (int n = 1; n <= TextStyleCount; ++n) {
        UseTextStyle(n);
        canvas->TextWidth("0"); // opens and keeps the font
    }
    canvas->Font = font;
    canvas->Brush = brush;
    Game.DXDraw->BackSurface().ReleaseCanvas();
}
