#include "imaging/UnsharpMaskAvx512.h"

#if PM_AVX2_LOOPS
// GCC 12's 512-bit shifts start from an "undefined" vector, which
// -Wmaybe-uninitialized takes for a fault.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <algorithm>
#include <array>

namespace pm {

namespace {

#define PM_AVX512_FUNCTION [[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni,avx512vbmi")]]
#define PM_AVX512                                                                                            \
    [[gnu::target("avx512f,avx512bw,avx512vl,avx512vnni,avx512vbmi"), gnu::always_inline]] inline

// The multiply-adds as single instructions: GCC 12 copies the sum in and
// out around their intrinsics, which nearly doubles the instructions of the
// loops below; the instructions themselves add in place.
//
// sum += the products of the pairs of 16-bit `values` and `taps`, added by
// pairs.
PM_AVX512 void AddProducts(__m512i& sum, __m512i values, __m512i taps) {
    __asm__("vpdpwssd %2, %1, %0" : "+v"(sum) : "v"(values), "v"(taps));
}

// The same with the pair of taps at `tap`, broadcast from memory.
PM_AVX512 void AddProductsWithTap(__m512i& sum, __m512i values, const std::uint32_t* tap) {
    __asm__("vpdpwssd %2%{1to16%}, %1, %0" : "+v"(sum) : "v"(values), "m"(*tap));
}

// sum += the products of the unsigned bytes of `values` and the signed
// bytes of `weights`, added by fours.
PM_AVX512 void AddByteProducts(__m512i& sum, __m512i values, __m512i weights) {
    __asm__("vpdpbusd %2, %1, %0" : "+v"(sum) : "v"(values), "v"(weights));
}

// The lanes of a step that holds `left` values or more.
PM_AVX512 __mmask32 StepMask(std::size_t left) {
    return left >= 32 ? ~__mmask32(0) : __mmask32((1u << left) - 1);
}

// Up to 32 bytes from `at` on, widened to 16 bits.
PM_AVX512 __m512i Widened(__mmask32 lanes, const std::uint8_t* at) {
    return _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(lanes, at));
}

// The mix of the plain loop on 32 values in 16-bit lanes: `q` the bytes
// widened, `smooth` the blurred values plus 32768, so that a difference
// (at most 65280 either way) fits 16 bits as a sign and a size.
// `amount128` is the amount times 128. The result still to be clamped.
PM_AVX512 __m512i MixThirtyTwo(__m512i q, __m512i smooth, __m512i amount128, __m512i limit) {
    const __m512i scaled = _mm512_slli_epi16(q, 8);
    const __m512i apart =
        _mm512_or_si512(_mm512_subs_epu16(scaled, smooth), _mm512_subs_epu16(smooth, scaled));
    const __mmask32 negative = _mm512_cmplt_epu16_mask(scaled, smooth);
    // (amount * apart + 12800) >> 10 is (floor(amount * apart / 512) + 25)
    // >> 1, the bits dropped being worth less than 512; at most 31887.
    const __m512i shifted =
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mulhi_epu16(apart, amount128), _mm512_set1_epi16(25)), 1);
    // (shifted * 41944) >> 20 as the high half of the product shifted by 4.
    const __m512i size = _mm512_srli_epi16(
        _mm512_mulhi_epu16(shifted, _mm512_set1_epi16(std::int16_t(std::uint16_t(41944)))), 4);
    const __m512i moved = _mm512_mask_sub_epi16(_mm512_add_epi16(q, size), negative, q, size);
    return _mm512_mask_mov_epi16(moved, _mm512_cmplt_epu16_mask(apart, limit), q);
}

// The end of a blur down: its sums for values 0-15 (`low`) and 16-31
// (`high`) of a step, mixed with the source bytes into the result.
struct TMix {
    PM_AVX512 TMix(int amountPercent, int limit)
        : amount128(_mm512_set1_epi16(std::int16_t(std::uint16_t(amountPercent * 128)))),
          under(_mm512_set1_epi16(std::int16_t(std::uint16_t(limit)))) {}

