// The metafile reader: picture size from the headers, the drawing records
// with exact pixels, embedded bitmaps, the sample files, and damaged or
// hostile metafiles.
#include "LibImageBuilders.h"
#include "decoders/Decoders.h"

#include <gtest/gtest.h>

#include <chrono>

namespace pm::test {
namespace {

const TColorTriple kWhite{255, 255, 255}, kRed{0, 0, 255}, kBlue{255, 0, 0}, kBlack{0, 0, 0};

std::vector<std::int16_t> Colour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {static_cast<std::int16_t>(r | (g << 8)), static_cast<std::int16_t>(b)};
}

// Records shared by the WMF cases: a null pen and a solid red brush.
TWmfBuilder RedBrushNoPen() {
    TWmfBuilder w;
    w.Record(0x02FA, {5, 0, 0, 0, 0});  // CreatePenIndirect: null pen
    auto brush = Colour(255, 0, 0);
    w.Record(0x02FC, {0, brush[0], brush[1], 0});  // CreateBrushIndirect: solid red
    w.Record(0x012D, {0});
    w.Record(0x012D, {1});
    return w;
}

TEST(WmfReader, SizeFromThePlaceableHeaderOrTheWindow) {
    const struct {
        bool placeable;
        int right, bottom, inch;
        int w, h;
    } cases[] = {
        {true, 1440, 720, 1440, 96, 48}, {true, 100, 50, 96, 100, 50}, {true, 200, 100, 192, 100, 50}};
    for (const auto& c : cases) {
        TWmfBuilder w;
        TDecoded d = Decode(DecodeMetafile, w.Finish(c.placeable, 0, 0, c.right, c.bottom, c.inch, 0));
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(d.picture.Kind, TPictureKind::Metafile);
        EXPECT_EQ(d.picture.Image.Width(), c.w);
        EXPECT_EQ(d.picture.Image.Height(), c.h);
        EXPECT_EQ(PixelAt(d.picture.Image, c.w / 2, c.h / 2), kWhite);  // drawn on white
    }
    TWmfBuilder w;
    w.Record(0x020C, {30, 40});  // SetWindowExt: height 30, width 40
    TDecoded d = Decode(DecodeMetafile, w.Finish(false, 0, 0, 0, 0, 0, 0));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.picture.Image.Width(), 40);
    EXPECT_EQ(d.picture.Image.Height(), 30);
}

TEST(WmfReader, DrawsShapesWithPensAndBrushes) {
    TWmfBuilder w = RedBrushNoPen();
    w.Record(0x041B, {20, 30, 10, 5});  // Rectangle: bottom 20, right 30, top 10, left 5
    w.Record(0x0106, {1});              // SetPolyFillMode: alternate
    // A polygon square 40..60 x 10..30 in logical units.
    w.Record(0x0324, {4, 40, 10, 60, 10, 60, 30, 40, 30});
    w.Record(0x7777, {1, 2, 3});  // unknown: skipped
    auto black = Colour(0, 0, 0);
    w.Record(0x02FA, {0, 1, 0, black[0], black[1]});  // solid black pen, slot 2
    w.Record(0x012D, {2});
    w.Record(0x0214, {45, 10});          // MoveTo (10, 45)
    w.Record(0x0213, {45, 90});          // LineTo (90, 45)
    w.Record(0x0418, {90, 95, 60, 65});  // Ellipse 65..95 x 60..90
    TDecoded d = Decode(DecodeMetafile, w.Finish(true, 0, 0, 100, 100, 96, 3));
    ASSERT_TRUE(d.ok) << d.error;
    const TFastDIB& img = d.picture.Image;
    ASSERT_EQ(img.Width(), 100);
    // The rectangle covers 5..29 x 10..19.
    ExpectColours(img, {{5, 10, kRed}, {29, 19, kRed}, {30, 15, kWhite}, {4, 15, kWhite}});
    ExpectColours(img, {{15, 20, kWhite}, {50, 20, kRed}, {60, 20, kWhite}});
    // The line, one pixel wide.
    ExpectColours(img,
                  {{10, 45, kBlack}, {50, 45, kBlack}, {89, 45, kBlack}, {50, 44, kWhite}, {50, 46, kWhite}});
    // The ellipse: red inside, black outline, white corners.
    ExpectColours(img, {{80, 75, kRed}, {65, 75, kBlack}, {66, 61, kWhite}});
}

TEST(WmfReader, WindowMappingScalesTheDrawing) {
    TWmfBuilder w = RedBrushNoPen();
    w.Record(0x020B, {1000, 1000});              // SetWindowOrg (1000, 1000)
    w.Record(0x020C, {200, 400});                // SetWindowExt 400 x 200
    w.Record(0x041B, {1100, 1200, 1000, 1000});  // the left half of the window, top half
    TDecoded d = Decode(DecodeMetafile, w.Finish(true, 0, 0, 40, 20, 96, 2));
    ASSERT_TRUE(d.ok) << d.error;
    ExpectColours(d.picture.Image, {{0, 0, kRed}, {19, 9, kRed}, {20, 9, kWhite}, {19, 10, kWhite}});
}

