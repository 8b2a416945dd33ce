#include "imaging/UnsharpMask.h"

#include "imaging/UnsharpMaskAvx512.h"
#include "imaging/VectorLoops.h"

#include <algorithm>
#include <cmath>

#if PM_AVX2_LOOPS
#include <immintrin.h>
#endif

namespace pm {

std::vector<std::uint32_t> GaussianTaps(double sigma) {
    const int r = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
    std::vector<double> g(std::size_t(2 * r + 1));
    double sum = 0;
    for (int k = -r; k <= r; ++k) sum += g[std::size_t(k + r)] = std::exp(-0.5 * k * k / (sigma * sigma));
    std::vector<std::uint32_t> taps(g.size());
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < g.size(); ++i)
        total += taps[i] = std::uint32_t(std::lround(g[i] / sum * 16384));
    taps[std::size_t(r)] += 16384 - total;
    return taps;
}

namespace {

// Values a loop takes at a time, so that its sums stay in the first-level
// cache.
constexpr std::size_t kBlock = 256;

// One row blurred across: the row `padded` holds r repeated border pixels on
// each side; the result keeps 8 fractional bits. Taps in the outer loop, so
// the inner one runs along the row; the taps are symmetric, so each weight
// multiplies the sum of a pair.
PM_LOOP_BODY void BlurAcrossLoop(const std::uint8_t* __restrict padded, const std::uint32_t* taps, int r,
                                 std::size_t n, std::uint16_t* __restrict out) {
    std::uint32_t across[kBlock];
    for (std::size_t i0 = 0; i0 < n; i0 += kBlock) {
        const std::size_t len = std::min(kBlock, n - i0);
        const std::uint8_t* at = padded + i0;
        {
            const std::uint32_t t = taps[r];
            const std::uint8_t* c = at + std::size_t(r) * 3;
            for (std::size_t i = 0; i < len; ++i) across[i] = t * c[i];
        }
        for (int k = 1; k <= r; ++k) {
            const std::uint32_t t = taps[r + k];
            const std::uint8_t* a = at + std::size_t(r - k) * 3;
            const std::uint8_t* b = at + std::size_t(r + k) * 3;
            for (std::size_t i = 0; i < len; ++i) across[i] += t * std::uint32_t(a[i] + b[i]);
        }
        for (std::size_t i = 0; i < len; ++i) out[i0 + i] = std::uint16_t((across[i] + 32) >> 6);
    }
}

// One line blurred down from the rows blurred across (lines[k] is the row at
// offset k - r) and mixed into the picture row `p`, a block at a time. The
// mix has no branch so that it runs over whole vectors: values whose
// difference stays under the threshold are written back as they are.
PM_LOOP_BODY void BlurDownAndMixLoop(const std::uint16_t* const* lines, const std::uint32_t* taps, int r,
                                     std::size_t n, const std::uint8_t* __restrict src,
                                     std::uint8_t* __restrict dst, int amountPercent, int limit) {
    std::uint32_t column[kBlock];
    for (std::size_t i0 = 0; i0 < n; i0 += kBlock) {
        const std::size_t len = std::min(kBlock, n - i0);
        {
            const std::uint32_t t = taps[r];
            const std::uint16_t* __restrict c = lines[r] + i0;
            for (std::size_t i = 0; i < len; ++i) column[i] = t * c[i];
        }
        for (int k = 1; k <= r; ++k) {
            const std::uint32_t t = taps[r + k];
            const std::uint16_t* __restrict a = lines[r - k] + i0, * __restrict b = lines[r + k] + i0;
            for (std::size_t i = 0; i < len; ++i) column[i] += t * (std::uint32_t(a[i]) + b[i]);
        }
        const std::uint8_t* __restrict q = src + i0;
        std::uint8_t* __restrict out = dst + i0;
        for (std::size_t i = 0; i < len; ++i) {
            const int smooth = int((column[i] + 8192) >> 14);
            const int diff = q[i] * 256 - smooth;
            const int m = amountPercent * diff;
            // Halves round away from zero. (x + 12800) / 25600 as the quotient
            // by 25 of x shifted by 10, a multiply and a shift, exact for every
            // x up to 500 * 65280.
            const std::uint32_t shifted = (std::uint32_t(m < 0 ? -m : m) + 12800u) >> 10;
            const int size = int((shifted * 41944u) >> 20);
            const int step = m < 0 ? -size : size;
            const int moved = std::clamp(q[i] + step, 0, 255);
            const bool keep = (diff < 0 ? -diff : diff) < limit;
            out[i] = std::uint8_t(keep ? q[i] : moved);
        }
    }
}

#if PM_AVX2_LOOPS
#define PM_AVX2 [[gnu::target("avx2"), gnu::always_inline]] inline

// Sixteen blurred values less 32768, which fits them in 16 signed bits.
PM_AVX2 __m256i Centred(const std::uint16_t* v) {
    return _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v)),
                            _mm256_set1_epi16(std::int16_t(0x8000)));
}

