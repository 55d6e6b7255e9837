// The real-window smoke test's menu tour and the check that a window capture shows a reference frame.
// The tour is a small text file that both the real-window script and the headless reference run.
#pragma once
#include <string>
#include <vector>

#include "platform/Png.h"

// One step of the tour.
struct TourStep {
    enum KindType { Move, Click, Press, Close, Shot, Exit };
    KindType Kind = Exit;
    int X = 0, Y = 0; // Move: window client pixels
    int Key = 0;      // Press: the game's virtual-key code
    std::string Name; // Shot: the picture's name; Press: the key's name as written
};

// Reads a tour: one step a line ("move X Y", "click", "key NAME", "close", "shot NAME", "exit"),
// '#' starts a comment. Key names are Escape, Return, BackSpace, Left, Right, Up, Down and the
// letters a..z. On a bad line Error names the line and the result is empty.
std::vector<TourStep> ParseTour(const std::string& text, std::string* error);
// ParseTour on a file's contents; a missing file is an error.
std::vector<TourStep> ReadTour(const std::string& path, std::string* error);

// How well a capture of the game's screen matches a reference frame of 800 x 600.
struct CaptureMatch {
    double Matching = 0; // share of the reference's pixels the capture shows (within a small tolerance)
    double Lit = 0;      // share of the capture's game pixels that are not black
    // The capture shows the reference: nearly every pixel matches and the screen is not black.
    bool Shows() const { return Matching >= 0.95 && Lit >= 0.25; }
};

// Compares a capture with the reference. A capture of another size is a full-screen window: the
// frame is scaled to fit with the aspect kept and centred (letterboxed), and is sampled that way.
CaptureMatch CompareCapture(const platform::RgbaImage& capture, const platform::RgbaImage& reference);
