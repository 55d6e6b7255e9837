// The thirteen text styles of the game and the three text operations every screen uses.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "engine/Types.h"

// Number of text styles; styles are numbered 1..TextStyleCount.
constexpr int TextStyleCount = 13;

// The styles by what they are drawn for (the numbers are the table rows below).
enum TTextStyle : int {
    tsTableRow = 1,       // the high-score rows
    tsRaceScore = 2,      // the score on the left race panel
    tsOptionText = 3,     // the options screen's free text
    tsRaceTime = 4,       // the time and the lives on the left race panel
    tsRaceLevel = 5,      // the level on the left race panel
    tsPowerUpTime = 6,    // the seconds of the power-up on the right race panel
    tsQuestion = 7,       // "Finish race?", "Exit the game?", "Sending..."
    tsSpare8 = 8,         // in the table, selected by no screen
    tsSpare9 = 9,         // in the table, selected by no screen
    tsClearQuestion = 10, // "Do you want to clear the High Score Table?"
    tsSpare11 = 11,       // in the table, selected by no screen
    tsMessage = 12,       // the name entry and the send-result question
    tsDialogTitle = 13,   // the level intro, pause, time over and game over
};

// The style tables, indexed by style number (entry 0 is unused): face, size in points, bold, colour.
extern const std::array<const char*, TextStyleCount + 1> FontNames;
extern const std::array<int, TextStyleCount + 1> FontSizes;
extern const std::array<bool, TextStyleCount + 1> FontBold;
extern const std::array<TColor, TextStyleCount + 1> FontColors;

// Selects style N (1..13, a TTextStyle) on the back surface's text canvas: face, size, colour, variable
// pitch, bold or plain, clear background. A number outside 1..13 changes nothing.
void UseTextStyle(int n);
// Width in pixels of Text in the back surface canvas's current font.
int MeasureText(const std::string& text);
// Draws Text with its top at Y; its left edge at X, or, when Centred, at Trunc(X - width / 2).
void PrintText(const std::string& text, int x, int y, bool centred);
// Opens the fonts of all thirteen styles now (at start-up), so that the first frame showing a
// style does not pause to find and open its font. The canvas keeps its current font.
void PrepareTextStyles();
// Opens the same fonts without a canvas. Start-up runs it on the font thread while the window
// opens (nothing else may use the fonts meanwhile); PrepareTextStyles then finds them open.
void OpenTextStyleFonts();
