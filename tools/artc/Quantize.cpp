#include "tools/artc/Quantize.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace artc {

int CountColors(const RgbImage& img) {
    std::unordered_set<uint32_t> seen(img.Pixels.begin(), img.Pixels.end());
    return static_cast<int>(seen.size());
}

namespace {

// One colour of the histogram with the number of pixels that use it.
struct Entry {
    uint32_t Color;
    uint64_t Count;
};

// Channel 0 = red, 1 = green, 2 = blue.
uint32_t Channel(uint32_t rgb, int ch) {
    return (rgb >> (16 - 8 * ch)) & 0xFF;
}

// A box of the median cut: a range of the histogram vector.
struct Box {
    size_t Begin, End;
};

// Widest channel of a box and its extent.
std::pair<int, uint32_t> WidestChannel(const std::vector<Entry>& h, const Box& b) {
    int best = 0;
    uint32_t bestRange = 0;
    for (int ch = 0; ch < 3; ++ch) {
        uint32_t lo = 255, hi = 0;
        for (size_t i = b.Begin; i < b.End; ++i) {
            lo = std::min(lo, Channel(h[i].Color, ch));
            hi = std::max(hi, Channel(h[i].Color, ch));
        }
        if (hi - lo > bestRange) {
            bestRange = hi - lo;
            best = ch;
        }
    }
    return {best, bestRange};
}

} // namespace

int QuantizeColors(RgbImage& img, int maxColors) {
    std::map<uint32_t, uint64_t> counts; // ordered, so the cut does not depend on hashing
    bool hasKey = false;
    for (uint32_t p : img.Pixels) {
        if (p == KeyColor)
            hasKey = true;
        else
            ++counts[p];
    }
    const int keyCount = hasKey ? 1 : 0;
    if (maxColors < 1 || static_cast<int>(counts.size()) <= maxColors)
        return static_cast<int>(counts.size()) + keyCount;

    std::vector<Entry> h;
    h.reserve(counts.size());
    for (const auto& [c, n] : counts)
        h.push_back({c, n});

    std::vector<Box> boxes{{0, h.size()}};
    while (static_cast<int>(boxes.size()) < maxColors) {
        // Split the box with the widest spread; the first one wins a tie.
        int pick = -1, pickCh = 0;
        uint32_t pickRange = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].End - boxes[i].Begin < 2) continue;
            auto [ch, range] = WidestChannel(h, boxes[i]);
            if (pick < 0 || range > pickRange) {
                pick = static_cast<int>(i);
                pickCh = ch;
                pickRange = range;
            }
        }
        if (pick < 0) break;
        Box b = boxes[pick];
        std::sort(h.begin() + b.Begin, h.begin() + b.End, [pickCh](const Entry& x, const Entry& y) {
            const uint32_t cx = Channel(x.Color, pickCh), cy = Channel(y.Color, pickCh);
            return cx != cy ? cx < cy : x.Color < y.Color;
        });
        uint64_t total = 0;
        for (size_t i = b.Begin; i < b.End; ++i)
            total += h[i].Count;
        // Cut at the weighted median, leaving at least one colour on each side.
        uint64_t run = 0;
        size_t cut = b.Begin + 1;
        for (size_t i = b.Begin; i < b.End - 1; ++i) {
            run += h[i].Count;
            cut = i + 1;
            if (run * 2 >= total) break;
        }
        boxes[pick] = {b.Begin, cut};
        boxes.push_back({cut, b.End});
    }

    std::unordered_map<uint32_t, uint32_t> remap;
    std::unordered_set<uint32_t> palette;
    for (const Box& b : boxes) {
        uint64_t sum[3] = {0, 0, 0}, total = 0;
        for (size_t i = b.Begin; i < b.End; ++i) {
            for (int ch = 0; ch < 3; ++ch)
                sum[ch] += Channel(h[i].Color, ch) * h[i].Count;
            total += h[i].Count;
        }
        uint32_t mean = 0;
        for (int ch = 0; ch < 3; ++ch)
            mean |= static_cast<uint32_t>((sum[ch] + total / 2) / total) << (16 - 8 * ch);
        mean = AvoidKey(mean);
        palette.insert(mean);
        for (size_t i = b.Begin; i < b.End; ++i)
            remap[h[i].Color] = mean;
    }
    for (uint32_t& p : img.Pixels)
        if (p != KeyColor) p = remap[p];
    return static_cast<int>(palette.size()) + keyCount;
}

} // namespace artc
