#include "platform/PictureScaler.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#endif

namespace platform {
namespace {

struct Sample {
    int32_t From = 0;
    uint8_t Weight = 0;
};

// Where target pixel `t` of `target` samples a picture of `picture` pixels that was first
// repeated `whole` times: pixel centres line up, as when a picture is drawn stretched.
Sample SampleAt(int t, int target, int picture, int whole) {
    const int64_t stage = int64_t(picture) * whole;
    // The centre of target pixel t, in stage pixels, minus half a stage pixel: num / den.
    const int64_t num = (2 * int64_t(t) + 1) * stage - target, den = 2 * int64_t(target);
    int64_t at = 0, weight = 0;
    if (num > 0) {
        at = num / den;
        weight = ((num % den) * 256 + den / 2) / den;
        if (weight == 256) ++at, weight = 0;
    }
    if (at >= stage - 1) at = stage - 1, weight = 0;
    Sample s;
    s.From = int32_t(at / whole);
    // Between two copies of the same picture pixel there is nothing to blend.
    s.Weight = (at + 1) / whole == s.From ? 0 : uint8_t(weight);
    return s;
}

// a * (256 - w) + b * w, rounded, in each 8-bit channel at once: the red and blue channels in one
// pair of 16-bit lanes, the green and the fourth in another (no lane can carry into the next).
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t ia = 256 - w;
    const uint32_t even = (((a & 0x00FF00FFu) * ia + (b & 0x00FF00FFu) * w + 0x00800080u) >> 8) & 0x00FF00FFu;
    const uint32_t odd =
        (((a >> 8) & 0x00FF00FFu) * ia + ((b >> 8) & 0x00FF00FFu) * w + 0x00800080u) & 0xFF00FF00u;
    return even | odd;
}

void Convert(ScalePlan& plan, const uint16_t* row) {
    const int w = plan.Picture.W;
    uint32_t* out = plan.Converted.data();
    for (int x = 0; x < w; ++x)
        out[x] = plan.Colours[row[x]];
    out[w] = out[w - 1]; // read (with weight 0) beside the last pixel
}

void WidenPlain(const ScalePlan& plan, uint32_t* out) {
    const uint32_t* in = plan.Converted.data();
    const int32_t* from = plan.Column.data();
    const uint16_t* weights = plan.ColumnWeights.data();
    for (int x = 0; x < plan.Target.W; ++x)
        out[x] = Blend(in[from[x]], in[from[x] + 1], weights[8 * x + 4]);
}

void BlendRowsPlain(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int n) {
    for (int x = 0; x < n; ++x)
        out[x] = Blend(a[x], b[x], w);
}

#if defined(__SSE2__)
// The colour conversion in 32-bit lanes: each channel widened to 8 bits by repeating its top bits
// (as TargetColour does), then moved to its place in the target pixel.
inline __m128i TargetColours128(__m128i p, __m128i rs, __m128i gs, __m128i bs, __m128i alpha) {
    const __m128i r =
        _mm_or_si128(_mm_and_si128(_mm_srli_epi32(p, 8), _mm_set1_epi32(0xF8)), _mm_srli_epi32(p, 13));
    const __m128i g = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(p, 3), _mm_set1_epi32(0xFC)),
                                   _mm_and_si128(_mm_srli_epi32(p, 9), _mm_set1_epi32(0x03)));
    const __m128i b = _mm_or_si128(_mm_and_si128(_mm_slli_epi32(p, 3), _mm_set1_epi32(0xF8)),
                                   _mm_and_si128(_mm_srli_epi32(p, 2), _mm_set1_epi32(0x07)));
    return _mm_or_si128(_mm_or_si128(_mm_sll_epi32(r, rs), _mm_sll_epi32(g, gs)),
                        _mm_or_si128(_mm_sll_epi32(b, bs), alpha));
}

