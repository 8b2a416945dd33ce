#include "imaging/Resample.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

using test::MakeDib;
using test::ReadRows;
using test::TRows;

TRows Resample(const TRows& src, int w, int h, int filter) {
    TFastDIB d = MakeDib(src);
    ResampleBitmap(w, h, filter, 0.0f, d);
    EXPECT_EQ(d.Bpp(), 24);
    return ReadRows(d);
}

std::vector<std::pair<int, int>> List(const TContributorTable& t, int i) {
    std::vector<std::pair<int, int>> out;
    for (int k = t.Start[i]; k < t.Start[i + 1]; ++k) out.emplace_back(t.Pixel[k], t.Weight[k]);
    return out;
}

TEST(ResampleFilters, SinglePrecisionValuesInWrittenOrder) {
    struct Case {
        TFilterFunc f;
        float x, expected;
    };
    const Case cases[] = {
        {BoxFilter, 0.5f, 1.0f},
        {BoxFilter, -0.5f, 0.0f},  // the box is open on the left
        {TriangleFilter, -0.25f, 0.75f},
        {TriangleFilter, 1.0f, 0.0f},
        {HermiteFilter, 0.25f, 0.84375f},
        {BellFilter, 0.5f, 0.5f},
        {BellFilter, 1.0f, 0.125f},
        {BellFilter, 1.5f, 0.0f},
        // 2/3 as a float is 0.666666686..., and it carries into the sums.
        {SplineFilter, 0.0f, 0.6666666865348816f},
        {SplineFilter, 0.75f, 0.3151041865348816f},
        {SplineFilter, -1.5f, 0.02083333395421505f},
        {Lanczos3Filter, 0.0f, 1.0f},
        {Lanczos3Filter, 0.5f, 0.6079270839691162f},
        {Lanczos3Filter, 1.5f, -0.13509491086006165f},
        {Lanczos3Filter, 3.0f, 0.0f},
        {MitchellFilter, 0.0f, 0.8888888955116272f},
        // (((-(7/3) + 12) - 20) + 32/3) / 6 in floats: not quite 1/18.
        {MitchellFilter, 1.0f, 0.05555566027760506f},
        {MitchellFilter, -1.5f, -0.03472216799855232f},
        {MitchellFilter, 2.0f, 0.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(c.f(c.x), c.expected) << c.x;
}

TEST(ResampleContributors, EnlargementWeightsAndMirroring) {
    // Triangle 2 -> 5: scale 4, centres 0, 0.25, 0.5, 0.75, 1; weights
    // Round((1 - |c - j|) * 256); j = 2 mirrors to 2*2 - 1 - 2 = 1.
    const auto t = BuildContributors(TriangleFilter, 1.0f, 2, 5);
    EXPECT_EQ(List(t, 0), (std::vector<std::pair<int, int>>{{0, 256}}));
    EXPECT_EQ(List(t, 1), (std::vector<std::pair<int, int>>{{0, 192}, {1, 64}}));
    EXPECT_EQ(List(t, 2), (std::vector<std::pair<int, int>>{{0, 128}, {1, 128}}));
    EXPECT_EQ(List(t, 4), (std::vector<std::pair<int, int>>{{1, 256}}));
    EXPECT_EQ(t.Total, (std::vector<std::int32_t>{256, 256, 256, 256, 256}));
    // Triangle 4 -> 2: scale 1/3, width 3: j = -2 mirrors to 2, j = 4 to 3.
    const auto r = BuildContributors(TriangleFilter, 1.0f, 4, 2);
    EXPECT_EQ(List(r, 0), (std::vector<std::pair<int, int>>{{2, 28}, {1, 57}, {0, 85}, {1, 57}, {2, 28}}));
    EXPECT_EQ(List(r, 1), (std::vector<std::pair<int, int>>{{1, 28}, {2, 57}, {3, 85}, {3, 57}, {2, 28}}));
}

TEST(ResampleContributors, TiesDecidedBySinglePrecision) {
    // Spline 5 -> 4 (scale 0.75): at |x| = 0.75 the weight is
    // 0.3151041865 * 0.75 * 256 = 60.500004 in floats -> 61 (exactly 60.5,
    // hence 60, with real numbers).
    EXPECT_EQ(List(BuildContributors(SplineFilter, 2.0f, 5, 4), 0),
              (std::vector<std::pair<int, int>>{{2, 4}, {1, 61}, {0, 128}, {1, 61}, {2, 4}}));
    // Box 5 -> 4: centre 1 / 0.75 = 1.3333334f, so (c - 2) * 0.75 = -0.49999997
    // still lies inside the box; with real numbers it is the excluded -0.5.
    EXPECT_EQ(List(BuildContributors(BoxFilter, 0.5f, 5, 4), 1),
              (std::vector<std::pair<int, int>>{{1, 192}, {2, 192}}));
    EXPECT_EQ(List(BuildContributors(BellFilter, 1.5f, 9, 8), 3),
              (std::vector<std::pair<int, int>>{{2, 7}, {3, 136}, {4, 112}, {5, 2}}));
}

TEST(ResampleContributors, OnePixelTargetUsesTargetOverSource) {
    // (1 - 1) / (4 - 1) would be 0 and every centre a division by zero.
    EXPECT_EQ(ResampleScale(4, 1), 0.25f);
    EXPECT_EQ(ResampleScale(1, 4), 4.0f);
    EXPECT_EQ(ResampleScale(4, 7), 2.0f);
    EXPECT_EQ(List(BuildContributors(BoxFilter, 0.5f, 4, 1), 0),
              (std::vector<std::pair<int, int>>{{2, 64}, {1, 64}, {0, 64}, {1, 64}}));
}

TEST(ResampleContributors, ReachBeyondASmallSourceIsClamped) {
    // Lanczos3 on a 2-pixel line reaches j = -3 .. 4: mirrored 3 and 4 are
    // still outside and clamp to the last pixel.
    const auto t = BuildContributors(Lanczos3Filter, 3.0f, 2, 3);
    for (int i = 0; i < 3; ++i)
        for (auto [n, w] : List(t, i)) EXPECT_TRUE(n >= 0 && n < 2) << n;
}

TEST(WeightedPixel, TotalZeroShiftsTheSum) {
    EXPECT_EQ(WeightedPixel(1000, 4), 250);
    EXPECT_EQ(WeightedPixel(-7, 3), 0);      // -2 clamped
    EXPECT_EQ(WeightedPixel(2000, 4), 255);  // 500 clamped
    EXPECT_EQ(WeightedPixel(-1000, -4), 250);
    EXPECT_EQ(WeightedPixel(1000, 0), 3);  // 1000 shr 8
    EXPECT_EQ(WeightedPixel(0, 0), 0);     // an empty list
    EXPECT_EQ(WeightedPixel(-5, 0), 255);  // a negative sum as an unsigned number
    EXPECT_EQ(WeightedPixel(70000, 0), 255);
}

// Grey-level rows 10, 50, 90, 250 in red, 255 minus that in green and half
// of it in blue, reduced 4x1 -> 2x1. By hand for Box (scale 1/3, width 1.5,
// weights 85 at j = -1, 0, 1 and 2, 3, 4 mirrored): red (85*50 + 85*10 +
// 85*50) / 255 = 36, (85*90 + 85*250 + 85*250) / 255 = 196; Triangle with
// the lists above: 11590 / 255 = 45 and 44520 / 255 = 174.
TEST(ResampleTwoPass, FourToTwoPerFilter) {
    const TRows src = {{0x0AF505, 0x32CD19, 0x5AA52D, 0xFA057D}};
    const TRows expected[kResampleFilterCount] = {
        {{0x24DA12, 0xC43A62}}, {{0x2DD116, 0xAE5057}}, {{0x2BD315, 0xB34B59}}, {{0x43BB21, 0x99654C}},
        {{0x50AE28, 0x8E7047}}, {{0x16E80B, 0xBF3F5F}}, {{0x30CE18, 0xAA5455}},
    };
    for (int f = 0; f < kResampleFilterCount; ++f)
        EXPECT_EQ(Resample(src, 2, 1, f), expected[f]) << "filter " << f;
}

// 2x2 -> 5x3 enlargement; red 0 200 / 100 50, green 255 0 / 0 255, blue 128.
// By hand for Triangle: columns take (256), (192, 64), (128, 128), (64, 192),
// (256) of the two source columns, lines (256), (128, 128), (256): the top
// line is 0, 50, 100, 150, 200 in red and 255, 191, 127, 63, 0 in green.
TEST(ResampleTwoPass, TwoByTwoToFiveByThreePerFilter) {
    const TRows src = {{0x00FF80, 0xC80080}, {0x640080, 0x32FF80}};
    const TRows expected[kResampleFilterCount] = {
        {{0x00FF80, 0x00FF80, 0x00FF80, 0xC80080, 0xC80080},
         {0x00FF80, 0x00FF80, 0x00FF80, 0xC80080, 0xC80080},
         {0x640080, 0x640080, 0x640080, 0x32FF80, 0x32FF80}},
        {{0x00FF80, 0x32BF80, 0x647F80, 0x963F80, 0xC80080},
         {0x327F80, 0x447F80, 0x577F80, 0x6A7F80, 0x7D7F80},
         {0x640080, 0x573F80, 0x4B7F80, 0x3EBF80, 0x32FF80}},
        {{0x00FF80, 0x1FD780, 0x647F80, 0xA82780, 0xC80080},
         {0x327F80, 0x3D7F80, 0x577F80, 0x707F80, 0x7D7F80},
         {0x640080, 0x5C2780, 0x4B7F80, 0x39D780, 0x32FF80}},
        {{0x3B9F80, 0x439780, 0x5D7F80, 0x7B6380, 0x914F80},
         {0x447F80, 0x497F80, 0x577F80, 0x677F80, 0x737F80},
         {0x524F80, 0x515B80, 0x4E7F80, 0x49A980, 0x46C780}},
        {{0x478C80, 0x4E8880, 0x5D7D80, 0x706F80, 0x816280},
         {0x4A7D80, 0x4E7D80, 0x577F80, 0x638080, 0x6D8280},
         {0x506380, 0x4F6C80, 0x4E8280, 0x4C9E80, 0x4CB780}},
        {{0x00FF80, 0x14E580, 0x48A280, 0x8B4C80, 0xC80080},
         {0x24A280, 0x2E9B80, 0x4B8880, 0x707080, 0x915C80},
         {0x640080, 0x5E1980, 0x515C80, 0x41B280, 0x32FF80}},
        {{0x1CCD80, 0x30B780, 0x5A8680, 0x8A4E80, 0xAE2580},
         {0x368680, 0x408480, 0x547F80, 0x6C7A80, 0x7D7680},
         {0x5A2580, 0x563E80, 0x4C7680, 0x42B680, 0x3BE480}},
    };
    for (int f = 0; f < kResampleFilterCount; ++f)
        EXPECT_EQ(Resample(src, 5, 3, f), expected[f]) << "filter " << f;
}

TEST(ResampleTwoPass, TiesChangeWholePixels) {
    // Spline 5 -> 4, column 0: (4*0 + 61*255 + 128*0 + 61*255 + 4*0) / 258 = 120
    // (119 with the real-number weights 60).
    EXPECT_EQ(Resample({{0, 0xFF, 0, 0, 0}}, 4, 1, rfSpline), (TRows{{120, 117, 13, 0}}));
    // Box 5 -> 4, column 1 averages source 1 and 2: (20 + 40) / 2 = 30.
    EXPECT_EQ(Resample({{10, 20, 40, 80, 160}}, 4, 1, rfBox), (TRows{{10, 30, 80, 160}}));
}

TEST(ResampleTwoPass, NegativeLobesAreClamped) {
    // Lanczos3 3 -> 2, column 0 weights: pixel 0: 128 + 3, pixel 1: 78 + 78,
    // pixel 2: 3 - 17 - 17; total 256.
    EXPECT_EQ(Resample({{0, 0, 0xFF}}, 2, 1, rfLanczos3)[0][0], 0u);        // -7905 / 256 -> 0
    EXPECT_EQ(Resample({{0xFF, 0xFF, 0}}, 2, 1, rfLanczos3)[0][0], 0xFFu);  // 285 -> 255
    EXPECT_EQ(Resample({{0xFF, 0xFF, 0}}, 2, 1, rfLanczos3)[0][1], 46u);    // 255 * 47 / 256
}

TEST(ResampleTwoPass, OnePixelTargetsAndSources) {
    // 4 -> 1 with Box: (90 + 50 + 10 + 50) / 4 = 50, for every filter a real value.
    EXPECT_EQ(Resample({{10, 50, 90, 250}}, 1, 1, rfBox), (TRows{{50}}));
    const int oneByOne[kResampleFilterCount] = {50, 75, 65, 95, 106, 63, 79};
    for (int f = 0; f < kResampleFilterCount; ++f)
        EXPECT_EQ(Resample({{10, 50, 90, 250}}, 1, 1, f), (TRows{{std::uint32_t(oneByOne[f])}})) << f;
    // A one-pixel source spreads evenly.
    for (int f = 0; f < kResampleFilterCount; ++f)
        EXPECT_EQ(Resample({{0x123456}}, 3, 2, f), (TRows(2, {0x123456, 0x123456, 0x123456}))) << f;
    // The vertical pass mirrors like the horizontal one: a column 4 -> 2.
    EXPECT_EQ(Resample({{0x0AF505}, {0x32CD19}, {0x5AA52D}, {0xFA057D}}, 1, 2, rfBox),
              (TRows{{0x24DA12}, {0xC43A62}}));
}

TEST(ResampleTwoPass, ExtremeReductionDropsEveryWeight) {
    // 600 -> 1 with Box: each weight Round(256 / 600) = 0 is dropped; the empty
    // list gives 0.
    EXPECT_EQ(Resample(TRows(1, std::vector<std::uint32_t>(600, 0xFFFFFF)), 1, 1, rfBox), (TRows{{0}}));
}

TEST(ResampleBitmap, ConvertsToTwentyFourBitsAndHandlesEmptySides) {
    TFastDIB pal;
    pal.SetSize(2, 1, 8);
    pal.Colors()[1] = {0x30, 0x20, 0x10, 0};
    pal.Row(0)[0] = pal.Row(0)[1] = 1;
    ResampleBitmap(3, 1, rfTriangle, 0.0f, pal);
    EXPECT_EQ(ReadRows(pal), (TRows{{0x102030, 0x102030, 0x102030}}));
    // A target side of 0 gives an empty picture; the task refuses it earlier.
    TFastDIB d = MakeDib({{1, 2}});
    ResampleBitmap(0, 1, rfBox, 0.0f, d);
    EXPECT_TRUE(d.Empty());
    TFastDIB huge = MakeDib({{1, 2}});
    EXPECT_THROW(ResampleBitmap(70000, 70000, rfBox, 0.0f, huge), std::length_error);
    EXPECT_EQ(ReadRows(huge), (TRows{{1, 2}}));
}

// The straightforward routine, column by column, with the plain contributor lists
// and WeightedPixel: the fast passes must give exactly its pixels.
TFastDIB ReferenceTwoPass(int filter, const TFastDIB& src, int tw, int th) {
    const TFilterInfo f = FilterInfo(filter);
    const int sw = src.Width(), sh = src.Height();
    const auto pick = [](const TColorTriple& c, int ch) { return ch == 0 ? c.b : ch == 1 ? c.g : c.r; };
    const auto weighted = [&](const TContributorTable& t, int i, const std::vector<TColorTriple>& line) {
        std::uint8_t out[3];
        for (int ch = 0; ch < 3; ++ch) {
            std::int32_t sum = 0;
            for (int k = t.Start[i]; k < t.Start[i + 1]; ++k) sum += t.Weight[k] * pick(line[t.Pixel[k]], ch);
            out[ch] = WeightedPixel(sum, t.Total[i]);
        }
        return TColorTriple{out[0], out[1], out[2]};
    };
    const TContributorTable h = BuildContributors(f.Func, f.Radius, sw, tw);
    std::vector<std::vector<TColorTriple>> mid(sh);  // picture lines, top first
    for (int y = 0; y < sh; ++y) {
        std::vector<TColorTriple> line(sw);
        for (int x = 0; x < sw; ++x) line[x] = src.GetPixel(sh - 1 - y, x);
        for (int i = 0; i < tw; ++i) mid[y].push_back(weighted(h, i, line));
    }
    const TContributorTable v = BuildContributors(f.Func, f.Radius, sh, th);
    TFastDIB out;
    out.SetSize(tw, th, 24);
    for (int x = 0; x < tw; ++x) {
        std::vector<TColorTriple> column(sh);
        for (int y = 0; y < sh; ++y) column[y] = mid[y][x];
        for (int i = 0; i < th; ++i) out.SetPixel(th - 1 - i, x, weighted(v, i, column));
    }
    return out;
}

TEST(ResampleTwoPass, SameAsTheColumnByColumnRoutine) {
    std::uint32_t seed = 7;
    const auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    const int sizes[][4] = {{200, 3, 7, 2},    {64, 64, 5, 9},    {13, 17, 40, 33}, {1, 9, 6, 1},
                            {150, 2, 149, 2},  {9, 150, 9, 4},    {3, 3, 2, 2},     {300, 4, 11, 4},
                            {1500, 3, 400, 2}, {257, 41, 31, 11}, {3000, 2, 800, 1}};
    for (int filter = 0; filter < kResampleFilterCount; ++filter)
        for (const auto& sz : sizes) {
            TFastDIB src;
            src.SetSize(sz[0], sz[1], 24);
            for (int y = 0; y < sz[1]; ++y)
                for (int x = 0; x < sz[0]; ++x) src.SetPixel(y, x, TColorTriple::FromPacked(next()));
            TFastDIB fast = src;
            ResampleBitmap(sz[2], sz[3], filter, 0.0f, fast);
            EXPECT_EQ(ReadRows(fast), ReadRows(ReferenceTwoPass(filter, src, sz[2], sz[3])))
                << "filter " << filter << " " << sz[0] << "x" << sz[1] << " -> " << sz[2] << "x" << sz[3];
        }
}

TEST(WeightDivider, MatchesWeightedPixel) {
    for (std::int32_t total : {-300, -1, 0, 1, 2, 3, 7, 255, 256, 257, 300, 1000, 4095, 4096, 70000})
        for (std::int32_t sum = -70000; sum <= 1100000; sum += (sum > -600 && sum < 70000) ? 1 : 997) {
            const TWeightDivider d(total);
            ASSERT_EQ(d(sum), WeightedPixel(sum, total)) << sum << " / " << total;
        }
}

}  // namespace
}  // namespace pm
