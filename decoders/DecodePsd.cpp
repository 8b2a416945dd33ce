// Photoshop documents (PSD, PDD, and the large-document variant): the merged
// image behind the layers, raw or PackBits, 1, 8 or 16 bits per channel, in
// bitmap, grey, duotone, indexed, RGB, CMYK and multichannel modes.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <vector>

namespace pm {

namespace {

enum PsdMode { kBitmap = 0, kGrey = 1, kIndexed = 2, kRgb = 3, kCmyk = 4, kMultichannel = 7, kDuotone = 8 };

// One PackBits row into exactly `row.size()` bytes; false when the data runs
// out or a run overshoots the row. `extra` tells of bytes left over: the row's
// length in the table is larger than its runs.
bool UnpackBitsRow(const std::uint8_t* src, std::size_t len, std::vector<std::uint8_t>& row, bool& extra) {
    std::size_t in = 0, outPos = 0;
    const std::size_t n = row.size();
    while (outPos < n) {
        if (in >= len) return false;
        const int code = static_cast<std::int8_t>(src[in++]);
        if (code >= 0) {
            const std::size_t count = static_cast<std::size_t>(code) + 1;
            if (in + count > len || outPos + count > n) return false;
            for (std::size_t k = 0; k < count; ++k) row[outPos++] = src[in++];
        } else if (code != -128) {
            const std::size_t count = static_cast<std::size_t>(1 - code);
            if (in >= len || outPos + count > n) return false;
            const std::uint8_t v = src[in++];
            for (std::size_t k = 0; k < count; ++k) row[outPos++] = v;
        }
    }
    while (in < len && src[in] == 0x80) ++in;  // no-op codes may pad a row
    if (in < len) extra = true;
    return true;
}

}  // namespace

bool DecodePsd(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    const std::uint32_t signature = r.U32BE();
    const std::uint16_t version = r.U16BE();
    r.Skip(6);
    const std::uint16_t channels = r.U16BE();
    const std::uint32_t height = r.U32BE();
    const std::uint32_t width = r.U32BE();
    const std::uint16_t depth = r.U16BE();
    const std::uint16_t mode = r.U16BE();
    if (!r.Ok()) return Fail(error, "Truncated Photoshop header");
    if (signature != 0x38425053 || (version != 1 && version != 2)) return Fail(error, "Not a Photoshop file");
    const bool large = version == 2;
    if (channels < 1 || channels > 56) return Fail(error, "Invalid Photoshop channel count");
    if (width == 0 || height == 0) return Fail(error, "Photoshop image has no pixels");

    int used;  // channels that make up the picture
    int outBpp;
    switch (mode) {
    case kBitmap:
        if (depth != 1) return Fail(error, "Unsupported Photoshop bitmap depth");
        used = 1;
        outBpp = 1;
        break;
    case kGrey:
    case kDuotone:  // shown as its grey base
    case kMultichannel:
    case kIndexed:
        used = 1;
        outBpp = 8;
        break;
    case kRgb:
        used = channels >= 4 ? 4 : 3;
        outBpp = used * 8;
        break;
    case kCmyk:
        used = 4;
        outBpp = 24;
        break;
    default:
        return Fail(error, "Unsupported Photoshop colour mode");
    }
    if (mode != kBitmap && depth != 8 && depth != 16) return Fail(error, "Unsupported Photoshop bit depth");
    if (mode == kIndexed && depth != 8) return Fail(error, "Unsupported Photoshop bit depth");
    if (channels < used) return Fail(error, "Too few Photoshop channels for the colour mode");

    // Colour mode data: the palette of indexed images.
    const std::uint32_t modeDataLength = r.U32BE();
    const std::uint8_t* modeData = r.Bytes(modeDataLength);
    if (!r.Ok()) return Fail(error, "Truncated Photoshop colour mode data");
    if (mode == kIndexed && modeDataLength < 768) return Fail(error, "Photoshop palette missing");
    // Image resources, then layers and masks: skipped.
    if (!r.Skip(r.U32BE())) return Fail(error, "Truncated Photoshop image resources");
    const std::uint64_t layerLength = large ? r.U64BE() : r.U32BE();
    if (!r.Ok() || !r.Skip(layerLength)) return Fail(error, "Truncated Photoshop layer data");

    const std::uint16_t compression = r.U16BE();
    if (!r.Ok()) return Fail(error, "Photoshop file has no merged image");
    if (compression > 1) return Fail(error, "Unsupported Photoshop compression");

    const std::uint64_t rowBytes =
        depth == 1 ? (std::uint64_t(width) + 7) / 8 : std::uint64_t(width) * (depth / 8);
    std::vector<std::uint64_t> rowStart;  // offset of every row of the used channels
    std::vector<std::uint32_t> rowLength;
    const std::uint64_t usedRows = std::uint64_t(used) * height;
    if (compression == 0) {
        if (!r.Has(usedRows * rowBytes)) return Fail(error, "Truncated Photoshop image data");
    } else {
        const int countBytes = large ? 4 : 2;
        const std::uint64_t allRows = std::uint64_t(channels) * height;
        if (!r.Has(allRows * countBytes)) return Fail(error, "Truncated Photoshop row table");
        // Each PackBits row needs at least two bytes per 128 bytes it yields.
        const std::uint64_t minRow = (rowBytes + 127) / 128 * 2;
        if (!CodedDataCanHold(TCoding::Raw, r.Remaining() - allRows * countBytes, usedRows * minRow))
            return Fail(error, "Truncated Photoshop image data");
        rowStart.resize(static_cast<std::size_t>(usedRows));
        rowLength.resize(static_cast<std::size_t>(usedRows));
        std::uint64_t offset = r.Pos() + allRows * countBytes;
        for (std::size_t i = 0; i < rowStart.size(); ++i) {
            rowLength[i] = large ? r.U32BE() : r.U16BE();
            rowStart[i] = offset;
            offset += rowLength[i];
            if (offset > in.Size) return Fail(error, "Truncated Photoshop image data");
        }
    }

    if (!CreateImage(out, width, height, outBpp, error)) return false;
    TFastDIB& img = out.Image;
    auto& pal = img.Colors();
    if (mode == kBitmap) {  // a set bit is black
        pal[0] = {255, 255, 255, 0};
        pal[1] = {0, 0, 0, 0};
    } else if (mode == kIndexed) {
        for (int i = 0; i < 256; ++i)
            pal[static_cast<std::size_t>(i)] = {modeData[512 + i], modeData[256 + i], modeData[i], 0};
    } else if (outBpp == 8) {
        SetGreyPalette(img, 256);
    }

    // CMYK keeps its black plane aside until the other three are in.
    std::vector<std::uint8_t> black;
    if (mode == kCmyk) black.resize(std::size_t(width) * height);
    static const int rgbSlots[4] = {2, 1, 0, 3};
    const int pixelBytes = outBpp / 8;
    const std::uint64_t rawStart = r.Pos();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
    bool extra = false;
    for (int c = 0; c < used; ++c) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::size_t k = static_cast<std::size_t>(c) * height + y;
            if (compression == 0) {
                const std::uint8_t* p = in.Data + rawStart + k * rowBytes;
                row.assign(p, p + rowBytes);
            } else if (!UnpackBitsRow(in.Data + rowStart[k], rowLength[k], row, extra)) {
                return Fail(error, "Corrupt Photoshop run-length data");
            }
            const int outRow = static_cast<int>(height - 1 - y);
            std::uint8_t* d = img.Row(outRow);
            if (mode == kBitmap) {
                for (std::size_t i = 0; i < rowBytes; ++i) d[i] = row[i];
                continue;
            }
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint8_t v = depth == 16 ? Scale16(Get16BE(&row[x * 2])) : row[x];
                if (mode == kCmyk && c == 3)
                    black[std::size_t(y) * width + x] = v;
                else
                    d[x * pixelBytes + (pixelBytes == 1 ? 0 : rgbSlots[c])] = v;
            }
        }
    }
    if (extra) out.Warn("The row length table gives rows more bytes than their runs use");
    if (mode == kCmyk) {
        // Stored CMYK values are inverted (255 is no ink), so each colour is
        // the product of its value and the black value.
        for (std::uint32_t y = 0; y < height; ++y) {
            std::uint8_t* d = img.Row(static_cast<int>(height - 1 - y));
            for (std::uint32_t x = 0; x < width; ++x) {
                const unsigned k = black[std::size_t(y) * width + x];
                for (int i = 0; i < 3; ++i)
                    d[x * 3 + i] = static_cast<std::uint8_t>((d[x * 3 + i] * k + 127) / 255);
            }
        }
    }
    return true;
}

}  // namespace pm
