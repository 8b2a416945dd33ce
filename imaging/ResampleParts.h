#pragma once
// The resampler's own parts behind Resample.h: the dense weight windows of
// the horizontal pass (ResampleTables.cpp) and the inner loops of both passes
// (ResampleVector.cpp), which ResamplePasses.cpp drives.
#include "imaging/Resample.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pm {

// Each column's list as a dense window of consecutive source pixels, the
// weights of a pixel that occurs more than once (mirrored at an edge) added
// up, every window padded with zero weights to the same number of taps, a
// multiple of 8: the same integer sums, but an inner loop of whole vector
// multiply-adds over plain consecutive arrays.
struct TWindows {
    std::vector<std::int32_t> First;
    std::vector<std::int16_t> Weight;  // Taps per column
    int Taps = 0;
};

// Empty when a merged weight does not fit 16 bits (never with these filters).
TWindows DenseWindows(const TContributorTable& ct, int targetSize);

// One picture line into three plain channel arrays.
void SplitLineChannels(const TColorTriple* line, int count, std::int16_t* red, std::int16_t* green,
                       std::int16_t* blue);

// The `count` target pixels of one line from the channel arrays of its source
// line, window by window; divide[i] divides the sums of target pixel i.
// SSE2 multiply-adds, the same in every build on x86-64.
void DenseWindowLine(const TWindows& win, const TWeightDivider* divide, const std::int16_t* red,
                     const std::int16_t* green, const std::int16_t* blue, TColorTriple* out, int count);

// One target line of the vertical pass: the sum of weights[k] x lines[k] for
// the `count` source lines, byte by byte, divided by `total` like
// TWeightDivider does (all zeros when count is 0). `acc` holds `bytes` sums.
void WeightedLineSum(const std::uint8_t* const* lines, const std::int32_t* weights, int count,
                     std::int32_t total, std::int32_t* acc, std::size_t bytes, std::uint8_t* out);

}  // namespace pm