    PM_AVX512 void Into(__m512i low, __m512i high, __mmask32 lanes, const std::uint8_t* src,
                        std::uint8_t* dst) const {
        // The pack takes four values from each in turn; the permute puts
        // the quarters back in order.
        const __m512i packed = _mm512_packus_epi32(_mm512_srli_epi32(low, 14), _mm512_srli_epi32(high, 14));
        const __m512i smooth = _mm512_permutexvar_epi64(_mm512_set_epi64(7, 5, 3, 1, 6, 4, 2, 0), packed);
        const __m512i mixed = MixThirtyTwo(Widened(lanes, src), smooth, amount128, under);
        // Clamped to bytes: below zero here, above 255 in the narrowing.
        _mm512_mask_cvtusepi16_storeu_epi8(dst, lanes, _mm512_max_epi16(mixed, _mm512_setzero_si512()));
    }

    // Where the sums start: the rounding half, and the 32768 taken from
    // each value, which comes back as 32768 times the taps' sum (1 << 14).
    const __m512i start = _mm512_set1_epi32(8192 + (1 << 29));
    const __m512i amount128, under;
};

// Values a step of the blur across takes at a time, so that its quads stay
// in the first-level cache.
constexpr std::size_t kChunk = 1024;

// The byte order of PixelQuads: byte k of word m takes value m + 3k.
constexpr std::array<std::uint8_t, 64> QuadOrder() {
    std::array<std::uint8_t, 64> order{};
    for (int m = 0; m < 16; ++m)
        for (int k = 0; k < 4; ++k) order[std::size_t(4 * m + k)] = std::uint8_t(m + 3 * k);
    return order;
}

// Each value x[j] with the same channel's next three, x[j + 3], x[j + 6]
// and x[j + 9], as the bytes of a 32-bit word, for j < count; x holds
// `size` values, bytes past them read as zeros (which only zero taps meet).
// Four taps then weigh 16 values from one load.
PM_AVX512 void PixelQuads(const std::uint8_t* x, std::size_t size, std::size_t count, std::uint32_t* out) {
    static constexpr std::array<std::uint8_t, 64> kOrder = QuadOrder();
    const __m512i order = _mm512_loadu_si512(kOrder.data());
    std::size_t j = 0;
    for (; j < count && j + 32 <= size; j += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + j));
        _mm512_storeu_si512(out + j, _mm512_permutexvar_epi8(order, _mm512_zextsi256_si512(v)));
    }
    for (; j < count; j += 16) {
        const std::size_t left = j < size ? std::min<std::size_t>(size - j, 32) : 0;
        const __m256i v = _mm256_maskz_loadu_epi8(__mmask32((std::uint64_t(1) << left) - 1), x + j);
        _mm512_storeu_si512(out + j, _mm512_permutexvar_epi8(order, _mm512_zextsi256_si512(v)));
    }
}

// The blur across of 16 values from each of the four quads `at`, as 32-bit
// sums plus 32: the taps split in their top and bottom 7 bits, each a
// signed byte, the two sums joined at the end.
PM_AVX512 void AcrossSixteens(const std::uint32_t* const* at, const std::uint32_t* quadTaps, int groups,
                              __m512i* sums) {
    __m512i high[4], low[4];
#pragma GCC unroll 4
    for (int s = 0; s < 4; ++s) {
        high[s] = _mm512_setzero_si512();
        low[s] = _mm512_set1_epi32(32);
    }
    for (int g = 0; g < groups; ++g) {
        const __m512i th = _mm512_set1_epi32(std::int32_t(quadTaps[g]));
        const __m512i tl = _mm512_set1_epi32(std::int32_t(quadTaps[groups + g]));
#pragma GCC unroll 4
        for (int s = 0; s < 4; ++s) {
            const __m512i v = _mm512_loadu_si512(at[s] + 12 * g);
            AddByteProducts(high[s], v, th);
            AddByteProducts(low[s], v, tl);
        }
    }
#pragma GCC unroll 4
    for (int s = 0; s < 4; ++s) sums[s] = _mm512_add_epi32(_mm512_slli_epi32(high[s], 7), low[s]);
}

// Two sums rounded and centred into pairs of 16-bit values, the first from
// `first`, the second from `second`.
PM_AVX512 __m512i PairOfSums(__m512i first, __m512i second) {
    const __m512i top = _mm512_set1_epi32(std::int32_t(0x80008000u));
    return _mm512_xor_si512(
        _mm512_mask_blend_epi16(0xAAAAAAAAu, _mm512_srli_epi32(first, 6), _mm512_slli_epi32(second, 10)),
        top);
}

