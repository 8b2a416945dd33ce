// Windows icons (ICO; cursors share the layout). Of all entries the largest
// is taken, the deepest among equally large ones. An entry is a PNG stream or
// a device-independent bitmap of twice the icon's height: the colour (XOR)
// image followed by a 1-bit AND mask.
//
// The icon is drawn as onto a new white bitmap, so the result is 24 bits:
// - with an alpha channel (32-bit entries whose alpha is not all zero, and
//   PNG entries) each pixel is blended over white by its alpha; the AND mask
//   is not used;
// - otherwise a pixel whose AND bit is clear shows its colour, and a pixel
//   whose AND bit is set shows white XOR its colour: white where the colour
//   is black (the transparent pixels), the inverse colour elsewhere.
#include "decoders/Decoders.h"
#include "decoders/PngReader.h"
#include "imaging/ByteOrder.h"
#include "imaging/Limits.h"

#include <cstring>
#include <vector>

namespace pm {

namespace {

struct TIconEntry {
    int width, height, bits;
    std::uint32_t size, offset;
};

std::uint8_t OverWhite(std::uint8_t c, std::uint8_t a) {
    return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

void BlendOverWhite(const TFastDIB& bgra, TFastDIB& out) {
    out.SetSize(bgra.Width(), bgra.Height(), 24);
    for (int y = 0; y < bgra.Height(); ++y) {
        const std::uint8_t* s = bgra.Row(y);
        TColorTriple* d = out.Row24(y);
        for (int x = 0; x < bgra.Width(); ++x, s += 4)
            d[x] = {OverWhite(s[0], s[3]), OverWhite(s[1], s[3]), OverWhite(s[2], s[3])};
    }
}

bool DecodeDibEntry(const std::uint8_t* p, std::size_t n, TFastDIB& out, std::string& error) {
    if (n < 40) {
        error = "Icon entry too short";
        return false;
    }
    const std::uint32_t headerSize = Get32LE(p);
    const auto width = static_cast<std::int32_t>(Get32LE(p + 4));
    const auto height2 = static_cast<std::int32_t>(Get32LE(p + 8));
    const int bpp = Get16LE(p + 14);
    const std::uint32_t compression = Get32LE(p + 16);
    std::uint32_t colorsUsed = Get32LE(p + 32);
    if (headerSize < 40 || headerSize > n || width <= 0 || height2 <= 0 || (height2 & 1)) {
        error = "Damaged icon bitmap header";
        return false;
    }
    const int height = height2 / 2;
    if (!ImageSizeAllowed(width, height)) {
        error = "Image size out of range";
        return false;
    }
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
        error = "Unsupported icon depth";
        return false;
    }
    if (compression != 0 && !(compression == 3 && (bpp == 16 || bpp == 32))) {
        error = "Unsupported icon compression";
        return false;
    }
    std::size_t tableBytes = 0;
    if (bpp <= 8) {
        if (colorsUsed == 0 || colorsUsed > (1u << bpp)) colorsUsed = 1u << bpp;
        tableBytes = 4 * static_cast<std::size_t>(colorsUsed);
    } else if (compression == 3) {
        // The three masks follow a 40-byte header; larger headers hold them.
        tableBytes = headerSize >= 52 ? 0 : 12;
        colorsUsed = 0;
    } else {
        colorsUsed = 0;
    }
    const std::size_t xorStride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    const std::size_t andStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    const std::size_t xorBytes = xorStride * static_cast<std::size_t>(height);
    const std::size_t andBytes = andStride * static_cast<std::size_t>(height);
    const std::size_t pixelsAt = headerSize + tableBytes;
    if (pixelsAt > n || xorBytes > n - pixelsAt) {
        error = "Truncated icon bitmap";
        return false;
    }
    // Many icons of 32 bits carry no AND mask; all others need it whole.
    const bool hasMask = andBytes <= n - pixelsAt - xorBytes;
    if (!hasMask && bpp != 32) {
        error = "Truncated icon mask";
        return false;
    }

    // The colour image as a BMP file image of its own, read by TFastDIB.
    const std::uint8_t* table = compression == 3 ? p + 40 : p + headerSize;
    const std::size_t copyTable = compression == 3 ? 12 : tableBytes;
    std::vector<std::uint8_t> bmp(14 + 40 + copyTable + xorBytes);
    bmp[0] = 'B';
    bmp[1] = 'M';
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(2, static_cast<std::uint32_t>(bmp.size()));
    put32(10, static_cast<std::uint32_t>(14 + 40 + copyTable));
    std::memcpy(bmp.data() + 14, p, 40);
    put32(14, 40);
    put32(22, static_cast<std::uint32_t>(height));
    put32(34, static_cast<std::uint32_t>(xorBytes));
    put32(46, colorsUsed);
    std::memcpy(bmp.data() + 54, table, copyTable);
    std::memcpy(bmp.data() + 54 + copyTable, p + pixelsAt, xorBytes);
    TFastDIB colour;
    if (!colour.LoadFromStream(bmp)) {
        error = "Damaged icon bitmap";
        return false;
    }

    if (bpp == 32 && compression == 0) {
        bool anyAlpha = false;
        for (int y = 0; y < height && !anyAlpha; ++y)
            for (int x = 0; x < width; ++x)
                if (colour.Row(y)[4 * x + 3]) {
                    anyAlpha = true;
                    break;
                }
        if (anyAlpha) {
            BlendOverWhite(colour, out);
            return true;
        }
    }
    TFastDIB result;
    result.SetSize(width, height, 24);
    const std::uint8_t* mask = p + pixelsAt + xorBytes;
    for (int y = 0; y < height; ++y) {
        TColorTriple* d = result.Row24(y);
        for (int x = 0; x < width; ++x) {
            TColorTriple c = colour.GetPixel(y, x);
            const bool andBit =
                hasMask && ((mask[static_cast<std::size_t>(y) * andStride + x / 8] >> (7 - (x & 7))) & 1);
            if (andBit)
                c = {static_cast<std::uint8_t>(255 - c.b), static_cast<std::uint8_t>(255 - c.g),
                     static_cast<std::uint8_t>(255 - c.r)};
            d[x] = c;
        }
    }
    out = std::move(result);
    return true;
}

}  // namespace

bool DecodeIcon(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Icon;
    const std::uint8_t* p = in.Data;
    const std::size_t n = in.Size;
    if (!p || n < 6 || Get16LE(p) != 0 || (Get16LE(p + 2) != 1 && Get16LE(p + 2) != 2)) {
        error = "Not an icon file";
        return false;
    }
    const int count = Get16LE(p + 4);
    if (count == 0 || 6 + 16 * static_cast<std::size_t>(count) > n) {
        error = "Damaged icon directory";
        return false;
    }
    const TIconEntry* best = nullptr;
    std::vector<TIconEntry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = p + 6 + 16 * static_cast<std::size_t>(i);
        TIconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, Get16LE(e + 6), Get32LE(e + 8),
                         Get32LE(e + 12)};
        if (entry.bits == 0) {  // older files leave the depth out: judge by the colour count
            const int colours = e[2];
            entry.bits = colours == 0 ? 8 : colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
        }
        if (entry.offset >= n || entry.size > n - entry.offset || entry.size == 0) continue;
        entries.push_back(entry);
    }
    for (const TIconEntry& e : entries) {
        if (!best) {
            best = &e;
            continue;
        }
        const long long area = static_cast<long long>(e.width) * e.height;
        const long long bestArea = static_cast<long long>(best->width) * best->height;
        if (area > bestArea || (area == bestArea && e.bits > best->bits)) best = &e;
    }
    if (!best) {
        error = "Icon without a readable entry";
        return false;
    }
    const std::uint8_t* data = p + best->offset;
    const std::size_t size = best->size;
    static const std::uint8_t pngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 8 && std::memcmp(data, pngSig, 8) == 0) {
        TFastDIB bgra;
        if (!ReadPngImage(data, size, bgra, error, true)) return false;
        BlendOverWhite(bgra, out.Image);
        return true;
    }
    return DecodeDibEntry(data, size, out.Image, error);
}

}  // namespace pm
