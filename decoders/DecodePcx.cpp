// ZSoft Paintbrush (PCX, PCC; SCR screen captures share the format): 1, 2, 4
// and 8 bits per plane, planar palette images, 24 and 32-bit colour planes.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <vector>

namespace pm {

namespace {

// The 16 colours of the EGA default palette, for files that carry none.
const std::uint8_t kEgaPalette[16][3] = {
    {0, 0, 0},     {0, 0, 170},     {0, 170, 0},    {0, 170, 170},   {170, 0, 0},   {170, 0, 170},
    {170, 85, 0},  {170, 170, 170}, {85, 85, 85},   {85, 85, 255},   {85, 255, 85}, {85, 255, 255},
    {255, 85, 85}, {255, 85, 255},  {255, 255, 85}, {255, 255, 255},
};

}  // namespace

bool DecodePcx(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    const std::uint8_t maker = r.U8();
    const std::uint8_t version = r.U8();
    const std::uint8_t encoding = r.U8();
    const std::uint8_t bitsPerPlane = r.U8();
    const std::uint16_t xMin = r.U16LE(), yMin = r.U16LE(), xMax = r.U16LE(), yMax = r.U16LE();
    r.Skip(4);  // resolution
    const std::uint8_t* headerPalette = r.Bytes(48);
    r.Skip(1);
    const std::uint8_t planes = r.U8();
    const std::uint16_t bytesPerLine = r.U16LE();
    r.Seek(128);
    if (!r.Ok()) return Fail(error, "Truncated PCX header");
    if (maker != 0x0A || encoding > 1) return Fail(error, "Not a PCX file");
    if (xMax < xMin || yMax < yMin) return Fail(error, "PCX image has no pixels");
    const int width = xMax - xMin + 1, height = yMax - yMin + 1;

    const int indexBits = bitsPerPlane * planes;
    const bool colourPlanes = bitsPerPlane == 8 && (planes == 3 || planes == 4);
    const bool indexed = (bitsPerPlane == 1 || bitsPerPlane == 2 || bitsPerPlane == 4 || bitsPerPlane == 8) &&
                         planes >= 1 && indexBits <= 8;
    if (!colourPlanes && !indexed) return Fail(error, "Unsupported PCX bits and planes");
    if (std::uint64_t(bytesPerLine) * 8 < std::uint64_t(width) * bitsPerPlane)
        return Fail(error, "PCX line too short for the image width");

    // 256-colour images keep their palette behind the pixel data.
    std::size_t dataEnd = in.Size;
    const std::uint8_t* endPalette = nullptr;
    if (indexed && indexBits > 4 && in.Size >= 128 + 769 && in.Data[in.Size - 769] == 0x0C) {
        endPalette = in.Data + in.Size - 768;
        dataEnd = in.Size - 769;
    }

    const std::uint64_t lineBytes = std::uint64_t(bytesPerLine) * planes;
    const std::uint64_t total = lineBytes * height;
    const std::uint64_t available = dataEnd - 128;
    if (encoding == 1 ? !CodedDataCanHold(TCoding::PcxRle, available, total) : available < total)
        return Fail(error, "Truncated PCX image data");

    const int outBpp = colourPlanes ? planes * 8 : indexBits == 1 ? 1 : indexBits <= 4 ? 4 : 8;
    if (!CreateImage(out, width, height, outBpp, error)) return false;
    TFastDIB& img = out.Image;
    auto& pal = img.Colors();
    if (indexed) {
        if (indexBits == 1) {
            pal[0] = {0, 0, 0, 0};
            pal[1] = {255, 255, 255, 0};
        } else if (indexBits <= 4) {
            bool blank = true;
            for (int i = 0; i < 48; ++i) blank = blank && headerPalette[i] == 0;
            const bool useDefault = blank || version == 3;  // version 3 files carry no palette
            for (int i = 0; i < 16; ++i) {
                const std::uint8_t* c = useDefault ? kEgaPalette[i] : headerPalette + i * 3;
                pal[static_cast<std::size_t>(i)] = {c[2], c[1], c[0], 0};
            }
        } else if (endPalette) {
            for (int i = 0; i < 256; ++i)
                pal[static_cast<std::size_t>(i)] = {endPalette[i * 3 + 2], endPalette[i * 3 + 1],
                                                    endPalette[i * 3], 0};
        } else {
            SetGreyPalette(img, 1 << indexBits);
            out.Warn("The 256-colour palette is missing; the picture shows in grey");
        }
    }

    // Runs may pass from one plane of a line to the next, but never past the
    // line's end: each line is encoded on its own, so a run that reaches into
    // the next line would shift every pixel after it.
    const std::uint8_t* src = in.Data + 128;
    std::size_t pos = 0, srcLen = dataEnd - 128;
    std::uint8_t runValue = 0;
    unsigned runLeft = 0;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineBytes));
    for (int y = 0; y < height; ++y) {
        std::size_t i = 0;
        while (i < line.size()) {
            if (encoding == 0) {
                line[i++] = src[pos++];
                continue;
            }
            if (runLeft == 0) {
                if (pos >= srcLen) return Fail(error, "Truncated PCX image data");
                const std::uint8_t b = src[pos++];
                if ((b & 0xC0) == 0xC0) {
                    if (pos >= srcLen) return Fail(error, "Truncated PCX image data");
                    runLeft = b & 0x3Fu;  // may be 0: an empty run
                    runValue = src[pos++];
                    continue;
                }
                runLeft = 1;
                runValue = b;
            }
            line[i++] = runValue;
            --runLeft;
        }
        if (runLeft > 0) return Fail(error, "A run goes past the end of a scan line");

        const int row = height - 1 - y;
        std::uint8_t* d = img.Row(row);
        if (colourPlanes) {
            const int outBytes = planes;
            const std::uint8_t* rp = line.data();
            const std::uint8_t* gp = rp + bytesPerLine;
            const std::uint8_t* bp = gp + bytesPerLine;
            const std::uint8_t* ap = planes == 4 ? bp + bytesPerLine : nullptr;
            for (int x = 0; x < width; ++x) {
                d[x * outBytes] = bp[x];
                d[x * outBytes + 1] = gp[x];
                d[x * outBytes + 2] = rp[x];
                if (ap) d[x * outBytes + 3] = ap[x];
            }
            continue;
        }
        const unsigned mask = (1u << bitsPerPlane) - 1;
        for (int x = 0; x < width; ++x) {
            unsigned index = 0;
            const std::size_t bitPos = std::size_t(x) * bitsPerPlane;
            const unsigned shift = 8 - bitsPerPlane - static_cast<unsigned>(bitPos & 7);
            for (int p = 0; p < planes; ++p) {
                const std::uint8_t byte = line[std::size_t(p) * bytesPerLine + bitPos / 8];
                index |= ((byte >> shift) & mask) << (p * bitsPerPlane);
            }
            PutIndex(img, row, x, index);
        }
    }
    return true;
}

}  // namespace pm