// The mix of BlurDownAndMixLoop on eight values q, `sum` being the blur
// down of the centred values; the result still to be clamped.
PM_AVX2 __m256i MixEight(__m256i q, __m256i sum, __m256i amount, __m256i limit) {
    // The 32768 taken from each value comes back as 32768 times the taps'
    // sum (1 << 14), 1 << 29 in all, which is 32768 after the shift.
    const __m256i smooth = _mm256_srai_epi32(_mm256_add_epi32(sum, _mm256_set1_epi32(8192)), 14);
    const __m256i diff =
        _mm256_sub_epi32(_mm256_sub_epi32(_mm256_slli_epi32(q, 8), _mm256_set1_epi32(32768)), smooth);
    const __m256i m = _mm256_mullo_epi32(amount, diff);
    const __m256i shifted =
        _mm256_srli_epi32(_mm256_add_epi32(_mm256_abs_epi32(m), _mm256_set1_epi32(12800)), 10);
    const __m256i size = _mm256_srli_epi32(_mm256_mullo_epi32(shifted, _mm256_set1_epi32(41944)), 20);
    const __m256i moved = _mm256_add_epi32(q, _mm256_sign_epi32(size, m));
    const __m256i keep = _mm256_cmpgt_epi32(limit, _mm256_abs_epi32(diff));
    return _mm256_blendv_epi8(moved, q, keep);
}

// BlurDownAndMixLoop sixteen values at a time with multiplies that add
// pairs of 16-bit products: a tap times the sum of a pair of centred values
// is one of them. The unpacks put values 0-3 and 8-11 in one half, 4-7 and
// 12-15 in the other; the packs at the end undo that. Returns how many
// values it did.
[[gnu::target("avx2")]] std::size_t BlurDownAndMixAvx2(const std::uint16_t* const* lines,
                                                       const std::uint32_t* taps, int r, std::size_t n,
                                                       const std::uint8_t* src, std::uint8_t* dst,
                                                       int amountPercent, int limit) {
    const __m256i centre = _mm256_set1_epi32(std::int32_t(taps[r]));  // pairs (tap, 0)
    const __m256i amount = _mm256_set1_epi32(amountPercent), under = _mm256_set1_epi32(limit);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i c = Centred(lines[r] + i);
        __m256i low = _mm256_madd_epi16(_mm256_unpacklo_epi16(c, c), centre);
        __m256i high = _mm256_madd_epi16(_mm256_unpackhi_epi16(c, c), centre);
        for (int k = 1; k <= r; ++k) {
            const __m256i t = _mm256_set1_epi32(std::int32_t(taps[r + k] * 0x10001u));
            const __m256i a = Centred(lines[r - k] + i), b = Centred(lines[r + k] + i);
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), t));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), t));
        }
        const __m256i q = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
        const __m256i zero = _mm256_setzero_si256();
        const __m256i mixed =
            _mm256_packs_epi32(MixEight(_mm256_unpacklo_epi16(q, zero), low, amount, under),
                               MixEight(_mm256_unpackhi_epi16(q, zero), high, amount, under));
        // Clamped to bytes; values 0-7 in the first quarter, 8-15 in the third.
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(mixed, mixed), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm256_castsi256_si128(bytes));
    }
    return i;
}

// Sixteen bytes from pixel `pixel` on, widened to 16 bits.
PM_AVX2 __m256i Widened(const std::uint8_t* at, int pixel) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 3 * pixel)));
}

// BlurAcrossLoop sixteen values at a time the same way; the bytes need no
// centring.
[[gnu::target("avx2")]] std::size_t BlurAcrossAvx2(const std::uint8_t* padded, const std::uint32_t* taps,
                                                   int r, std::size_t n, std::uint16_t* out) {
    const __m256i centre = _mm256_set1_epi32(std::int32_t(taps[r]));  // pairs (tap, 0)
    const __m256i half = _mm256_set1_epi32(32);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const std::uint8_t* at = padded + i;
        const __m256i c = Widened(at, r);
        __m256i low = _mm256_madd_epi16(_mm256_unpacklo_epi16(c, c), centre);
        __m256i high = _mm256_madd_epi16(_mm256_unpackhi_epi16(c, c), centre);
        for (int k = 1; k <= r; ++k) {
            const __m256i t = _mm256_set1_epi32(std::int32_t(taps[r + k] * 0x10001u));
            const __m256i a = Widened(at, r - k), b = Widened(at, r + k);
            low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), t));
            high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), t));
        }
        const __m256i rounded = _mm256_packus_epi32(_mm256_srli_epi32(_mm256_add_epi32(low, half), 6),
                                                    _mm256_srli_epi32(_mm256_add_epi32(high, half), 6));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), rounded);
    }
    return i;
}