void ConvertVector(ScalePlan& plan, const uint16_t* row) {
    const int w = plan.Picture.W;
    uint32_t* out = plan.Converted.data();
    const __m128i rs = _mm_cvtsi32_si128(plan.Format.RedShift),
                  gs = _mm_cvtsi32_si128(plan.Format.GreenShift),
                  bs = _mm_cvtsi32_si128(plan.Format.BlueShift),
                  alpha = _mm_set1_epi32(int32_t(plan.Format.AlphaMask)), zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         TargetColours128(_mm_unpacklo_epi16(p, zero), rs, gs, bs, alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x + 4),
                         TargetColours128(_mm_unpackhi_epi16(p, zero), rs, gs, bs, alpha));
    }
    for (; x < w; ++x)
        out[x] = plan.Colours[row[x]];
    out[w] = out[w - 1];
}

// Two target pixels at a time: each loads its picture pixel and the next one together, weighs
// all eight channels in 16-bit lanes, and adds the two halves.
void WidenVector(const ScalePlan& plan, uint32_t* out) {
    const uint32_t* in = plan.Converted.data();
    const int32_t* from = plan.Column.data();
    const __m128i* weights = reinterpret_cast<const __m128i*>(plan.ColumnWeights.data());
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const int n = plan.Target.W;
    int x = 0;
    for (; x + 2 <= n; x += 2) {
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + from[x]));
        const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + from[x + 1]));
        const __m128i m0 = _mm_mullo_epi16(_mm_unpacklo_epi8(p0, zero), _mm_loadu_si128(weights + x));
        const __m128i m1 = _mm_mullo_epi16(_mm_unpacklo_epi8(p1, zero), _mm_loadu_si128(weights + x + 1));
        __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(m0, m1), _mm_unpackhi_epi64(m0, m1));
        sum = _mm_srli_epi16(_mm_add_epi16(sum, half), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(sum, sum));
    }
    for (; x < n; ++x)
        out[x] = Blend(in[from[x]], in[from[x] + 1], plan.ColumnWeights[8 * size_t(x) + 4]);
}

void BlendRowsVector(const uint32_t* a, const uint32_t* b, uint32_t w, uint32_t* out, int n) {
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i wa = _mm_set1_epi16(int16_t(256 - w)), wb = _mm_set1_epi16(int16_t(w));
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m128i pa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
        const __m128i pb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(pa, zero), wa),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(pb, zero), wb));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(pa, zero), wa),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(pb, zero), wb));
        lo = _mm_srli_epi16(_mm_add_epi16(lo, half), 8);
        hi = _mm_srli_epi16(_mm_add_epi16(hi, half), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
    BlendRowsPlain(a + x, b + x, w, out + x, n - x);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define SPRAYDASH_AVX2 1
// The same arithmetic twice as wide, for processors that have it (asked at run time, so the
// program still runs on the oldest 64-bit PC).
__attribute__((target("avx2"))) void ConvertAvx2(ScalePlan& plan, const uint16_t* row) {
    const int w = plan.Picture.W;
    uint32_t* out = plan.Converted.data();
    const __m128i rs = _mm_cvtsi32_si128(plan.Format.RedShift),
                  gs = _mm_cvtsi32_si128(plan.Format.GreenShift),
                  bs = _mm_cvtsi32_si128(plan.Format.BlueShift);
    const __m256i alpha = _mm256_set1_epi32(int32_t(plan.Format.AlphaMask));
    int x = 0;
    for (; x + 8 <= w; x += 8) {
        const __m256i p = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
        const __m256i r = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(p, 8), _mm256_set1_epi32(0xF8)),
                                          _mm256_srli_epi32(p, 13));
        const __m256i g = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(p, 3), _mm256_set1_epi32(0xFC)),
                                          _mm256_and_si256(_mm256_srli_epi32(p, 9), _mm256_set1_epi32(0x03)));
        const __m256i b = _mm256_or_si256(_mm256_and_si256(_mm256_slli_epi32(p, 3), _mm256_set1_epi32(0xF8)),
                                          _mm256_and_si256(_mm256_srli_epi32(p, 2), _mm256_set1_epi32(0x07)));
        const __m256i c = _mm256_or_si256(_mm256_or_si256(_mm256_sll_epi32(r, rs), _mm256_sll_epi32(g, gs)),
                                          _mm256_or_si256(_mm256_sll_epi32(b, bs), alpha));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), c);
    }
    for (; x < w; ++x)
        out[x] = plan.Colours[row[x]];
    out[w] = out[w - 1];
}

