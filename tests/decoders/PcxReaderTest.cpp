#include "decoders/Decoders.h"
#include "support/ByteBuilder.h"
#include "support/ReaderTestKit.h"

#include <gtest/gtest.h>

namespace pm::test {
namespace {

TBytes PcxHeader(int bitsPerPlane, int planes, int width, int height, int bytesPerLine, int version = 5,
                 int encoding = 1) {
    TBytes b;
    b.U8(0x0A).U8(version).U8(encoding).U8(bitsPerPlane);
    b.U16LE(0).U16LE(0).U16LE(width - 1).U16LE(height - 1).U16LE(72).U16LE(72);
    for (int i = 0; i < 16; ++i)
        b.Raw({unsigned(i * 16), unsigned(255 - i * 16), unsigned(i)});  // header palette
    b.U8(0).U8(planes).U16LE(bytesPerLine).U16LE(1).Zeros(58);
    return b;
}

TEST(PcxReader, BuiltFilesGiveTheirPixels) {
    std::vector<TBuiltFile> cases;
    {  // 24 bits as three planes; odd bytes per line leave a pad byte per plane.
        TBytes b = PcxHeader(8, 3, 2, 1, 3);
        b.Raw({0xC2, 10, 0, 0xC2, 20, 0, 30, 0xC1, 0xC8, 0});  // literal 0xC8 needs a run
        cases.push_back({"24-bit planes", b.Bytes(), 2, 1, 24, {0x0A141E, 0x0A14C8}});
    }
    {  // 256 colours with the palette behind the data.
        TBytes b = PcxHeader(8, 1, 2, 2, 2);
        b.Raw({0xC2, 1, 1, 2});
        b.U8(0x0C);
        for (int i = 0; i < 256; ++i) b.Raw({unsigned(i), 0, unsigned(255 - i)});
        cases.push_back({"256 colours", b.Bytes(), 2, 2, 8, {0x0100FE, 0x0100FE, 0x0100FE, 0x0200FD}});
    }
    {  // One bit in four planes: each plane gives one bit of the index.
        TBytes b = PcxHeader(1, 4, 2, 1, 1);
        b.Raw({0x80, 0x40, 0xC1, 0xC0, 0x00});  // pixel 0: planes 0, 2 -> 5; pixel 1: planes 1, 2 -> 6
        cases.push_back({"EGA planes", b.Bytes(), 2, 1, 4, {0x50AF05, 0x609F06}});
    }
    {  // Two bits per pixel, header palette; uncompressed.
        TBytes b = PcxHeader(2, 1, 4, 1, 2, 5, 0);
        b.Raw({0x1B, 0});  // 0, 1, 2, 3
        cases.push_back({"CGA 2 bits", b.Bytes(), 4, 1, 4, {0x00FF00, 0x10EF01, 0x20DF02, 0x30CF03}});
    }
    {  // One bit, one plane: black and white.
        TBytes b = PcxHeader(1, 1, 3, 1, 2);
        b.Raw({0xA0, 0});
        cases.push_back({"monochrome", b.Bytes(), 3, 1, 1, {0xFFFFFF, 0x000000, 0xFFFFFF}});
    }
    {  // Version 3 carries no palette: the EGA default colours.
        TBytes b = PcxHeader(4, 1, 2, 1, 2, 3);
        b.Raw({0x1F, 0});
        cases.push_back({"version 3 default palette", b.Bytes(), 2, 1, 4, {0x0000AA, 0xFFFFFF}});
    }
    ExpectBuiltFiles(DecodePcx, cases);
}

TEST(PcxReader, PublicFilesLoad) {
    ExpectFileSizes(DecodePcx, {
                                   {"pillow/pil184.pcx", 447, 144, 1},
                                   {"pillow/odd_stride.pcx", 371, 150, 8},
                                   {"pillow/p_4_planes.pcx", 1, 1, 4},
                                   {"exiftool/PCX.pcx", 8, 8, 24},
                               });
}

TEST(PcxReader, DamagedFilesFailCleanly) {
    std::vector<TBadFile> cases;
    cases.push_back({"not PCX", TBytes().Text("GIF89a").Zeros(200).Bytes()});
    cases.push_back({"short header", PcxHeader(8, 1, 2, 2, 2).Bytes()});
    cases.back().bytes.resize(60);
    cases.push_back({"bytes per line too small", PcxHeader(8, 1, 10, 1, 4).Zeros(10).Bytes()});
    cases.push_back({"unsupported planes", PcxHeader(4, 3, 2, 1, 2).Zeros(10).Bytes()});
    cases.push_back({"truncated run", PcxHeader(8, 1, 4, 2, 4).Raw({0xC4, 1, 0xC2}).Bytes()});
    cases.push_back({"huge and nearly empty", PcxHeader(8, 3, 65535, 65535, 65535).Zeros(100).Bytes()});
    cases.push_back({"01r_00.pcx", ReadFileBytes(TestDataPath("pillow/01r_00.pcx"))});
    cases.push_back({"ossfuzz pcx", ReadFileBytes(TestDataPath("pillow/ossfuzz-4836216264589312.pcx"))});
    ExpectAllFail(DecodePcx, cases);
}

}  // namespace
}  // namespace pm::test
