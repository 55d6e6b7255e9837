// Where the game's 800 x 600 picture sits in a window of any size, how it is scaled there, how
// mouse positions map back to picture pixels, and how big and where the window opens. Plain
// arithmetic with no SDL types, so every case can be checked without a display.
#pragma once
#include <vector>

namespace platform {

struct Size {
    int W = 0, H = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    int X = 0, Y = 0, W = 0, H = 0;
    bool operator==(const Rect&) const = default;
};

// The picture's own size, and the smallest window we allow (half of it each way).
inline constexpr Size kPictureSize{800, 600};
inline constexpr Size kMinimumWindowSize{400, 300};

// How one frame is drawn into the window's drawable area. The picture keeps its 4:3 shape,
// centred with black bars. It is first enlarged by a whole factor with nearest-neighbour (sharp
// pixels), and only the remaining fraction, if any, is filtered linearly: no blur at whole
// multiples and no uneven pixel widths (shimmering while things scroll) at fractional sizes.
struct PictureLayout {
    Rect Picture;        // where the picture lands, in drawable pixels; empty when nothing fits
    int WholeScale = 1;  // the nearest-neighbour stage: the picture times this (at least 1)
    bool Smooth = false; // true when a linear stage takes WholeScale x picture to Picture's size
};

// The layout for a drawable area of the given size (in pixels, which on a HiDPI screen are more
// than the window's size in desktop units).
PictureLayout FitPicture(Size drawable, Size picture = kPictureSize);

// Maps a mouse position given in window units to a picture pixel, through the drawable's pixel
// density and the layout. False when the position lies on a bar or outside the window.
bool WindowToPicture(const PictureLayout& layout, Size window, Size drawable, int x, int y, int& pictureX,
                     int& pictureY, Size picture = kPictureSize);

// The size of a window opened for the first time on a desktop whose usable area (without panels
// and docks) is `usable`: the largest whole multiple of the picture that fits in 85 % of it; where
// even one picture does not fit, the largest 4:3 size that does; never below the minimum size.
Size FirstWindowSize(Size usable, Size picture = kPictureSize);

// Whether a window at this place could still be seen and grabbed: it overlaps one of the
// displays by at least 100 x 50 units (or by the whole window, when that is smaller).
bool PlacementVisible(Rect window, const std::vector<Rect>& displays);

} // namespace platform
