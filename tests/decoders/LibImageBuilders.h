#pragma once
// Small image files made in memory for the reader tests: PNG, TIFF and GIF
// through their libraries' writers, ICO, WMF, EMF and DOS EPS by hand.
#include "imaging/FastDIB.h"
#include "support/ReaderTestKit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pm::test {

using Bytes = std::vector<std::uint8_t>;

// Path of a file below tests/data.
inline std::string TestData(const std::string& relative) {
    return TestDataPath(relative);
}

// Picture line y counted from the top, as the files store them.
TColorTriple PixelAt(const TFastDIB& dib, int x, int y);

struct TColourProbe {
    int x, y;  // y counted from the top
    TColorTriple colour;
};
// Each probed pixel has its colour.
void ExpectColours(const TFastDIB& dib, const std::vector<TColourProbe>& probes);

// PNG of colour type/bit depth with samples from `sample(x, y, channel)`;
// a palette image gets `palette` (RGB triples).
Bytes MakePng(int width, int height, int colorType, int bitDepth, bool interlaced,
              const std::function<int(int, int, int)>& sample, const std::vector<std::uint8_t>& palette = {});

struct TTiffLayout {
    int width = 0, height = 0;
    int photometric = 1, bitsPerSample = 8, samples = 1, compression = 1;
    bool tiled = false;
    int rowsPerStrip = 0;                 // 0: one strip per 3 rows
    std::vector<std::uint16_t> colormap;  // 3 * 2^bits entries for palette images
    int extraSamples = 0;                 // 1: one unassociated alpha sample
};
// Three 8-bit samples a pixel (RGB) in strips of 3 rows.
inline TTiffLayout RgbLayout(int width, int height) {
    TTiffLayout layout;
    layout.width = width;
    layout.height = height;
    layout.photometric = 2;  // PHOTOMETRIC_RGB
    layout.samples = 3;
    return layout;
}
// Samples come from `sample(x, y, channel)`, already in the file's depth.
Bytes MakeTiff(const TTiffLayout& layout, const std::function<int(int, int, int)>& sample);

struct TGifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<std::uint8_t> localPalette;  // RGB triples; empty: use the global one
    std::function<int(int, int)> index;
};
Bytes MakeGif(int screenW, int screenH, const std::vector<std::uint8_t>& globalPalette, int background,
              const std::vector<TGifFrame>& frames);

// An ICO of the given entries (each a DIB with its AND mask, or a PNG stream).
Bytes MakeIco(const std::vector<Bytes>& entries, const std::vector<std::pair<int, int>>& sizes,
              const std::vector<int>& depths);
// A DIB icon entry: BITMAPINFOHEADER (height doubled), palette, XOR rows and
// AND rows, both bottom-up; `colour(x, y)` gives BGRA for 32 bits, an index
// for palette depths, BGR for 24 bits.
Bytes MakeIconDib(int width, int height, int bpp, const std::vector<std::uint8_t>& paletteBgr,
                  const std::function<std::uint32_t(int, int)>& colour,
                  const std::function<bool(int, int)>& andBit, bool withMask = true);

// Metafile records.
struct TWmfBuilder {
    Bytes records;
    void Record(std::uint16_t function, const std::vector<std::int16_t>& params, const Bytes& tail = {});
    // Placeable header with bounds and units per inch, standard header, records, end.
    Bytes Finish(bool placeable, int left, int top, int right, int bottom, int inch, int objects) const;
};
struct TEmfBuilder {
    Bytes records;
    int count = 0;
    void Record(std::uint32_t type, const std::vector<std::int32_t>& params, const Bytes& tail = {});
    // Header with bounds (pixels), frame (0.01 mm), a 96 dpi reference device.
    Bytes Finish(int boundsR, int boundsB, int frameR, int frameB, int handles, bool withEof = true) const;
};
// A packed 24-bit bottom-up DIB (BITMAPINFOHEADER + rows) from `colour(x, y)`.
Bytes MakePackedDib24(int width, int height, const std::function<TColorTriple(int, int)>& colour);

// DOS EPS binary header around PostScript, WMF and TIFF sections.
Bytes MakeDosEps(const std::string& postscript, const Bytes& wmf, const Bytes& tiff);

}  // namespace pm::test

#include "decoders/Picture.h"

namespace pm::test {

// Runs a reader on bytes named "test"; the picture and the error text stay
// for checks.
using TDecoded = TDecodeResult;
inline TDecoded Decode(TDecoderFn fn, const Bytes& bytes, const std::string& fileName = "test") {
    return DecodeBytes(fn, bytes, fileName);
}

// Every cut of `bytes` at the given fractions of its length must fail.
std::vector<double> TruncationPoints();

}  // namespace pm::test