// One paired row `at`, the j-th, into the sums of the lines that take it
// (all of them if `all`).
template <int Lines, bool All>
PM_AVX512 void AddPairedRow(const std::uint16_t* at, int j, const int* offset,
                            const std::uint32_t* const* taps, int count, __m512i* low, __m512i* high) {
    const __m512i a = _mm512_loadu_si512(at), b = _mm512_loadu_si512(at + 32);
#pragma GCC unroll 4
    for (int l = 0; l < Lines; ++l) {
        const int k = j - offset[l];
        if (!All && (k < 0 || k >= count)) continue;
        AddProductsWithTap(low[l], a, taps[l] + k);
        AddProductsWithTap(high[l], b, taps[l] + k);
    }
}

// BlurDownPairsAndMixAvx512 for a given number of lines: each paired row
// loaded once serves them all.
template <int Lines>
PM_AVX512 void DownLines(const std::uint16_t* const* pairs, const std::uint32_t* pairTaps, int count,
                         int alignment, std::size_t n, const std::uint8_t* const* src,
                         std::uint8_t* const* dst, const TMix& mix) {
    const int rows = ((alignment + Lines - 1) >> 1) + count;
    int offset[Lines];
    const std::uint32_t* taps[Lines];
    for (int l = 0; l < Lines; ++l) {
        offset[l] = (alignment + l) >> 1;
        taps[l] = pairTaps + ((alignment + l) & 1) * (count + 2);
    }
    for (std::size_t i = 0; i < n; i += 32) {
        __m512i low[Lines], high[Lines];
#pragma GCC unroll 4
        for (int l = 0; l < Lines; ++l) low[l] = high[l] = mix.start;
        // Paired rows that only some lines take, then those all take.
        for (int j = 0; j < offset[Lines - 1]; ++j)
            AddPairedRow<Lines, false>(pairs[j] + 2 * i, j, offset, taps, count, low, high);
        for (int j = count + offset[0]; j < rows; ++j)
            AddPairedRow<Lines, false>(pairs[j] + 2 * i, j, offset, taps, count, low, high);
        for (int j = offset[Lines - 1]; j < count + offset[0]; ++j)
            AddPairedRow<Lines, true>(pairs[j] + 2 * i, j, offset, taps, count, low, high);
#pragma GCC unroll 4
        for (int l = 0; l < Lines; ++l) mix.Into(low[l], high[l], StepMask(n - i), src[l] + i, dst[l] + i);
    }
}

// One paired row into the sums of four lines, with their taps.
PM_AVX512 void AddRowToFour(const std::uint16_t* at, __m512i t0, __m512i t1, __m512i t2, __m512i t3,
                            __m512i* low, __m512i* high) {
    const __m512i a = _mm512_loadu_si512(at), b = _mm512_loadu_si512(at + 32);
    AddProducts(low[0], a, t0);
    AddProducts(high[0], b, t0);
    AddProducts(low[1], a, t1);
    AddProducts(high[1], b, t1);
    AddProducts(low[2], a, t2);
    AddProducts(high[2], b, t2);
    AddProducts(low[3], a, t3);
    AddProducts(high[3], b, t3);
}

// Four lines from one of the even alignment: its odd lines take the even
// lines' taps of one paired row later, so each tap pair is broadcast once
// and kept for the row after; the taps past the ends are zeros. Rows in turn
// go to two sets of sums, which halves the chains of multiply-adds that wait
// on each other.
PM_AVX512 void DownFourLines(const std::uint16_t* const* pairs, const std::uint32_t* pairTaps, int count,
                             std::size_t n, const std::uint8_t* const* src, std::uint8_t* const* dst,
                             const TMix& mix) {
    const std::uint32_t* even = pairTaps;
    const std::uint32_t* odd = pairTaps + count + 2;
    const int rows = count + 1;
    for (std::size_t i = 0; i < n; i += 32) {
        __m512i low[4], high[4], low2[4], high2[4];
#pragma GCC unroll 4
        for (int l = 0; l < 4; ++l) {
            low[l] = high[l] = mix.start;
            low2[l] = high2[l] = _mm512_setzero_si512();
        }
        __m512i e1 = _mm512_setzero_si512(), o1 = e1;  // the taps of the row before
        int j = 0;
        for (; j + 2 <= rows; j += 2) {
            const __m512i e0 = _mm512_set1_epi32(std::int32_t(even[j]));
            const __m512i o0 = _mm512_set1_epi32(std::int32_t(odd[j]));
            AddRowToFour(pairs[j] + 2 * i, e0, o0, e1, o1, low, high);
            e1 = _mm512_set1_epi32(std::int32_t(even[j + 1]));
            o1 = _mm512_set1_epi32(std::int32_t(odd[j + 1]));
            AddRowToFour(pairs[j + 1] + 2 * i, e1, o1, e0, o0, low2, high2);
        }
        if (j < rows)
            AddRowToFour(pairs[j] + 2 * i, _mm512_set1_epi32(std::int32_t(even[j])),
                         _mm512_set1_epi32(std::int32_t(odd[j])), e1, o1, low, high);
#pragma GCC unroll 4
        for (int l = 0; l < 4; ++l)
            mix.Into(_mm512_add_epi32(low[l], low2[l]), _mm512_add_epi32(high[l], high2[l]), StepMask(n - i),
                     src[l] + i, dst[l] + i);
    }
}

}  // namespace

