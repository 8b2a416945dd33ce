#include "FlawedFiles.h"

#include "LibImageBuilders.h"
#include "PspBuilder.h"
#include "decoders/Decoders.h"
#include "support/BmpBuilder.h"
#include "support/ByteBuilder.h"
#include "support/JpegTestFiles.h"

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace pm::test {

namespace {

// A 2 x 2 GIF with four colours whose LZW data is `codes`, three bits each
// (a clear code before every pixel keeps the table, and the width, small).
Bytes GifWithCodes(const std::vector<int>& codes) {
    TBytes b;
    b.Text("GIF89a").U16LE(2).U16LE(2).U8(0x81).U8(0).U8(0);
    b.Raw({255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    b.U8(0x2C).U16LE(0).U16LE(0).U16LE(2).U16LE(2).U8(0).U8(2);
    Bytes packed;
    unsigned buffer = 0;
    int bits = 0;
    for (int c : codes) {
        buffer |= unsigned(c) << bits;
        bits += 3;
        while (bits >= 8) {
            packed.push_back(static_cast<std::uint8_t>(buffer));
            buffer >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) packed.push_back(static_cast<std::uint8_t>(buffer));
    b.U8(static_cast<unsigned>(packed.size())).Append(packed).U8(0).U8(0x3B);
    return b.Bytes();
}

// A 4 x 2 run-length BMP with four colours.
Bytes Rle8Bmp(const Bytes& runs) {
    BmpLayout layout;
    layout.width = 4;
    layout.height = 2;
    layout.bpp = 8;
    layout.compression = 1;
    layout.colorsUsed = 4;
    layout.palette = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    layout.pixels = runs;
    return MakeBmp(layout);
}

// A 2 x 2 PCX of 256 colours: header, `data`, palette.
Bytes Pcx256(const Bytes& data) {
    TBytes b;
    b.U8(0x0A).U8(5).U8(1).U8(8).U16LE(0).U16LE(0).U16LE(1).U16LE(1).U16LE(72).U16LE(72).Zeros(48);
    b.U8(0).U8(1).U16LE(2).U16LE(1).Zeros(58).Append(data).U8(0x0C);
    for (int i = 0; i < 256; ++i) b.Raw({unsigned(i), unsigned(255 - i), 7});
    return b.Bytes();
}

// The first position of `what` in `bytes` at or after `from`.
std::size_t Find(const Bytes& bytes, const std::string& what, std::size_t from = 0) {
    const auto it =
        std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(), what.begin(), what.end());
    if (it == bytes.end()) throw std::runtime_error("test file lacks " + what);
    return static_cast<std::size_t>(it - bytes.begin());
}

// A grey 8 x 2 TIFF in PackBits strips whose first run is nine bytes too long.
Bytes OverrunPackBitsTiff() {
    TTiffLayout layout;
    layout.width = 8;
    layout.height = 2;
    layout.compression = COMPRESSION_PACKBITS;
    layout.rowsPerStrip = 2;
    Bytes file = MakeTiff(layout, [](int, int, int) { return 0x5A; });
    for (std::size_t i = 8; i + 1 < file.size(); ++i)
        if (file[i] >= 0x81 && file[i] <= 0xF9 && file[i + 1] == 0x5A) {
            file[i] = static_cast<std::uint8_t>(file[i] - 9);
            return file;
        }
    throw std::runtime_error("no PackBits run found");
}

// Where the entropy-coded data of the first scan starts.
std::size_t ScanData(const Bytes& jpeg) {
    for (std::size_t i = 2; i + 3 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) return i + 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]);
    throw std::runtime_error("no scan");
}

const std::string kEpsHead = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 4 4\n%%EndComments\n"
                             "/s 4 string def 4 4 scale\n"
                             "4 4 8 [4 0 0 -4 0 4] {currentfile s readhexstring pop} image\n";
const std::string kEpsPixels = "00112233445566778899AABBCCDDEEFF";
const std::string kEpsTail = "\nshowpage\n%%EOF\n";

std::string TwoDigits(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", v & 0xFF);
    return text;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

Bytes PsdGrey(const Bytes& rowData) {
    TBytes b;
    b.Text("8BPS").U16BE(1).Zeros(6).U16BE(1).U32BE(1).U32BE(2).U16BE(8).U16BE(1);
    b.U32BE(0).U32BE(0).U32BE(0).U16BE(1);
    b.U16BE(static_cast<unsigned>(rowData.size())).Append(rowData);
    return b.Bytes();
}

Bytes PspLayerFile(const Bytes& extraBlock) {
    std::vector<TPspBytes> ch;
    for (int c = 1; c <= 3; ++c) ch.push_back(PspChannel(6, {std::uint8_t(40 * c), 0, 0, 0}, c));
    TPspLayerSpec layer;
    layer.right = layer.bottom = 1;
    layer.channels = ch;
    std::vector<TPspBytes> blocks = {PspAttributes(6, 1, 1, 0, 24)};
    if (!extraBlock.empty()) blocks.push_back(extraBlock);
    blocks.push_back(PspLayerBank(6, {layer}));
    return PspFile(6, blocks);
}

}  // namespace

bool GhostscriptAvailable() {
    return std::system("gs --version > /dev/null 2>&1") == 0;
}

std::vector<TFlawedFile> DamagedFiles(bool withRenderer) {
    std::vector<TFlawedFile> files;
    files.push_back({"GIF code beyond the table", "gif", DecodeGif, GifWithCodes({4, 0, 7, 4, 1, 5}),
                     "LZW code out of range"});
    files.push_back({"GIF table code right after a clear", "gif", DecodeGif, GifWithCodes({4, 6, 5}),
                     "LZW code out of range"});
    files.push_back({"GIF data ends early", "gif", DecodeGif, GifWithCodes({4, 0, 4, 1, 5}),
                     "Image data ends before the last pixel"});
    files.push_back({"BMP run past the row", "bmp", DecodeBmp, Rle8Bmp({5, 1, 0, 0, 4, 2, 0, 1}),
                     "A run goes past the end of its row"});
    files.push_back({"BMP absolute run past the row", "bmp", DecodeBmp,
                     Rle8Bmp({2, 1, 0, 3, 1, 2, 3, 0, 0, 0, 4, 2, 0, 1}),
                     "A run goes past the end of its row"});
    files.push_back({"BMP delta out of the picture", "bmp", DecodeBmp,
                     Rle8Bmp({4, 1, 0, 2, 0, 5, 4, 2, 0, 1}), "A delta moves out of the picture"});
    files.push_back({"PCX run into the next line", "pcx", DecodePcx, Pcx256({0xC3, 1, 0xC1, 2}),
                     "A run goes past the end of a scan line"});
    files.push_back({"TIFF PackBits run past the strip", "tif", DecodeTiff, OverrunPackBitsTiff(),
                     "PackBitsDecode: Discarding 9 bytes to avoid buffer overrun"});
    {
        Bytes jpeg = MakeJpeg(TJpegKind::Baseline, 32, 32);
        const std::size_t at = ScanData(jpeg) + 8;
        for (std::size_t k = 0; k < 12; k += 2) {
            jpeg.at(at + k) = 0xFF;  // a stuffed FF: sixteen one bits are no Huffman code
            jpeg.at(at + k + 1) = 0x00;
        }
        files.push_back(
            {"JPEG with a bad Huffman code", "jpg", DecodeJpeg, jpeg, "Corrupt JPEG data: bad Huffman code"});
    }
    {
        Bytes png =
            MakePng(4, 4, PNG_COLOR_TYPE_RGB, 8, false, [](int x, int y, int c) { return x * 9 + y + c; });
        const std::size_t idat = Find(png, "IDAT");
        const std::size_t length =
            (png.at(idat - 4) << 24) | (png.at(idat - 3) << 16) | (png.at(idat - 2) << 8) | png.at(idat - 1);
        png.at(idat + 4 + length) ^= 0x40;  // the chunk's CRC
        files.push_back({"PNG data that fails its CRC", "png", DecodePng, png, "IDAT: CRC error"});
    }
    files.push_back({"CUT line shorter than the width", "cut", DecodeCut,
                     TBytes().U16LE(4).U16LE(1).U16LE(0).U16LE(3).Raw({0x82, 7, 0}).Bytes(),
                     "A line ends before the image width"});
    {
        TPspLayerSpec layer;
        layer.right = 2;
        layer.bottom = 1;
        layer.channels = {PspChannel(6, {0x85, 7}, 0)};
        files.push_back({"PSP run past the channel", "psp", DecodePsp,
                         PspFile(6, {PspAttributes(6, 2, 1, 1, 8), PspLayerBank(6, {layer})}),
                         "A run goes past the end of the channel"});
    }
    if (withRenderer)
        files.push_back({"EPS whose image data is cut", "eps", DecodeEps,
                         Text(kEpsHead + kEpsPixels.substr(0, 12)),
                         "The PostScript data ends early; only part of the picture was drawn"});
    return files;
}

std::vector<TFlawedFile> HarmlessOddities(bool withRenderer) {
    std::vector<TFlawedFile> files;
    {
        const Bytes clean = Rle8Bmp({4, 1, 0, 0, 4, 2, 0, 1});
        Bytes odd = clean;
        odd[2] = odd[3] = odd[4] = 0xFF;
        odd[5] = 0x7F;
        files.push_back(
            {"BMP file size field too large", "bmp", DecodeBmp, odd,
             "The file size field says 2147483647 bytes, the file holds " + std::to_string(odd.size()),
             clean});
    }
    {
        BmpLayout layout;
        layout.width = 2;
        layout.height = 2;
        layout.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
        const Bytes clean = MakeBmp(layout);
        layout.sizeImage = 0x40000000;
        files.push_back({"BMP image size field too large", "bmp", DecodeBmp, MakeBmp(layout),
                         "The image size field says 1073741824 bytes, only 16 follow the header", clean});
    }
    files.push_back(
        {"GIF data for more pixels", "gif", DecodeGif, GifWithCodes({4, 0, 4, 1, 4, 2, 4, 3, 4, 1, 5}),
         "Image data holds more pixels than the image", GifWithCodes({4, 0, 4, 1, 4, 2, 4, 3, 5})});
    files.push_back({"PSD row longer than its runs", "psd", DecodePsd, PsdGrey({1, 10, 20, 0, 9}),
                     "The row length table gives rows more bytes than their runs use", PsdGrey({1, 10, 20})});
    {
        const Bytes clean = MakeJpeg(TJpegKind::Baseline, 16, 16);
        Bytes odd = clean;
        const std::size_t version = Find(odd, std::string("JFIF\0", 5)) + 5;
        odd[version] = 2;  // a JFIF revision the reader does not know
        files.push_back({"JPEG of an unknown JFIF revision", "jpg", DecodeJpeg, odd,
                         "Warning: unknown JFIF revision number 2." + TwoDigits(clean[version + 1]), clean});
    }
    {
        const Bytes clean =
            MakePng(4, 4, PNG_COLOR_TYPE_RGB, 8, false, [](int x, int y, int c) { return x * 9 + y + c; });
        Bytes odd = clean;
        const Bytes text = TBytes().U32BE(3).Text("tEXt").Raw({'a', 0, 'b'}).U32BE(0x12345678).Bytes();
        odd.insert(odd.end() - 12, text.begin(), text.end());  // before IEND, with a wrong CRC
        files.push_back(
            {"PNG text chunk that fails its CRC", "png", DecodePng, odd, "tEXt: CRC error", clean});
    }
    {
        TPspBytes bank = TBytes().U32LE(8).U32LE(1).Append(PspBlock(6, 17, {1, 2, 3})).Bytes();
        files.push_back(
            {"PSP composite cut short", "psp", DecodePsp, PspLayerFile(PspBlock(6, 16, bank)),
             "Composite image damaged (Truncated composite image attributes); the layers are shown",
             PspLayerFile({})});
    }
    if (withRenderer) {
        const std::string ps = kEpsHead + kEpsPixels + kEpsTail;
        TTiffLayout layout;
        layout.width = layout.height = 2;
        Bytes odd = MakeDosEps(ps, {}, MakeTiff(layout, [](int, int, int) { return 1; }));
        const std::uint32_t beyond = static_cast<std::uint32_t>(odd.size() + 100);
        std::memcpy(odd.data() + 20, &beyond, 4);  // the TIFF preview's offset (little-endian host)
        files.push_back({"EPS preview beyond the end", "eps", DecodeEps, odd,
                         "The TIFF preview section lies outside the file", Text(ps)});
    }
    return files;
}

}  // namespace pm::test
