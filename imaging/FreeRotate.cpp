#include "imaging/FreeRotate.h"

#include "imaging/FreeRotateWide.h"
#include "imaging/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#if PM_AVX2_LOOPS
#include <immintrin.h>
#endif

namespace pm {

namespace {

// Sides a hair over a whole number come from rounding in sin and cos, not
// from the angle.
int CanvasSide(double extent) {
    return static_cast<int>(std::ceil(extent - 1e-6));
}

}  // namespace

void TurnedSize(int w, int h, double degrees, int& outW, int& outH) {
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::fabs(std::cos(a)), s = std::fabs(std::sin(a));
    outW = CanvasSide(w * c + h * s);
    outH = CanvasSide(w * s + h * c);
    if (outW < 1) outW = 1;
    if (outH < 1) outH = 1;
}

namespace {

long long FloorDiv(long long a, long long b) {  // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The steps u in [0, n) whose whole part of p0 + u * step (32.32 fixed
// point) lies in lo .. hi, as the interval [first, end); empty when first >=
// end.
void Span(long long p0, long long step, long long lo, long long hi, int n, int& first, int& end) {
    const long long a = lo * (1LL << 32) - p0, b = (hi + 1) * (1LL << 32) - p0;  // a <= u * step < b
    long long f = 0, e = n;
    if (step > 0) {
        f = FloorDiv(a + step - 1, step);
        e = FloorDiv(b + step - 1, step);
    } else if (step < 0) {
        f = FloorDiv(-b, -step) + 1;
        e = FloorDiv(-a, -step) + 1;
    } else if (a > 0 || b <= 0) {
        e = 0;
    }
    first = int(std::clamp<long long>(f, 0, n));
    end = int(std::clamp<long long>(e, 0, n));
}

struct TTurnSource {
    const TFastDIB& src;
    TColorTriple background;
    int w, h;
    long long stride;

    // Line y of the picture, column x.
    const std::uint8_t* At(long long x, long long y) const { return src.Row(h - 1 - int(y)) + 3 * x; }

    // Bilinear with 8-bit weights, rounded: 256 puts the whole weight on the
    // next pixel.
    static void Mix(const std::uint8_t* p00, const std::uint8_t* p10, const std::uint8_t* p01,
                    const std::uint8_t* p11, long long px, long long py, std::uint8_t* d) {
        const int wx = int(((px & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
        const int wy = int(((py & 0xFFFFFFFFLL) + (1LL << 23)) >> 24);
        for (int c = 0; c < 3; ++c) {
            const int top = (256 - wx) * p00[c] + wx * p10[c], bottom = (256 - wx) * p01[c] + wx * p11[c];
            d[c] = std::uint8_t(((256 - wy) * top + wy * bottom + 32768) >> 16);
        }
    }

    // A pixel whose four source pixels may lie outside the picture: those
    // count as the background.
    void Edge(long long px, long long py, std::uint8_t* d) const {
        const long long x = px >> 32, y = py >> 32;  // floor
        const auto at = [&](long long cx, long long cy) {
            return (cx < 0 || cy < 0 || cx >= w || cy >= h) ? &background.b : At(cx, cy);
        };
        Mix(at(x, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1), px, py, d);
    }

    // A pixel whose four source pixels are all inside: line y + 1 is the
    // stored row below line y.
    void Inside(long long px, long long py, std::uint8_t* d) const {
        const std::uint8_t* p00 = At(px >> 32, py >> 32);
        Mix(p00, p00 + 3, p00 - stride, p00 - stride + 3, px, py, d);
    }
};

#if PM_AVX2_LOOPS
#define PM_AVX2 [[gnu::target("avx2"), gnu::always_inline]] inline

PM_AVX2 __m256i Weigh(__m256i a, __m256i b, __m256i weight) {
    return _mm256_add_epi32(_mm256_slli_epi32(a, 8), _mm256_mullo_epi32(weight, _mm256_sub_epi32(b, a)));
}

// The same for bytes a and b: b - a and the weight fit 16 signed bits, and
// the weight's upper half is zero, so one multiply-add of 16-bit pairs gives
// the exact product.
PM_AVX2 __m256i WeighBytes(__m256i a, __m256i b, __m256i weight) {
    return _mm256_add_epi32(_mm256_slli_epi32(a, 8), _mm256_madd_epi16(weight, _mm256_sub_epi32(b, a)));
}

// Byte `index` of each 32-bit lane, alone in its lane.
template <int index> PM_AVX2 __m256i Channel(__m256i g) {
    constexpr auto at = [](int lane) { return char(4 * lane + index); };
    const __m256i pick =
        _mm256_setr_epi8(at(0), -1, -1, -1, at(1), -1, -1, -1, at(2), -1, -1, -1, at(3), -1, -1, -1, at(0),
                         -1, -1, -1, at(1), -1, -1, -1, at(2), -1, -1, -1, at(3), -1, -1, -1);
    return _mm256_shuffle_epi8(g, pick);
}

// Channel `index` of the bilinear mix of the four neighbours, in its byte
// of the lane.
template <int index>
PM_AVX2 __m256i MixChannel(__m256i g00, __m256i g10, __m256i g01, __m256i g11, __m256i wx, __m256i wy) {
    const __m256i upper = WeighBytes(Channel<index>(g00), Channel<index>(g10), wx);
    const __m256i lower = WeighBytes(Channel<index>(g01), Channel<index>(g11), wx);
    const __m256i value =
        _mm256_srli_epi32(_mm256_add_epi32(Weigh(upper, lower, wy), _mm256_set1_epi32(32768)), 16);
    return _mm256_slli_epi32(value, 8 * index);
}

// (fraction + 2^23) >> 24 without overflowing 32 bits.
PM_AVX2 __m256i Weight(__m256i fraction) {
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_srli_epi32(fraction, 23), _mm256_set1_epi32(1)), 1);
}

// One step of eight lanes: the fraction's carry (unsigned wrap, old above
// new) goes into the whole part.
PM_AVX2 void Advance(__m256i& whole, __m256i& fraction, __m256i stepWhole, __m256i stepFraction) {
    const __m256i sign = _mm256_set1_epi32(std::int32_t(0x80000000u));
    const __m256i next = _mm256_add_epi32(fraction, stepFraction);
    const __m256i carry = _mm256_cmpgt_epi32(_mm256_xor_si256(fraction, sign), _mm256_xor_si256(next, sign));
    whole = _mm256_sub_epi32(_mm256_add_epi32(whole, stepWhole), carry);
    fraction = next;
}

// Lanes p + i * step, i = 0 .. 7, as whole parts and fractions, and the step
// of eight lanes the same way.
PM_AVX2 void Lanes(long long p, long long step, __m256i& whole, __m256i& fraction, __m256i& stepWhole,
                   __m256i& stepFraction) {
    alignas(32) std::int32_t w[8], f[8];
    for (int i = 0; i < 8; ++i) {
        w[i] = std::int32_t((p + i * step) >> 32);
        f[i] = std::int32_t(std::uint32_t(p + i * step));
    }
    whole = _mm256_load_si256(reinterpret_cast<const __m256i*>(w));
    fraction = _mm256_load_si256(reinterpret_cast<const __m256i*>(f));
    stepWhole = _mm256_set1_epi32(std::int32_t((8 * step) >> 32));
    stepFraction = _mm256_set1_epi32(std::int32_t(std::uint32_t(8 * step)));
}

// Pixels inside the picture eight at a time: the source positions as 32.32
// fixed point in two 32-bit halves, the four neighbours gathered as 32-bit
// words, the two weighings of the scalar mix written as 256 * a + weight *
// (b - a), which is the same number. `top` is line 0 of the picture.
// Returns how many pixels it did, a whole number of eights.
[[gnu::target("avx2")]] int InsideAvx2(const std::uint8_t* top, long long stride, long long px, long long py,
                                       long long stepX, long long stepY, int count, std::uint8_t* d) {
    if (count < 8) return 0;
    __m256i hx, lx, stepHx, stepLx, hy, ly, stepHy, stepLy;
    Lanes(px, stepX, hx, lx, stepHx, stepLx);
    Lanes(py, stepY, hy, ly, stepHy, stepLy);
    const __m256i lineStep = _mm256_set1_epi32(std::int32_t(stride));
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const auto* base = reinterpret_cast<const int*>(top);
    const auto* right = reinterpret_cast<const int*>(top + 2);  // ends at the pixel's last byte
    const auto* below = reinterpret_cast<const int*>(top - stride);
    const auto* belowRight = reinterpret_cast<const int*>(top - stride + 2);
    int done = 0;
    for (; done + 8 <= count; done += 8, d += 24) {
        const __m256i offset = _mm256_sub_epi32(_mm256_add_epi32(hx, _mm256_add_epi32(hx, hx)),
                                                _mm256_mullo_epi32(hy, lineStep));
        const __m256i wx = Weight(lx), wy = Weight(ly);
        const __m256i g00 = _mm256_i32gather_epi32(base, offset, 1);
        const __m256i g10 = _mm256_srli_epi32(_mm256_i32gather_epi32(right, offset, 1), 8);
        const __m256i g01 = _mm256_i32gather_epi32(below, offset, 1);
        const __m256i g11 = _mm256_srli_epi32(_mm256_i32gather_epi32(belowRight, offset, 1), 8);
        const __m256i result = _mm256_or_si256(_mm256_or_si256(MixChannel<0>(g00, g10, g01, g11, wx, wy),
                                                               MixChannel<1>(g00, g10, g01, g11, wx, wy)),
                                               MixChannel<2>(g00, g10, g01, g11, wx, wy));
        // Three bytes a pixel; the first store's last four bytes are
        // overwritten by the second.
        const __m128i first = _mm_shuffle_epi8(_mm256_castsi256_si128(result), pack);
        const __m128i second = _mm_shuffle_epi8(_mm256_extracti128_si256(result, 1), pack);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), first);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 12), second);
        const std::int32_t last = _mm_extract_epi32(second, 2);
        std::memcpy(d + 20, &last, 4);
        Advance(hx, lx, stepHx, stepLx);
        Advance(hy, ly, stepHy, stepLy);
    }
    return done;
}
#undef PM_AVX2
#endif

}  // namespace