TEST(WmfReader, EmbeddedBitmapsAreStretched) {
    // 2 x 2 source: red, blue / black, white, stretched onto 20 x 10.
    const Bytes dib = MakePackedDib24(
        2, 2, [](int x, int y) { return y == 0 ? (x == 0 ? kRed : kBlue) : (x == 0 ? kBlack : kWhite); });
    TWmfBuilder w;
    // StretchDIB: rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst.
    w.Record(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 10, 20, 5, 10}, dib);
    TDecoded d = Decode(DecodeMetafile, w.Finish(true, 0, 0, 40, 20, 96, 0));
    ASSERT_TRUE(d.ok) << d.error;
    // Each source pixel covers 10 x 5: red, then blue, above black; white around.
    ExpectColours(d.picture.Image, {{10, 5, kRed}, {19, 9, kRed}, {20, 5, kBlue}, {10, 10, kBlack}});
    ExpectColours(d.picture.Image, {{29, 14, kWhite}, {9, 5, kWhite}, {30, 5, kWhite}});
}

TEST(EmfReader, SizeShapesPathsAndBitmaps) {
    TEmfBuilder e;
    e.Record(39, {1, 0, 0x0000FF, 0});                       // CreateBrushIndirect 1: solid red
    e.Record(37, {1});                                       // SelectObject
    e.Record(37, {static_cast<std::int32_t>(0x80000008u)});  // stock NULL_PEN
    e.Record(43, {10, 10, 30, 20});                          // Rectangle
    e.Record(37, {static_cast<std::int32_t>(0x80000004u)});  // stock BLACK_BRUSH
    e.Record(59, {});                                        // BeginPath
    e.Record(27, {40, 10});                                  // MoveToEx
    e.Record(54, {60, 10});                                  // LineTo
    e.Record(54, {60, 30});
    e.Record(54, {40, 30});
    e.Record(61, {});            // CloseFigure
    e.Record(60, {});            // EndPath
    e.Record(62, {0, 0, 0, 0});  // FillPath
    const Bytes dib = MakePackedDib24(1, 1, [](int, int) { return kBlue; });
    // StretchDIBits at (70, 40) 10 x 5 from the 1 x 1 bitmap.
    e.Record(81, {0, 0, 0, 0, 70, 40, 0, 0, 1, 1, 80, 40, 120, 4, 0, 0x00CC0020, 10, 5}, dib);
    e.Record(0x5555, {1, 2, 3});  // unknown: skipped
    // Frame 0..2540 x 0..1270 (0.01 mm) = 96 x 48 pixels at 96 dpi.
    TDecoded d = Decode(DecodeMetafile, e.Finish(95, 47, 2540, 1270, 2));
    ASSERT_TRUE(d.ok) << d.error;
    const TFastDIB& img = d.picture.Image;
    ASSERT_EQ(img.Width(), 96);
    ASSERT_EQ(img.Height(), 48);
    EXPECT_EQ(d.picture.Kind, TPictureKind::Metafile);
    // The rectangle, the filled path, the stretched bitmap.
    ExpectColours(img, {{10, 10, kRed}, {29, 19, kRed}, {30, 19, kWhite}});
    ExpectColours(img, {{50, 20, kBlack}, {60, 20, kWhite}});
    ExpectColours(img, {{70, 40, kBlue}, {79, 44, kBlue}, {80, 44, kWhite}});
}

TEST(EmfReader, SampleMatchesItsReference) {
    TDecoded d = Decode(DecodeMetafile, ReadFileBytes(TestData("pillow/drawing.emf")));
    ASSERT_TRUE(d.ok) << d.error;
    TDecoded want = Decode(DecodePng, ReadFileBytes(TestData("pillow/drawing_emf_ref.png")));
    ASSERT_TRUE(want.ok);
    // The reference shows the same frame at 1625 x 1625 pixels: compare each
    // of our pixels with the reference pixel at the same place.
    const TFastDIB& img = d.picture.Image;
    ASSERT_EQ(img.Width(), 110);
    ASSERT_EQ(img.Height(), 110);
    const double scale = want.picture.Image.Width() / 110.0;
    long far = 0, total = 0;
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x, ++total) {
            const int rx = static_cast<int>((x + 0.5) * scale), ry = static_cast<int>((y + 0.5) * scale);
            const TColorTriple a = PixelAt(img, x, y), b = PixelAt(want.picture.Image, rx, ry);
            if (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 96) ++far;
        }
    EXPECT_LT(far * 100, total * 3) << far << " of " << total;  // the outline may sit a pixel apart
    TDecoded wmf = Decode(DecodeMetafile, ReadFileBytes(TestData("pillow/drawing.wmf")));
    ASSERT_TRUE(wmf.ok) << wmf.error;
    EXPECT_EQ(wmf.picture.Image.Width(), 110);
}