std::vector<std::uint32_t> QuadTaps(const std::vector<std::uint32_t>& taps) {
    const std::size_t groups = (taps.size() + 3) / 4;
    std::vector<std::uint32_t> quads(2 * groups);
    for (std::size_t q = 0; q < taps.size(); ++q) {
        const int shift = int(q % 4) * 8;
        quads[q / 4] |= (taps[q] >> 7) << shift;
        quads[groups + q / 4] |= (taps[q] & 127) << shift;
    }
    return quads;
}

std::size_t AcrossScratchWords(int r) {
    return 2 * (kChunk + 6 * std::size_t(r) + 64);
}

PM_AVX512_FUNCTION void BlurAcrossTwoRowsAvx512(const std::uint8_t* first, const std::uint8_t* second,
                                                const std::uint32_t* quadTaps, int r, std::size_t n,
                                                std::uint32_t* scratch, std::uint16_t* out) {
    const std::size_t span = n + 6 * std::size_t(r);  // values in `first` and `second`
    const int groups = (2 * r + 4) / 4;
    std::uint32_t* nearFirst = scratch;
    std::uint32_t* nearSecond = scratch + AcrossScratchWords(r) / 2;
    for (std::size_t c = 0; c < n; c += kChunk) {
        const std::size_t steps = (std::min(kChunk, n - c) + 31) / 32 * 32;
        const std::size_t count = steps + 12 * std::size_t(groups);
        PixelQuads(first + c, span - c, count, nearFirst);
        PixelQuads(second + c, span - c, count, nearSecond);
        for (std::size_t i = 0; i < steps; i += 32) {
            const std::uint32_t* at[4] = {nearFirst + i, nearFirst + i + 16, nearSecond + i,
                                          nearSecond + i + 16};
            __m512i sums[4];
            AcrossSixteens(at, quadTaps, groups, sums);
            _mm512_storeu_si512(out + 2 * (c + i), PairOfSums(sums[0], sums[2]));
            _mm512_storeu_si512(out + 2 * (c + i) + 32, PairOfSums(sums[1], sums[3]));
        }
    }
}

PM_AVX512_FUNCTION void BlurDownPairsAndMixAvx512(const std::uint16_t* const* pairs,
                                                  const std::uint32_t* pairTaps, int count, int alignment,
                                                  int lines, std::size_t n, const std::uint8_t* const* src,
                                                  std::uint8_t* const* dst, int amountPercent, int limit) {
    const TMix mix(amountPercent, limit);
    switch (lines) {
    case 1:
        DownLines<1>(pairs, pairTaps, count, alignment, n, src, dst, mix);
        break;
    case 2:
        DownLines<2>(pairs, pairTaps, count, alignment, n, src, dst, mix);
        break;
    case 3:
        DownLines<3>(pairs, pairTaps, count, alignment, n, src, dst, mix);
        break;
    default:
        if (alignment)
            DownLines<4>(pairs, pairTaps, count, alignment, n, src, dst, mix);
        else
            DownFourLines(pairs, pairTaps, count, n, src, dst, mix);
        break;
    }
}

#undef PM_AVX512
#undef PM_AVX512_FUNCTION

}  // namespace pm
#endif
