// The thirteen text styles of the game and the three text operations every screen uses.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "engine/Types.h"

// Number of text styles; styles are numbered 1..TextStyleCount.
constexpr int TextStyleCount = 13;

// The style tables, indexed by style number (entry 0 is unused): face, size in points, bold, colour.
extern const std::array<const char*, TextStyleCount + 1> FontNames;
extern const std::array<int, TextStyleCount + 1> FontSizes;
extern const std::array<bool, TextStyleCount + 1> FontBold;
extern const std::array<TColor, TextStyleCount + 1> FontColors;

// Selects style N (1..13) on the back surface's text canvas: face, size, colour, variable pitch,
// bold or plain, clear background. A number outside 1..13 changes nothing.
void UseTextStyle(int n);
// Width in pixels of Text in the back surface canvas's current font.
int MeasureText(const std::string& text);
// Draws Text with its top at Y; its left edge at X, or, when Centred, at Trunc(X - width / 2).
void PrintText(const std::string& text, int x, int y, bool centred);
// Opens the fonts of all thirteen styles now (at start-up), so that the first frame showing a
// style does not pause to find and open its font. The canvas keeps its current font.
void PrepareTextStyles();
