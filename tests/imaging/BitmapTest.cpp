#include "imaging/Bitmap.h"
#include "log/WriteLog.h"
#include "support/BmpBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

namespace pm {
namespace {

void ExpectSame(const TFastDIB& a, const TFastDIB& b) {
    const TBitmapInfoHeader &x = a.Info(), &y = b.Info();
    EXPECT_EQ(x.biSize, y.biSize);
    EXPECT_EQ(x.biWidth, y.biWidth);
    EXPECT_EQ(x.biHeight, y.biHeight);
    EXPECT_EQ(x.biPlanes, y.biPlanes);
    EXPECT_EQ(x.biBitCount, y.biBitCount);
    EXPECT_EQ(x.biCompression, y.biCompression);
    EXPECT_EQ(x.biSizeImage, y.biSizeImage);
    EXPECT_EQ(x.biXPelsPerMeter, y.biXPelsPerMeter);
    EXPECT_EQ(x.biYPelsPerMeter, y.biYPelsPerMeter);
    EXPECT_EQ(x.biClrUsed, y.biClrUsed);
    EXPECT_EQ(x.biClrImportant, y.biClrImportant);
    EXPECT_EQ(a.RBits(), b.RBits());
    EXPECT_EQ(a.GBits(), b.GBits());
    EXPECT_EQ(a.BBits(), b.BBits());
    EXPECT_EQ(a.RMask(), b.RMask());
    EXPECT_EQ(a.GMask(), b.GMask());
    EXPECT_EQ(a.BMask(), b.BMask());
    EXPECT_EQ(a.Stride(), b.Stride());
    EXPECT_EQ(a.Gap(), b.Gap());
    EXPECT_EQ(std::memcmp(a.Colors().data(), b.Colors().data(), sizeof(TRGBQuad) * 256), 0);
    ASSERT_EQ(a.Size(), b.Size());
    EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), a.Size()), 0);
}

void Scramble(TFastDIB& d, unsigned seed) {
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < d.Size(); ++i) d.Bits()[i] = static_cast<std::uint8_t>(rng());
    for (TRGBQuad& q : d.Colors())
        q = {std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng())};
}

TFastDIB FromBytes(const test::BmpLayout& layout) {
    TFastDIB d;
    EXPECT_TRUE(d.LoadFromStream(test::MakeBmp(layout)));
    return d;
}

// Bitmaps of every depth, some carrying state the stream does not keep
// (a palette behind a 24-bit picture, more colours used than the depth has).
struct Source {
    const char* what;
    std::function<TFastDIB()> make;
};

std::vector<Source> Sources() {
    auto plain = [](int w, int h, int bpp) {
        return [=] {
            TFastDIB d;
            d.SetSize(w, h, bpp);
            Scramble(d, unsigned(w * 31 + bpp));
            return d;
        };
    };
    return {
        {"1 bit", plain(13, 3, 1)},
        {"4 bits", plain(5, 2, 4)},
        {"8 bits", plain(3, 3, 8)},
        {"16 bits 5/5/5", plain(3, 2, 16)},
        {"24 bits", plain(5, 4, 24)},
        {"32 bits", plain(2, 2, 32)},
        {"4 bits, 12 colours",
         [] {
             return FromBytes({.width = 3,
                               .height = 2,
                               .bpp = 4,
                               .colorsUsed = 12,
                               .palette = std::vector<std::uint32_t>(12, 0x80112233u),
                               .pixels = std::vector<std::uint8_t>(8, 0x1B)});
         }},
        {"16 bits 5/6/5 fields",
         [] {
             return FromBytes({.width = 3,
                               .height = 2,
                               .bpp = 16,
                               .compression = 3,
                               .xPelsPerMeter = 2835,
                               .masks = {0xF800, 0x07E0, 0x001F},
                               .pixels = std::vector<std::uint8_t>(16, 0xA5)});
         }},
        {"32 bits odd fields",
         [] {
             return FromBytes({.width = 2,
                               .height = 2,
                               .bpp = 32,
                               .compression = 3,
                               .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
                               .pixels = std::vector<std::uint8_t>(16, 0x5C)});
         }},
        {"24 bits with a palette left from 8 bits",
         [] {
             TFastDIB d;
             d.SetSize(3, 2, 8);
             Scramble(d, 7);
             d.SetSize(3, 2, 24);
             return d;
         }},
        {"4 bits after 8 bits with 200 colours",
         [] {
             TFastDIB d = FromBytes({.width = 2,
                                     .height = 1,
                                     .bpp = 8,
                                     .colorsUsed = 200,
                                     .palette = std::vector<std::uint32_t>(200, 0x01020304),
                                     .pixels = {1, 2, 0, 0}});
             d.SetSize(2, 1, 4);
             return d;
         }},
    };
}

TEST(CopyBMPtoFD, EqualsTheBmpStreamRouteForEveryDepth) {
    for (const Source& s : Sources()) {
        SCOPED_TRACE(s.what);
        const TBitmap bmp(s.make());
        std::vector<std::uint8_t> stream;
        bmp.SaveToStream(stream);
        TFastDIB viaStream;
        ASSERT_TRUE(viaStream.LoadFromStream(stream));
        TFastDIB direct;
        direct.SetSize(9, 9, 24); // earlier contents must not survive
        ASSERT_TRUE(CopyBMPtoFD(bmp, direct));
        ExpectSame(direct, viaStream);
    }
}

TEST(CopyFDtoBMP, EqualsTheBmpStreamRouteForEveryDepth) {
    for (const Source& s : Sources()) {
        SCOPED_TRACE(s.what);
        const TFastDIB dib = s.make();
        std::vector<std::uint8_t> stream;
        dib.SaveToStream(stream);
        TBitmap viaStream;
        ASSERT_TRUE(viaStream.LoadFromStream(stream.data(), stream.size()));
        TBitmap direct;
        ASSERT_TRUE(CopyFDtoBMP(dib, direct));
        ExpectSame(direct.Dib(), viaStream.Dib());
    }
}

TEST(CopyBMPtoFD, EmptyBitmapGivesFalseAndAnEmptyDib) {
    TLogCapture capture;
    TFastDIB dib;
    dib.SetSize(2, 2, 24);
    EXPECT_FALSE(CopyBMPtoFD(TBitmap(), dib));
    EXPECT_TRUE(dib.Empty());
    TBitmap zeroWide;
    zeroWide.SetSize(0, 5);
    EXPECT_FALSE(CopyBMPtoFD(zeroWide, dib));
    EXPECT_TRUE(capture.Take().empty()); // not an error worth a log line
}

TEST(TBitmapSharing, CopiesSharePixelsUntilOneIsWritten) {
    TBitmap a;
    a.SetSize(2, 2);
    a.MutableDib().Fill({1, 2, 3});
    TBitmap b = a;
    EXPECT_EQ(a.Dib().Bits(), b.Dib().Bits());
    b.MutableDib().SetPixel(0, 0, {9, 9, 9});
    EXPECT_NE(a.Dib().Bits(), b.Dib().Bits());
    EXPECT_EQ(a.Dib().GetPixel(0, 0), (TColorTriple{1, 2, 3}));
    EXPECT_EQ(b.Dib().GetPixel(0, 0), (TColorTriple{9, 9, 9}));
    EXPECT_EQ(b.PixelFormat(), 24);
    EXPECT_EQ(TBitmap().PixelFormat(), 0);
}

} // namespace
} // namespace pm
