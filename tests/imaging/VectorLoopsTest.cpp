#include "imaging/VectorLoops.h"
#include "imaging/MaskMix.h"
#include "imaging/Resample.h"
#include "support/Pixels.h"
#include "support/RandomDib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace pm {
namespace {

using test::RandomDib;
using test::ReadRows;

// CI runs the loop tests a second time with PIXMILL_PORTABLE_LOOPS=1; that
// run must really take the portable loops, the other one AVX2 where it can.
TEST(LoopPath, TheSwitchForcesThePortableLoops) {
    const char* value = std::getenv("PIXMILL_PORTABLE_LOOPS");
    const bool forced = value && std::string(value) != "" && std::string(value) != "0";
    EXPECT_EQ(ActiveLoopPath(), forced || !Avx2LoopsAvailable() ? TLoopPath::Portable : TLoopPath::Avx2);
    {
        const TLoopPathOverride portable(TLoopPath::Portable);
        EXPECT_EQ(ActiveLoopPath(), TLoopPath::Portable);
    }
    EXPECT_EQ(ActiveLoopPath(), forced || !Avx2LoopsAvailable() ? TLoopPath::Portable : TLoopPath::Avx2);
}

// The loops of a resize and of mixing through a mask, once per path.
struct TLoopResults {
    test::TRows Resized, Mixed, Painted;
};

TLoopResults RunLoops(TLoopPath path, int filter, const int (&size)[4], unsigned seed) {
    const TLoopPathOverride use(path);
    EXPECT_EQ(ActiveLoopPath(), path);
    const TFastDIB source = RandomDib(size[0], size[1], 24, seed);
    TFastDIB resized;
    ResampleBitmap(size[2], size[3], filter, 0.0f, source, resized);
    // The mask: random levels with runs of 0 and 255, which take their own
    // routes through the mixing arithmetic.
    TFastDIB mask = RandomDib(size[0], size[1], 8, seed + 1);
    for (int y = 0; y < size[1]; ++y) PaintMaskRun(mask, y, y % 7, y % 7 + 5, y % 2 ? 0 : 255);
    TFastDIB mixed = source, painted = source;
    MixThroughMask(mixed, mask, {12, 200, 77});
    PaintWhereMaskZero(painted, mask, {1, 2, 3});
    return {ReadRows(resized), ReadRows(mixed), ReadRows(painted)};
}

TEST(LoopPath, BothPathsGiveTheSameBytes) {
    if (!Avx2LoopsAvailable()) GTEST_SKIP() << "no AVX2 loops on this machine or in this build";
    // Widths around whole vectors and their tails, enlargements and strong
    // reductions (the dense horizontal windows), single lines and columns.
    const int sizes[][4] = {{1, 1, 3, 2},      {7, 5, 33, 3},     {31, 9, 8, 40},   {32, 33, 64, 31},
                            {65, 17, 1, 9},    {200, 3, 7, 2},    {64, 64, 65, 63}, {1500, 3, 400, 2},
                            {257, 41, 31, 11}, {3000, 2, 800, 1}, {9, 150, 9, 4}};
    unsigned seed = 1;
    for (int filter = 0; filter < kResampleFilterCount; ++filter)
        for (const auto& size : sizes) {
            const TLoopResults portable = RunLoops(TLoopPath::Portable, filter, size, seed);
            const TLoopResults avx2 = RunLoops(TLoopPath::Avx2, filter, size, seed);
            const std::string name = "filter " + std::to_string(filter) + " " + std::to_string(size[0]) +
                                     "x" + std::to_string(size[1]) + " -> " + std::to_string(size[2]) + "x" +
                                     std::to_string(size[3]);
            EXPECT_EQ(portable.Resized, avx2.Resized) << name;
            EXPECT_EQ(portable.Mixed, avx2.Mixed) << name;
            EXPECT_EQ(portable.Painted, avx2.Painted) << name;
            ++seed;
        }
}

}  // namespace
}  // namespace pm