void FreeRotate(const TFastDIB& src, double degrees, bool mirrorX, bool mirrorY, TColorTriple background,
                TFastDIB& out) {
    const int w = src.Width(), h = src.Height();
    int ow = 0, oh = 0;
    TurnedSize(w, h, degrees, ow, oh);
    out.SetSizeForOverwrite(ow, oh, 24);  // every pixel is written below
    const double a = degrees * std::numbers::pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    // Picture coordinates, y downward, pixel centres at half units: the
    // output pixel (u, v) samples the source at the inverse turn of its
    // offset from the canvas centre; a mirror then reflects that position.
    const double sx = mirrorX ? -1.0 : 1.0, sy = mirrorY ? -1.0 : 1.0;
    // Source position of (u, v) = base + u * du + v * dv, in pixel-index units.
    const double du_x = sx * c, du_y = sy * -s;
    const double dv_x = sx * s, dv_y = sy * c;
    const double u0 = 0.5 - ow / 2.0, v0 = 0.5 - oh / 2.0;
    const double base_x = sx * (u0 * c + v0 * s) + w / 2.0 - 0.5;
    const double base_y = sy * (-u0 * s + v0 * c) + h / 2.0 - 0.5;
    // Positions in 32.32 fixed point, stepped by whole-number additions; the
    // step's rounding drifts less than a millionth of a pixel along a line.
    constexpr double kOne = 4294967296.0;
    const long long stepX = std::llround(du_x * kOne), stepY = std::llround(du_y * kOne);
    const TTurnSource source{src, background, w, h, src.Stride()};
    // A line of background to copy the spans outside the picture from.
    std::vector<TColorTriple> blank(std::size_t(ow), background);
#if PM_AVX2_LOOPS
    // The gathers take 32-bit offsets from line 0.
    const bool vectors = ActiveLoopPath() == TLoopPath::Avx2 && src.Size() < (std::size_t(1) << 31);
    const std::uint8_t* top = src.Row(h - 1);
    const bool wide = vectors && Avx512LoopsActive() && Avx512TurnUsable();
    // Near level, a line of the result takes pixels from many lines of the
    // picture, far apart in memory, where the processor does not fetch ahead
    // by itself; and the next line of the result mostly the next ones. So
    // the pixels of a line some lines on are asked for early, about one per
    // step of the vector loops: a turn by a few degrees takes half the time.
    // From about 8 degrees on, the lines a step touches are fetched in time
    // without it.
    const bool fetchEarly = vectors && std::abs(du_y) < 0.14;
    constexpr int kFetchAhead = 16;
    const auto fetchAhead = [&](int v) {
        const long long px = std::llround((base_x + v * dv_x) * kOne),
                        py = std::llround((base_y + v * dv_y) * kOne);
        int first, end, firstY, endY;
        Span(px, stepX, 0, w - 2, ow, first, end);
        Span(py, stepY, 0, h - 2, ow, firstY, endY);
        for (int u = std::max(first, firstY); u < std::min(end, endY); u += 16) {
            const std::uint8_t* p =
                top - ((py + u * stepY) >> 32) * source.stride + 3 * ((px + u * stepX) >> 32);
            __builtin_prefetch(p);
            __builtin_prefetch(p - source.stride);
        }
    };
#endif
    for (int v = 0; v < oh; ++v) {
#if PM_AVX2_LOOPS
        if (fetchEarly && v + kFetchAhead < oh) fetchAhead(v + kFetchAhead);
#endif
        TColorTriple* line = out.Row24(oh - 1 - v);
        const long long px0 = std::llround((base_x + v * dv_x) * kOne),
                        py0 = std::llround((base_y + v * dv_y) * kOne);
        // Each line in up to five spans: the background, pixels at the
        // picture's edge, pixels inside it, the edge again, the background.
        int nearFirst, nearEnd, first, end;
        Span(px0, stepX, -1, w - 1, ow, nearFirst, nearEnd);
        Span(py0, stepY, -1, h - 1, ow, first, end);
        nearFirst = std::max(nearFirst, first);
        nearEnd = std::max(nearFirst, std::min(nearEnd, end));
        int inFirst, inEnd;
        Span(px0, stepX, 0, w - 2, ow, inFirst, inEnd);
        Span(py0, stepY, 0, h - 2, ow, first, end);
        inFirst = std::clamp(std::max(inFirst, first), nearFirst, nearEnd);
        inEnd = std::clamp(std::min(inEnd, end), inFirst, nearEnd);
        std::copy_n(blank.begin(), nearFirst, line);
        std::copy_n(blank.begin(), ow - nearEnd, line + nearEnd);
        for (int u = nearFirst; u < inFirst; ++u) source.Edge(px0 + u * stepX, py0 + u * stepY, &line[u].b);
        int u = inFirst;
#if PM_AVX2_LOOPS
        if (wide)
            u += InsideAvx512(top, source.stride, px0 + u * stepX, py0 + u * stepY, stepX, stepY, inEnd - u,
                              &line[u].b);
        if (vectors)
            u += InsideAvx2(top, source.stride, px0 + u * stepX, py0 + u * stepY, stepX, stepY, inEnd - u,
                            &line[u].b);
#endif
        for (; u < inEnd; ++u) source.Inside(px0 + u * stepX, py0 + u * stepY, &line[u].b);
        for (int u = inEnd; u < nearEnd; ++u) source.Edge(px0 + u * stepX, py0 + u * stepY, &line[u].b);
    }
}

}  // namespace pm
