#pragma once
// Filtered two-pass resampling of 24-bit pictures. Every filter value, scale
// factor, centre and width is a single-precision number computed in the
// written order (the build forbids fused multiply-add), and the weights are
// integers scaled by 256, so the output is the same bits everywhere.
#include "imaging/Arith.h"
#include "imaging/FastDIB.h"

#include <cstdint>
#include <vector>

namespace pm {

// The filters of the resizing methods 0 .. 6, in that order.
enum TResampleFilter : int {
    rfBox = 0,
    rfTriangle = 1,
    rfHermite = 2,
    rfBell = 3,
    rfSpline = 4,
    rfLanczos3 = 5,
    rfMitchell = 6,
};
constexpr int kResampleFilterCount = 7;

using TFilterFunc = float (*)(float);

float BoxFilter(float x);       // 1 for -0.5 < x <= 0.5
float TriangleFilter(float x);  // 1 - |x| for |x| < 1
float HermiteFilter(float x);   // (2|x| - 3) x^2 + 1 for |x| < 1
float BellFilter(float x);      // 0.75 - x^2 below 0.5; 0.5 (|x| - 1.5)^2 below 1.5
float SplineFilter(float x);    // cubic B-spline, radius 2
float Lanczos3Filter(float x);  // sinc(x) sinc(x / 3) for |x| < 3
float MitchellFilter(float x);  // Mitchell-Netravali with B = C = 1/3, radius 2

struct TFilterInfo {
    TFilterFunc Func;
    float Radius;  // default radius
};
// Filter `filter` (0 .. 6); other values give the Box filter.
TFilterInfo FilterInfo(int filter);

// Scale factor of one direction: (target - 1) / (source - 1), or
// target / source when either size is 1 (a 1-pixel target would otherwise
// put every centre at a division by zero).
float ResampleScale(int sourceSize, int targetSize);

// The contributor lists of all target positions of one direction: for
// target position i the source pixels Pixel[k] with weights Weight[k] for
// Start[i] <= k < Start[i + 1], in increasing source position, zero weights
// dropped; Total[i] is the sum of the weights. Source positions outside the
// line are mirrored (at the first pixel on the left or top, half a pixel
// beyond the last one on the right or bottom) and then clamped into it.
struct TContributorTable {
    std::vector<std::int32_t> Pixel;
    std::vector<std::int32_t> Weight;
    std::vector<std::int32_t> Start;
    std::vector<std::int32_t> Total;
};
TContributorTable BuildContributors(TFilterFunc filter, float radius, int sourceSize, int targetSize);

// A source picture decoded at 1/Divisor of its full size (a JPEG decoded
// from its DCT blocks): its pixel j covers full-size pixels Divisor * j to
// Divisor * j + Divisor - 1, counted from the stored picture's first column
// and row; ReverseX and ReverseY say that the picture was turned upright so
// that its columns or rows now run the other way. Divisor 1: the source is
// the full picture.
struct TDecodedScale {
    int Divisor = 1;
    int FullWidth = 0;
    int FullHeight = 0;
    bool ReverseX = false;
    bool ReverseY = false;
};

// BuildContributors for such a source of sourceSize pixels in a direction
// whose full size is fullSize: the centres are those of a resize of the
// full picture, moved onto the smaller one, so both results line up. With
// divisor 1 and fullSize = sourceSize it is BuildContributors.
TContributorTable BuildContributors(TFilterFunc filter, float radius, int sourceSize, int targetSize,
                                    int fullSize, int divisor, bool reversed = false);

// One channel of a weighted pixel from sum = sum of weight x value and the
// total weight: sum div total when total is not 0, else the sum shifted
// right by 8 as an unsigned 32-bit number; clamped to 0 .. 255. Inline: the
// pixel loops of the passes call it, and a call they cannot see into makes
// them keep their pointers on the stack.
inline std::uint8_t WeightedPixel(std::int32_t sum, std::int32_t total) {
    if (total != 0) return ClampToByte(sum / total);
    return ClampToByte(static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) >> 8));
}

// WeightedPixel for one fixed total, without a division per pixel: for
// totals 1 .. 4095 the sum is clamped to 0 .. 256 * total - 1 and divided by
// a multiplication with ceil(2^32 / total), which is exact in that range
// (the error stays below 256 * total / 2^32 < 1 / total). Other totals take
// the plain route.
class TWeightDivider {
public:
    explicit TWeightDivider(std::int32_t total = 1);
    std::uint8_t operator()(std::int32_t sum) const {
        if (!fast_) return WeightedPixel(sum, total_);
        const std::int32_t n = sum < 0 ? 0 : sum > limit_ ? limit_ : sum;
        return static_cast<std::uint8_t>((static_cast<std::uint64_t>(n) * magic_) >> 32);
    }

private:
    std::int32_t total_;
    std::int32_t limit_ = 0;
    std::uint64_t magic_ = 0;
    bool fast_ = false;
};

// Resamples the 24-bit `source` into the 24-bit `target`, whose size is the
// target size; horizontal pass first, lines counted from the top. Nothing
// happens when either bitmap has a side of 0.
void ResampleTwoPass(TFilterFunc filter, float radius, const TFastDIB& source, TFastDIB& target,
                     const TDecodedScale& decoded = {});

// Resamples `bitmap` in place to newWidth x newHeight (24 bits) with filter
// `filter`; radius 0 means the filter's default radius. Throws
// std::length_error for sizes beyond the image limits.
void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, TFastDIB& bitmap);
// The same from `source` into `target` (which may be `source`), leaving the
// source as it is: no copy of a 24-bit source is made.
void ResampleBitmap(int newWidth, int newHeight, int filter, float radius, const TFastDIB& source,
                    TFastDIB& target, const TDecodedScale& decoded = {});

}  // namespace pm
