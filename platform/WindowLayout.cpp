#include "platform/WindowLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace platform {

PictureLayout FitPicture(Size drawable, Size picture) {
    PictureLayout layout;
    if (drawable.W <= 0 || drawable.H <= 0 || picture.W <= 0 || picture.H <= 0) return layout;
    Rect& r = layout.Picture;
    // Compare the shapes in integers: drawable.W / drawable.H against picture.W / picture.H.
    const long long wide = (long long)drawable.W * picture.H, tall = (long long)drawable.H * picture.W;
    if (wide <= tall) {
        // Narrower than 4:3 (or exactly it): full width, bars above and below.
        r.W = drawable.W;
        r.H = int((long long)drawable.W * picture.H / picture.W);
    } else {
        // Wider: full height, bars left and right.
        r.H = drawable.H;
        r.W = int((long long)drawable.H * picture.W / picture.H);
    }
    if (r.W <= 0 || r.H <= 0) return PictureLayout{};
    r.X = (drawable.W - r.W) / 2;
    r.Y = (drawable.H - r.H) / 2;
    layout.WholeScale = std::max(1, std::min(r.W / picture.W, r.H / picture.H));
    layout.Smooth = r.W != layout.WholeScale * picture.W || r.H != layout.WholeScale * picture.H;
    return layout;
}

bool WindowToPicture(const PictureLayout& layout, Size window, Size drawable, int x, int y, int& pictureX,
                     int& pictureY, Size picture) {
    const Rect& r = layout.Picture;
    if (window.W <= 0 || window.H <= 0 || r.W <= 0 || r.H <= 0) return false;
    if (x < 0 || y < 0 || x >= window.W || y >= window.H) return false;
    // The centre of the window unit, in drawable pixels, then in picture pixels.
    const double dx = (x + 0.5) * drawable.W / window.W, dy = (y + 0.5) * drawable.H / window.H;
    const double px = std::floor((dx - r.X) * picture.W / r.W), py = std::floor((dy - r.Y) * picture.H / r.H);
    if (px < 0 || py < 0 || px >= picture.W || py >= picture.H) return false;
    pictureX = int(px);
    pictureY = int(py);
    return true;
}

Size FirstWindowSize(Size usable, Size picture) {
    const int roomW = usable.W * 85 / 100, roomH = usable.H * 85 / 100;
    Size s;
    const int whole = std::min(roomW / picture.W, roomH / picture.H);
    if (whole >= 1) {
        s = {whole * picture.W, whole * picture.H};
    } else {
        // The largest size of exactly the picture's shape (steps of 4 x 3 for 800 x 600).
        const int g = std::gcd(picture.W, picture.H);
        const int stepW = picture.W / g, stepH = picture.H / g;
        const int n = std::min(roomW / stepW, roomH / stepH);
        s = {n * stepW, n * stepH};
    }
    if (s.W < kMinimumWindowSize.W || s.H < kMinimumWindowSize.H) s = kMinimumWindowSize;
    return s;
}

bool PlacementVisible(Rect window, const std::vector<Rect>& displays) {
    if (window.W <= 0 || window.H <= 0) return false;
    const int needW = std::min(window.W, 100), needH = std::min(window.H, 50);
    for (const Rect& d : displays) {
        const int left = std::max(window.X, d.X), right = std::min(window.X + window.W, d.X + d.W);
        const int top = std::max(window.Y, d.Y), bottom = std::min(window.Y + window.H, d.Y + d.H);
        if (right - left >= needW && bottom - top >= needH) return true;
    }
    return false;
}

} // namespace platform