#undef PM_AVX2
#endif

constexpr auto BlurAcross = TLoopVersions<BlurAcrossLoop>::Run;
constexpr auto BlurDownAndMix = TLoopVersions<BlurDownAndMixLoop>::Run;

}  // namespace

void UnsharpMask(const TFastDIB& source, TFastDIB& out, double sigma, int amountPercent, int threshold) {
    const int w = source.Width(), h = source.Height();
    if (w < 1 || h < 1 || source.Bpp() != 24) return;
    const std::size_t n = std::size_t(w) * 3;
    const std::vector<std::uint32_t> taps = GaussianTaps(sigma);
    // A blur so narrow that it keeps every value, or no amount, leaves the
    // picture as it is.
    if (amountPercent == 0 || taps[taps.size() / 2] == 1u << 14) {
        for (int row = 0; row < h; ++row) std::copy_n(source.Row(row), n, out.Row(row));
        return;
    }
    const int r = int(taps.size() / 2);
    const int ring = 2 * r + 1;
    std::vector<std::uint8_t> padded(std::size_t(w + 2 * r) * 3);
    std::vector<const std::uint16_t*> lines(static_cast<std::size_t>(ring));
    const std::size_t reach = std::size_t(r) * 3;  // values a tap reaches on either side
    // The values from - reach .. end + reach of `src` into `to`, the border
    // pixels repeated beyond the row's ends.
    const auto paddedPart = [&](const std::uint8_t* src, std::size_t from, std::size_t end,
                                std::vector<std::uint8_t>& to) {
        const long long first = static_cast<long long>(from) - static_cast<long long>(reach);  // to[0]
        const long long count = static_cast<long long>(end - from + 2 * reach);
        long long j = 0;
        for (; j < count && first + j < 0; ++j) to[std::size_t(j)] = src[((first + j) % 3 + 3) % 3];
        const long long inside = std::max(0LL, std::min(count - j, static_cast<long long>(n) - (first + j)));
        if (inside > 0) std::copy_n(src + (first + j), inside, to.data() + j);
        // Past the end the last pixel's values, n being a whole number of
        // pixels.
        for (j += inside; j < count; ++j) to[std::size_t(j)] = src[n - 3 + std::size_t((first + j) % 3)];
        return to.data();
    };
#if PM_AVX2_LOOPS
    if (Avx512LoopsActive() && Avx512PermutesAvailable()) {
        // Rows 2m and 2m + 1 (clamped) blurred across together into pair m,
        // as the multiply-adds take them; a line takes the r + 1 pairs from
        // the one of row - r on, weighed by the taps of its alignment (the
        // tap past either end is 0).
        const int count = r + 1;
        const auto tapAt = [&](int k) { return k < 0 || k > 2 * r ? 0u : taps[std::size_t(k)]; };
        // Even alignment, then odd, each followed by two zeros.
        std::vector<std::uint32_t> pairTaps(2 * std::size_t(count + 2));
        for (int j = 0; j < count; ++j) {
            pairTaps[std::size_t(j)] = tapAt(2 * j) | tapAt(2 * j + 1) << 16;
            pairTaps[std::size_t(count + 2 + j)] = tapAt(2 * j - 1) | tapAt(2 * j) << 16;
        }
        const std::vector<std::uint32_t> quadTaps = QuadTaps(taps);
        std::vector<std::uint8_t> paddedSecond(padded.size());
        std::vector<std::uint32_t> scratch(AcrossScratchWords(r));
        // Up to four lines at a time take a ring of r + 3 pairs. The picture
        // goes in strips of whole steps of 32 values, narrow enough that the
        // ring stays in the first-level cache, where the blur down reads it
        // many times.
        const int ringSize = count + 2;
        const std::size_t strip = std::clamp<std::size_t>(6144 / std::size_t(ringSize) / 32 * 32, 128, 2048);
        const std::size_t pairSize = PairedRowWords(strip);
        std::vector<std::uint16_t> paired(pairSize * std::size_t(ringSize));
        const auto pairAt = [&](int m) {
            return &paired[std::size_t((m % ringSize + ringSize) % ringSize) * pairSize];
        };
        std::vector<const std::uint16_t*> pairs(static_cast<std::size_t>(ringSize));
        // Straight from the rows where the taps stay inside them, in whole
        // steps of 32 values; the ends through padded copies.
        const std::size_t left = std::min(n, (reach + 31) / 32 * 32);
        const std::size_t right = n >= left + reach ? left + (n - reach - left) / 32 * 32 : left;
        for (std::size_t from = 0; from < n; from += strip) {
            const std::size_t end = std::min(n, from + strip);
            const auto blurPair = [&](int m) {
                const std::uint8_t* a = source.Row(std::clamp(2 * m, 0, h - 1));
                const std::uint8_t* b = source.Row(std::clamp(2 * m + 1, 0, h - 1));
                for (std::size_t part = from; part < end;) {
                    const std::size_t partEnd = std::min(end, part < left ? left : part < right ? right : n);
                    const bool pad = part < left || part >= right;
                    BlurAcrossTwoRowsAvx512(
                        pad ? paddedPart(a, part, partEnd, padded) : a + part - reach,
                        pad ? paddedPart(b, part, partEnd, paddedSecond) : b + part - reach, quadTaps.data(),
                        r, partEnd - part, scratch.data(), pairAt(m) + 2 * (part - from));
                    part = partEnd;
                }
            };
            int made = ((-r) >> 1) - 1;  // pairs blurred so far: up to made
            for (int row = 0; row < h;) {
                const int firstPair = (row - r) >> 1;  // rounded down
                const int alignment = (row - r) & 1;
                // Four lines at a time from the even alignment, whose lines
                // need one paired row fewer: a first line alone if the
                // picture starts odd.
                const int together = row == 0 && alignment ? 1 : std::min(4, h - row);
                const int needed = ((alignment + together - 1) >> 1) + count;
                while (made < firstPair + needed - 1) blurPair(++made);
                for (int j = 0; j < needed; ++j) pairs[std::size_t(j)] = pairAt(firstPair + j);
                const std::uint8_t* src[4];
                std::uint8_t* dst[4];
                for (int l = 0; l < together; ++l) {
                    src[l] = source.Row(row + l) + from;
                    dst[l] = out.Row(row + l) + from;
                }
                BlurDownPairsAndMixAvx512(pairs.data(), pairTaps.data(), count, alignment, together,
                                          end - from, src, dst, amountPercent, threshold * 256);
                row += together;
            }
        }
        return;
    }
    const bool avx2 = ActiveLoopPath() == TLoopPath::Avx2;
#endif
    // Row `row` blurred across into `blurredRow`.
    const auto blurRow = [&](int row, std::uint16_t* blurredRow) {
        const std::uint8_t* src = source.Row(row);
#if PM_AVX2_LOOPS
        // Straight from the row where the taps stay inside it, the ends
        // through a padded copy of their few values.
        if (avx2 && n >= 2 * reach + 16) {
            const std::size_t to =
                reach + BlurAcrossAvx2(src, taps.data(), r, n - 2 * reach, blurredRow + reach);
            BlurAcross(paddedPart(src, 0, reach, padded), taps.data(), r, reach, blurredRow);
            if (to < n) BlurAcross(paddedPart(src, to, n, padded), taps.data(), r, n - to, blurredRow + to);
            return;
        }
#endif
        BlurAcross(paddedPart(src, 0, n, padded), taps.data(), r, n, blurredRow);
    };
    // Horizontally blurred rows (value * 256), a ring of 2r + 1 of them: row
    // i lives in slot i mod (2r + 1). The rows a line needs are distinct
    // slots, clamped ones included.
    std::vector<std::uint16_t> blurred(n * std::size_t(ring));
    int ready = -1;  // rows blurred so far: 0 .. ready
    for (int row = 0; row < h; ++row) {
        for (; ready < std::min(h - 1, row + r); ++ready)
            blurRow(ready + 1, &blurred[std::size_t((ready + 1) % ring) * n]);
        for (int k = -r; k <= r; ++k)
            lines[std::size_t(k + r)] = &blurred[std::size_t(std::clamp(row + k, 0, h - 1) % ring) * n];
        const std::uint8_t* p = source.Row(row);
        std::uint8_t* q = out.Row(row);
        std::size_t done = 0;
#if PM_AVX2_LOOPS
        if (avx2)
            done = BlurDownAndMixAvx2(lines.data(), taps.data(), r, n, p, q, amountPercent, threshold * 256);
#endif
        if (done == n) continue;
        for (std::size_t k = 0; k < lines.size(); ++k) lines[k] += done;
        BlurDownAndMix(lines.data(), taps.data(), r, n - done, p + done, q + done, amountPercent,
                       threshold * 256);
    }
}

}  // namespace pm
