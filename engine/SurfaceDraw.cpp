// The copy loops of the surfaces: clipped rectangle copies and scaled, rotated copies, both on raw
// 16-bit pixels with an optional source colour key.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "engine/Surface.h"
#include "engine/SurfaceRotation.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Copies Count pixels, leaving the destination where the source holds the key.
void CopyKeyedRow(uint16_t* dst, const uint16_t* src, int count, uint16_t key) {
    int i = 0;
#if defined(__SSE2__)
    // Eight pixels at a time: the mask of key pixels selects the old destination.
    const __m128i k = _mm_set1_epi16(int16_t(key));
    for (; i + 8 <= count; i += 8) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i isKey = _mm_cmpeq_epi16(s, k);
        if (_mm_movemask_epi8(isKey) == 0xFFFF) continue; // all transparent: nothing to write
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        __m128i r = _mm_or_si128(_mm_and_si128(isKey, d), _mm_andnot_si128(isKey, s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), r);
    }
#endif
    for (; i < count; ++i)
        if (src[i] != key) dst[i] = src[i];
}

// Source rows inside the span loops: 16.16 coordinates, the nearest pixel below them.
template <bool Keyed>
void RotatedSpan(uint16_t* dst, const uint16_t* src, int pitch, int64_t u, int64_t v, int64_t du, int64_t dv,
                 int n, uint16_t key) {
    if (dv == 0) {
        // No vertical motion along the row (an upright draw): one source row for the whole span.
        const uint16_t* row = src + size_t(v >> 16) * size_t(pitch);
        for (int i = 0; i < n; ++i, u += du) {
            uint16_t p = row[u >> 16];
            if (!Keyed || p != key) dst[i] = p;
        }
        return;
    }
    for (int i = 0; i < n; ++i, u += du, v += dv) {
        uint16_t p = src[size_t(v >> 16) * size_t(pitch) + size_t(u >> 16)];
        if (!Keyed || p != key) dst[i] = p;
    }
}

// Pixels to skip before a coordinate running by Step enters [Low, High), for one axis.
int64_t SkipInto(int64_t c, int64_t step, int64_t low, int64_t high) {
    if (step > 0 && c < low) return (low + step - c - 1) / step;
    if (step < 0 && c >= high) return (high + step - c) / step;
    return 0;
}

// Pixels a coordinate starting at C can run by Step before leaving [Low, High). A coordinate that
// does not move along the row is either inside for the whole row or for none of it.
int64_t SpanInside(int64_t c, int64_t step, int64_t low, int64_t high) {
    if (step == 0) return (c >= low && c < high) ? INT64_MAX : 0;
    if (step < 0) return (c - low) / -step;
    return (high - c) / step;
}

// Truncates toward zero; values beyond any surface (or not numbers) are pinned, not undefined.
int64_t Trunc64(double v) {
    if (std::isnan(v)) return 0;
    return int64_t(std::clamp(v, -1.0e15, 1.0e15));
}

// Clamps a 64-bit coordinate into the 32-bit range of rectangles.
int32_t Clamp32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

const std::array<double, 256>& RotationTable() {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = std::cos(i * 2 * std::numbers::pi / 256);
        return t;
    }();
    return table;
}

double RotationCos(int angle) {
    return RotationTable()[size_t(unsigned(angle) & 255u)];
}

double RotationSin(int angle) {
    return RotationTable()[size_t((unsigned(angle) + 192u) & 255u)];
}

void TDirectDrawSurface::BlitRect(int x, int y, TRect sourceRect, TDirectDrawSurface* source,
                                  bool transparent) {
    if (!source || x > width_ || y > height_) return;
    // 64-bit edges: a far-off position or a huge rectangle must clip, not wrap round.
    int64_t sl = sourceRect.Left, st = sourceRect.Top, sr = sourceRect.Right, sb = sourceRect.Bottom;
    int64_t dl = x, dt = y, dr = int64_t(x) + sr - sl, db = int64_t(y) + sb - st;
    const int64_t dw = width_, dh = height_, sw = source->width_, sh = source->height_;

    // Clip to the destination first, then to the source, left and top before right and bottom.
    if (0 > dl) {
        sl += 0 - dl;
        dl = 0;
    }
    if (0 > dt) {
        st += 0 - dt;
        dt = 0;
    }
    if (0 > sl) {
        dl += 0 - sl;
        sl = 0;
    }
    if (0 > st) {
        dt += 0 - st;
        st = 0;
    }
    if (dw < dr) {
        sr -= dr - dw;
        dr = dw;
    }
    if (dh < db) {
        sb -= db - dh;
        db = dh;
    }
    if (sw < sr) {
        dr -= sr - sw;
        sr = sw;
    }
    if (sh < sb) {
        db -= sb - sh;
        sb = sh;
    }
    if (dl >= dr || dt >= db || sl >= sr || st >= sb) return;

    const int w = int(std::min(dr - dl, sr - sl));
    const int h = int(std::min(db - dt, sb - st));
    const int dpitch = PitchPixels(), spitch = source->PitchPixels();
    uint16_t* d = Pixels() + size_t(dt) * size_t(dpitch) + size_t(dl);
    const uint16_t* s = source->Pixels() + size_t(st) * size_t(spitch) + size_t(sl);
    if (transparent) {
        const uint16_t key = uint16_t(source->colorKey_);
        for (int row = 0; row < h; ++row)
            CopyKeyedRow(d + size_t(row) * dpitch, s + size_t(row) * spitch, w, key);
    } else {
        // memmove: a copy within one surface may overlap itself.
        for (int row = 0; row < h; ++row)
            std::memmove(d + size_t(row) * dpitch, s + size_t(row) * spitch, size_t(w) * sizeof(uint16_t));
    }
    LastResult = 0;
}