// Four target pixels at a time: their four pairs of picture pixels in one register, two pairs to
// a 128-bit half, weighed and added as in the two-at-a-time code.
__attribute__((target("avx2"))) void WidenAvx2(const ScalePlan& plan, uint32_t* out) {
    const uint32_t* in = plan.Converted.data();
    const int32_t* from = plan.Column.data();
    const __m128i* weights = reinterpret_cast<const __m128i*>(plan.ColumnWeights.data());
    const __m256i zero = _mm256_setzero_si256(), half = _mm256_set1_epi16(128);
    const int n = plan.Target.W;
    auto pair = [&](int x) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + from[x])); };
    int x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m256i v =
            _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi64(pair(x), pair(x + 1))),
                                    _mm_unpacklo_epi64(pair(x + 2), pair(x + 3)), 1);
        const __m256i w01 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + x));
        const __m256i w23 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights + x + 2));
        // Pairs x and x + 2 widen from the low bytes of each half, x + 1 and x + 3 from the high.
        const __m256i m0 =
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(v, zero), _mm256_permute2x128_si256(w01, w23, 0x20));
        const __m256i m1 =
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(v, zero), _mm256_permute2x128_si256(w01, w23, 0x31));
        __m256i sum = _mm256_add_epi16(_mm256_unpacklo_epi64(m0, m1), _mm256_unpackhi_epi64(m0, m1));
        sum = _mm256_srli_epi16(_mm256_add_epi16(sum, half), 8);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(sum, sum), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm256_castsi256_si128(packed));
    }
    for (; x < n; ++x)
        out[x] = Blend(in[from[x]], in[from[x] + 1], plan.ColumnWeights[8 * size_t(x) + 4]);
}

__attribute__((target("avx2"))) void BlendRowsAvx2(const uint32_t* a, const uint32_t* b, uint32_t w,
                                                   uint32_t* out, int n) {
    const __m256i zero = _mm256_setzero_si256(), half = _mm256_set1_epi16(128);
    const __m256i wa = _mm256_set1_epi16(int16_t(256 - w)), wb = _mm256_set1_epi16(int16_t(w));
    // The rows go to the window's memory and are not read again: stores that bypass the cache
    // leave it to the rows being read, and these need 32-byte alignment.
    int x = 0;
    for (; x < n && (reinterpret_cast<uintptr_t>(out + x) & 31) != 0; ++x)
        out[x] = Blend(a[x], b[x], w);
    for (; x + 8 <= n; x += 8) {
        const __m256i pa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + x));
        const __m256i pb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + x));
        __m256i lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(pa, zero), wa),
                                      _mm256_mullo_epi16(_mm256_unpacklo_epi8(pb, zero), wb));
        __m256i hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(pa, zero), wa),
                                      _mm256_mullo_epi16(_mm256_unpackhi_epi8(pb, zero), wb));
        lo = _mm256_srli_epi16(_mm256_add_epi16(lo, half), 8);
        hi = _mm256_srli_epi16(_mm256_add_epi16(hi, half), 8);
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out + x), _mm256_packus_epi16(lo, hi));
    }
    BlendRowsPlain(a + x, b + x, w, out + x, n - x);
    _mm_sfence();
}

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

// The code each kind of request runs here.
ScalerCode Resolve(ScalerCode code) {
    if (code == ScalerCode::Fastest) {
#if defined(SPRAYDASH_AVX2)
        if (HasAvx2()) return ScalerCode::Vector256;
#endif
#if defined(__SSE2__)
        return ScalerCode::Vector128;
#else
        return ScalerCode::Plain;
#endif
    }
    return ScalerCodeAvailable(code) ? code : ScalerCode::Plain;
}

struct RowCode {
    void (*Convert)(ScalePlan&, const uint16_t*);
    void (*Widen)(const ScalePlan&, uint32_t*);
    void (*Blend)(const uint32_t*, const uint32_t*, uint32_t, uint32_t*, int);
};

RowCode CodeFor(ScalerCode code) {
    switch (Resolve(code)) {
#if defined(SPRAYDASH_AVX2)
    case ScalerCode::Vector256:
        return {ConvertAvx2, WidenAvx2, BlendRowsAvx2};
#endif
#if defined(__SSE2__)
    case ScalerCode::Vector128:
        return {ConvertVector, WidenVector, BlendRowsVector};
#endif
    default:
        return {Convert, WidenPlain, BlendRowsPlain};
    }
}

