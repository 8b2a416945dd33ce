// SGI image files (SGI, RGB, RGBA, BW): verbatim or run-length encoded
// channel planes, 1 to 4 channels of 8 or 16 bits, stored bottom line first.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <vector>

namespace pm {

namespace {

constexpr std::size_t kSgiHeader = 512;

// Expands one run-length row of `width` samples into `row`; false when the
// row ends early, runs past its width or leaves its stored extent.
bool ExpandSgiRow(const std::uint8_t* src, std::size_t len, int bpc, int width,
                  std::vector<std::uint16_t>& row) {
    std::size_t pos = 0;
    int x = 0;
    auto next = [&](std::uint16_t& v) {
        if (pos + bpc > len) return false;
        v = bpc == 1 ? src[pos] : Get16BE(src + pos);
        pos += bpc;
        return true;
    };
    while (x < width) {
        std::uint16_t code;
        if (!next(code)) return false;
        const int count = code & 0x7F;
        if (count == 0) return false;  // the row stops short of its width
        if (count > width - x) return false;
        if (code & 0x80) {
            for (int k = 0; k < count; ++k)
                if (!next(row[static_cast<std::size_t>(x++)])) return false;
        } else {
            std::uint16_t v;
            if (!next(v)) return false;
            for (int k = 0; k < count; ++k) row[static_cast<std::size_t>(x++)] = v;
        }
    }
    return true;
}

}  // namespace

bool DecodeSgi(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    const std::uint16_t magic = r.U16BE();
    const std::uint8_t storage = r.U8();
    const std::uint8_t bpc = r.U8();
    const std::uint16_t dimension = r.U16BE();
    std::uint16_t xsize = r.U16BE(), ysize = r.U16BE(), zsize = r.U16BE();
    r.Seek(104);
    const std::uint32_t colormap = r.U32BE();
    if (!r.Ok() || in.Size < kSgiHeader) return Fail(error, "Truncated SGI header");
    if (magic != 474) return Fail(error, "Not an SGI image file");
    if (storage > 1 || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3)
        return Fail(error, "Unsupported SGI storage");
    if (colormap != 0) return Fail(error, "SGI colour-map files hold no image");
    if (dimension == 1) ysize = 1;
    if (dimension < 3) zsize = 1;
    if (xsize == 0 || ysize == 0 || zsize == 0) return Fail(error, "SGI image has no pixels");

    // One or two channels are grey (and alpha), three RGB, four RGBA; further
    // channels are not shown.
    const int channels = zsize >= 4 ? 4 : zsize == 3 ? 3 : 1;
    const int outBpp = channels == 4 ? 32 : channels == 3 ? 24 : 8;
    const int width = xsize, height = ysize;
    const std::uint64_t rows = std::uint64_t(ysize) * zsize;

    std::vector<std::uint32_t> starts, lengths;
    if (storage == 0) {
        const std::uint64_t plane = std::uint64_t(width) * height * bpc;
        if (!r.Seek(kSgiHeader) || !r.Has(plane * channels)) return Fail(error, "Truncated SGI image data");
    } else {
        // Offset and length tables: one entry per row of every channel.
        if (!r.Seek(kSgiHeader) || !r.Has(rows * 8)) return Fail(error, "Truncated SGI offset tables");
        starts.resize(static_cast<std::size_t>(rows));
        lengths.resize(static_cast<std::size_t>(rows));
        for (auto& s : starts) s = r.U32BE();
        for (auto& l : lengths) l = r.U32BE();
        for (int z = 0; z < channels; ++z)
            for (int y = 0; y < height; ++y) {
                const std::size_t k = static_cast<std::size_t>(y) + static_cast<std::size_t>(z) * height;
                if (starts[k] < kSgiHeader || std::uint64_t(starts[k]) + lengths[k] > in.Size)
                    return Fail(error, "SGI row outside the file");
            }
        // Rows may share their bytes, but all of them come out of the file.
        if (!CodedDataCanHold(TCoding::PackBits, in.Size, std::uint64_t(width) * height * bpc * channels))
            return Fail(error, "Truncated SGI image data");
    }

    if (!CreateImage(out, width, height, outBpp, error)) return false;
    TFastDIB& img = out.Image;
    if (outBpp == 8) SetGreyPalette(img, 256);

    // Channel z goes to byte `slot` of a pixel: red, green, blue, alpha.
    static const int slots[4] = {2, 1, 0, 3};
    const int pixelBytes = outBpp / 8;
    std::vector<std::uint16_t> row(static_cast<std::size_t>(width));
    for (int z = 0; z < channels; ++z) {
        const int slot = channels == 1 ? 0 : slots[z];
        for (int y = 0; y < height; ++y) {
            if (storage == 0) {
                const std::uint8_t* p =
                    in.Data + kSgiHeader + (std::uint64_t(z) * height + y) * std::uint64_t(width) * bpc;
                for (int x = 0; x < width; ++x)
                    row[static_cast<std::size_t>(x)] = bpc == 1 ? p[x] : Get16BE(p + 2 * x);
            } else {
                const std::size_t k = static_cast<std::size_t>(y) + static_cast<std::size_t>(z) * height;
                if (!ExpandSgiRow(in.Data + starts[k], lengths[k], bpc, width, row))
                    return Fail(error, "Corrupt SGI run-length row");
            }
            std::uint8_t* d = img.Row(y);  // the first stored row is the bottom line
            for (int x = 0; x < width; ++x) {
                const std::uint16_t v = row[static_cast<std::size_t>(x)];
                d[x * pixelBytes + slot] = bpc == 1 ? static_cast<std::uint8_t>(v) : Scale16(v);
            }
        }
    }
    return true;
}

}  // namespace pm