void TDirectDrawSurface::BlitRotated(int x, int y, int width, int height, TRect sourceRect,
                                     TDirectDrawSurface* source, double centerX, double centerY,
                                     bool transparent, int angle) {
    if (width_ <= 0 || height_ <= 0 || width == 0 || height == 0 || !source || !source->HasPixels()) return;
    const TRect& s = sourceRect;
    if (!(0 <= s.Left && s.Left < s.Right && s.Right <= source->width_ && 0 <= s.Top && s.Top < s.Bottom &&
          s.Bottom <= source->height_))
        return;
    const int64_t sw = s.Right - s.Left, sh = s.Bottom - s.Top;

    // Bounding box of the four turned corners, each corner truncated like the texture walk below.
    const double cosA = RotationCos(angle), sinA = RotationSin(angle);
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    const double cornerX[2] = {0.0, double(width)}, cornerY[2] = {0.0, double(height)};
    for (double py : cornerY)
        for (double px : cornerX) {
            const double dx = std::trunc(px - width * centerX), dy = std::trunc(py - height * centerY);
            const int64_t cx = Trunc64(dx * cosA - dy * sinA) + x;
            const int64_t cy = Trunc64(dx * sinA + dy * cosA) + y;
            minX = std::min(minX, cx), maxX = std::max(maxX, cx);
            minY = std::min(minY, cy), maxY = std::max(maxY, cy);
        }
    const int64_t left = std::max<int64_t>(minX, 0), top = std::max<int64_t>(minY, 0);
    const int64_t right = std::min<int64_t>(maxX, width_), bottom = std::min<int64_t>(maxY, height_);
    if (left > width_ || right < 1 || right - left < 1 || top > height_ || bottom < 1 || bottom - top < 1)
        return;

    // 16.16 steps of the inverse turn: per pixel to the right (du, dv) and per row down (rowU, rowV).
    const int back = int(0u - unsigned(angle));
    const int64_t c = int64_t(RotationCos(back) * 65536), n = int64_t(RotationSin(back) * 65536);
    const int64_t du = sw * c / width, dv = sh * n / height;
    const int64_t rowU = sw * n / width, rowV = sh * c / height;
    int64_t u =
        Trunc64(centerX * double(sw) * 65536) + (left - x) * du + (y - top) * rowU + int64_t(s.Left) * 65536;
    int64_t v =
        Trunc64(centerY * double(sh) * 65536) + (left - x) * dv + int64_t(s.Top) * 65536 - (y - top) * rowV;

    const int64_t ul = int64_t(s.Left) * 65536, ur = int64_t(s.Right) * 65536;
    const int64_t vt = int64_t(s.Top) * 65536, vb = int64_t(s.Bottom) * 65536;
    const uint16_t key = uint16_t(source->colorKey_);
    const uint16_t* src = source->Pixels();
    const int spitch = source->PitchPixels();
    for (int64_t row = top; row < bottom; ++row, u -= rowU, v += rowV) {
        const int64_t k = std::max(SkipInto(u, du, ul, ur), SkipInto(v, dv, vt, vb));
        const int64_t u0 = u + k * du, v0 = v + k * dv;
        const int64_t len =
            std::min({SpanInside(u0, du, ul, ur), SpanInside(v0, dv, vt, vb), width_ - k - left});
        if (len < 1) continue;
        uint16_t* d = Pixels() + size_t(row) * size_t(PitchPixels()) + size_t(left + k);
        if (transparent)
            RotatedSpan<true>(d, src, spitch, u0, v0, du, dv, Clamp32(len), key);
        else
            RotatedSpan<false>(d, src, spitch, u0, v0, du, dv, Clamp32(len), key);
    }
    LastResult = 0;
}