// The working slot holding picture row `row` widened, filling the slot other than `keep`.
int Widened(ScalePlan& plan, int row, int keep, const uint16_t* pixels, int pitchPixels,
            const RowCode& code) {
    for (int s = 0; s < 2; ++s)
        if (plan.WideRow[s] == row) return s;
    const int slot = keep == 0 ? 1 : 0;
    code.Convert(plan, pixels + size_t(row) * size_t(pitchPixels));
    code.Widen(plan, plan.Wide[slot].data());
    plan.WideRow[slot] = row;
    return slot;
}

} // namespace

uint32_t TargetColour(uint16_t picture, const PixelFormat32& format) {
    const uint32_t r = picture >> 11, g = (picture >> 5) & 63u, b = picture & 31u;
    return ((r << 3 | r >> 2) << format.RedShift) | ((g << 2 | g >> 4) << format.GreenShift) |
           ((b << 3 | b >> 2) << format.BlueShift) | format.AlphaMask;
}

ScalePlan PlanScale(Size picture, Size target, int wholeScale, PixelFormat32 format) {
    ScalePlan plan;
    plan.Picture = picture;
    plan.Target = target;
    plan.Format = format;
    plan.WholeScale = std::max(1, wholeScale);
    if (picture.W <= 0 || picture.H <= 0 || target.W <= 0 || target.H <= 0) {
        plan.Target = {};
        return plan;
    }
    plan.Column.resize(size_t(target.W));
    plan.ColumnWeights.resize(size_t(target.W) * 8);
    for (int x = 0; x < target.W; ++x) {
        const Sample s = SampleAt(x, target.W, picture.W, plan.WholeScale);
        plan.Column[size_t(x)] = s.From;
        std::fill_n(plan.ColumnWeights.begin() + 8 * x, 4, uint16_t(256 - s.Weight));
        std::fill_n(plan.ColumnWeights.begin() + 8 * x + 4, 4, uint16_t(s.Weight));
    }
    plan.Row.resize(size_t(target.H));
    plan.RowWeight.resize(size_t(target.H));
    for (int y = 0; y < target.H; ++y) {
        const Sample s = SampleAt(y, target.H, picture.H, plan.WholeScale);
        plan.Row[size_t(y)] = s.From;
        plan.RowWeight[size_t(y)] = s.Weight;
    }
    plan.Colours.resize(65536);
    for (uint32_t c = 0; c < 65536; ++c)
        plan.Colours[c] = TargetColour(uint16_t(c), format);
    plan.Converted.resize(size_t(picture.W) + 1);
    for (auto& w : plan.Wide)
        w.resize(size_t(target.W));
    return plan;
}

bool ScalerCodeAvailable(ScalerCode code) {
    switch (code) {
    case ScalerCode::Vector256:
#if defined(SPRAYDASH_AVX2)
        return HasAvx2();
#else
        return false;
#endif
    case ScalerCode::Vector128:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    default:
        return true;
    }
}

void ScalePicture(ScalePlan& plan, const uint16_t* pixels, int pitchPixels, uint8_t* target,
                  int targetPitchBytes, ScalerCode code) {
    const RowCode rows = CodeFor(code);
    const int n = plan.Target.W;
    plan.WideRow[0] = plan.WideRow[1] = -1; // a new frame
    for (int y = 0; y < plan.Target.H; ++y) {
        uint32_t* out = reinterpret_cast<uint32_t*>(target + size_t(y) * size_t(targetPitchBytes));
        const int from = plan.Row[size_t(y)], w = plan.RowWeight[size_t(y)];
        const int a = Widened(plan, from, -1, pixels, pitchPixels, rows);
        if (w == 0) {
            std::memcpy(out, plan.Wide[a].data(), size_t(n) * 4);
            continue;
        }
        const int b = Widened(plan, from + 1, a, pixels, pitchPixels, rows);
        rows.Blend(plan.Wide[a].data(), plan.Wide[b].data(), uint32_t(w), out, n);
    }
}

} // namespace platform