TEST(MetafileDamaged, FailsCleanly) {
    TWmfBuilder w = RedBrushNoPen();
    w.Record(0x041B, {20, 30, 10, 5});
    const Bytes wmf = w.Finish(true, 0, 0, 100, 100, 96, 2);
    TEmfBuilder e;
    e.Record(43, {10, 10, 30, 20});
    const Bytes emf = e.Finish(95, 47, 2540, 1270, 2);
    for (const Bytes* good : {&wmf, &emf}) {
        ASSERT_TRUE(Decode(DecodeMetafile, *good).ok);
        for (double cut : TruncationPoints()) {
            Bytes part(good->begin(), good->begin() + static_cast<std::ptrdiff_t>(good->size() * cut));
            EXPECT_FALSE(Decode(DecodeMetafile, part).ok) << "cut at " << cut;
        }
    }
    EXPECT_FALSE(Decode(DecodeMetafile, TWmfBuilder().Finish(true, 0, 0, 100, 100, 0, 0)).ok);  // no units
    EXPECT_FALSE(Decode(DecodeMetafile, TWmfBuilder().Finish(true, 0, 0, 0, 100, 96, 0)).ok);   // zero width
    EXPECT_FALSE(
        Decode(DecodeMetafile, TWmfBuilder().Finish(true, -32768, 0, 32767, 32767, 1, 0)).ok);  // huge
    EXPECT_FALSE(Decode(DecodeMetafile, TWmfBuilder().Finish(false, 0, 0, 0, 0, 0, 0)).ok);  // no size at all
    EXPECT_FALSE(
        Decode(DecodeMetafile, TEmfBuilder().Finish(95, 47, 2540, 1270, 0, false)).ok);  // no EOF record
    EXPECT_FALSE(Decode(DecodeMetafile, TEmfBuilder().Finish(-5, 0, -10, 0, 0)).ok);     // no size
    Bytes badRecord = wmf;
    badRecord[40] = 0xFF;  // first record's size beyond the file
    badRecord[41] = 0xFF;
    EXPECT_FALSE(Decode(DecodeMetafile, badRecord).ok);
    EXPECT_FALSE(Decode(DecodeMetafile, ReadFileBytes(TestData("pngsuite/basn0g01.png"))).ok);
}

TEST(MetafileDamaged, ExtremeCoordinatesAreClipped) {
    // Coordinates and transforms far outside the picture must neither crash
    // nor overflow; what lies inside is still drawn.
    const Bytes dib = MakePackedDib24(1, 1, [](int, int) { return kBlue; });
    const std::int32_t big = 0x7FFFFFF0, small = -0x7FFFFFF0;
    TEmfBuilder e;
    e.Record(39, {1, 0, 0x0000FF, 0});
    e.Record(37, {1});
    e.Record(43, {small, small, big, big});  // covers everything: red
    e.Record(42, {small, 0, big, 10});
    e.Record(4, {0, 0, 0, 0, 2, small, small, big, big});
    e.Record(81, {0, 0, 0, 0, big, big, big, big, 1, 1, 80, 40, 120, 4, 0, 0x00CC0020, big, big}, dib);
    e.Record(81, {0, 0, 0, 0, small, small, small, big, 1, 1, 80, 40, 120, 4, 0, 0x00CC0020, big, big}, dib);
    e.Record(35, {0x7F000000, 0, 0, 0x7F000000, 0, 0});  // world scale 1.7e38
    e.Record(42, {-5, -5, 5, 5});
    e.Record(43, {0, 0, 1, 1});
    e.Record(4, {0, 0, 0, 0, 2, -1, -1, 1, 2});
    TDecoded d = Decode(DecodeMetafile, e.Finish(95, 47, 2540, 1270, 2));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(PixelAt(d.picture.Image, 50, 30), kRed);
}

TEST(MetafileDamaged, HostileDrawingStopsAtTheWorkBudget) {
    // Thousands of polygons covering a large picture: the player gives up
    // instead of running for minutes.
    TWmfBuilder w = RedBrushNoPen();
    for (int i = 0; i < 20000; ++i) w.Record(0x0324, {3, 0, 0, 32000, 0, 0, 32000});
    const auto start = std::chrono::steady_clock::now();
    TDecoded d = Decode(DecodeMetafile, w.Finish(true, 0, 0, 4000, 4000, 96, 2));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(d.ok);
    EXPECT_LT(seconds, 60.0);
}

}  // namespace
}  // namespace pm::test
