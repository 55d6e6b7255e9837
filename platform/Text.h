// Text on 16-bit pixel buffers: face names resolved through fontconfig with the game's own
// substitution rules, fonts opened once and kept, crisp single-colour glyphs, widths in pixels.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// A font of a face at a size and weight, opened once and kept for the program's life.
struct Font;

// What a face name resolves to: the font file, the face inside it, and whether it is bold itself.
struct FontFace {
    std::string File;
    int Index = 0;
    bool Bold = false;
    std::string Family; // the family the file belongs to
};

// Reads the font configuration (the desktop's and the game's rules) now instead of at the first
// face looked up. It takes a good part of start-up, so start-up runs it on a second thread while
// the window opens; safe to call from any thread, and more than once.
void PrepareFonts();

// Resolves a face name (e.g. "Arial", "DS Crystal") and weight through fontconfig with the game's
// rules file. Results are cached. False when fontconfig finds no file at all.
bool ResolveFontFace(const std::string& face, bool bold, FontFace& out);

// Em size in pixels of a size in points at 96 dots per inch, rounded (16 pt -> 21 px).
int PointsToPixels(int points);

// The font for a face, size in points and weight; null when no file can be opened. Each
// combination is opened once; later calls return the same font. One thread at a time.
Font* OpenFont(const std::string& face, int points, bool bold);

// Width in pixels of 8-bit (Latin-1) text in the font; 0 for an empty text or no font.
int TextWidth(Font* font, const std::string& text);
// Height in pixels of a line (the text cell) in the font.
int TextHeight(Font* font);

// Draws 8-bit (Latin-1) text with the top-left of its cell at (X, Y) onto a 5-6-5 buffer of
// Width x Height pixels (pitch in pixels). Glyph pixels become Colour; every other pixel is left
// as it was. Anti-aliased edges are cut at half coverage so the text stays crisp without blending.
void DrawText(Font* font, const std::string& text, int x, int y, uint16_t color, uint16_t* pixels, int width,
              int height, int pitchPixels);

// Where the game's font rules were read from (empty when none was found and only the desktop's
// own configuration applies).
std::string FontRulesPath();

} // namespace platform
