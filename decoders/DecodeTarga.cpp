// Truevision Targa: colour-mapped (1, 9), true-colour (2, 10) and grey (3,
// 11) images, raw or run-length encoded, stored from any corner.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <cstring>
#include <vector>

namespace pm {

namespace {

enum class TgaOut { Index8, Grey16, Mapped16, Rgb555, Rgb24, Rgba32 };

TRGBQuad MapEntry(const std::uint8_t* p, int bits) {
    switch (bits) {
    case 8:  // a map of grey levels
        return {p[0], p[0], p[0], 0};
    case 15:
    case 16: {
        const std::uint16_t v = Get16LE(p);
        return {Widen5(v), Widen5(v >> 5), Widen5(v >> 10), 0};
    }
    case 24:
        return {p[0], p[1], p[2], 0};
    default:
        return {p[0], p[1], p[2], 0};  // 32: the fourth byte is alpha
    }
}

}  // namespace

bool DecodeTarga(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    const std::uint8_t idLength = r.U8();
    const std::uint8_t mapType = r.U8();
    const std::uint8_t imageType = r.U8();
    const std::uint16_t mapFirst = r.U16LE();
    const std::uint16_t mapLength = r.U16LE();
    const std::uint8_t mapBits = r.U8();
    r.Skip(4);  // x and y origin: only for placing the image on a screen
    const std::uint16_t width = r.U16LE();
    const std::uint16_t height = r.U16LE();
    const std::uint8_t bits = r.U8();
    const std::uint8_t descriptor = r.U8();
    if (!r.Ok()) return Fail(error, "Truncated Targa header");

    const bool rle = imageType == 9 || imageType == 10 || imageType == 11;
    const int kind = rle ? imageType - 8 : imageType;  // 1 mapped, 2 true colour, 3 grey
    if (kind < 1 || kind > 3) return Fail(error, "Unsupported Targa image type");
    if (mapType > 1) return Fail(error, "Invalid Targa colour map type");
    if (width == 0 || height == 0) return Fail(error, "Targa image has no pixels");

    TgaOut mode;
    int outBpp;
    if (kind == 1) {
        if (mapType != 1 || mapLength == 0) return Fail(error, "Colour-mapped Targa without a colour map");
        if (mapBits != 8 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            return Fail(error, "Unsupported Targa colour map entry size");
        if (bits == 8) {
            mode = TgaOut::Index8;
            outBpp = 8;
        } else if (bits == 16) {
            mode = TgaOut::Mapped16;
            outBpp = 24;
        } else {
            return Fail(error, "Unsupported Targa index size");
        }
    } else if (kind == 2) {
        if (bits == 15 || bits == 16) {
            mode = TgaOut::Rgb555;
            outBpp = 16;
        } else if (bits == 24) {
            mode = TgaOut::Rgb24;
            outBpp = 24;
        } else if (bits == 32) {
            mode = TgaOut::Rgba32;
            outBpp = 32;
        } else {
            return Fail(error, "Unsupported Targa pixel size");
        }
    } else {
        if (bits == 8) {
            mode = TgaOut::Index8;
        } else if (bits == 16) {
            mode = TgaOut::Grey16;  // grey and alpha: the alpha byte is dropped
        } else {
            return Fail(error, "Unsupported Targa grey pixel size");
        }
        outBpp = 8;
    }

    if (!r.Skip(idLength)) return Fail(error, "Truncated Targa image ID");

    // The colour map; true-colour and grey files may carry one they do not use.
    std::vector<TRGBQuad> map;
    if (mapType == 1) {
        const std::uint64_t entryBytes = (mapBits + 7u) / 8u;
        const std::uint8_t* m = r.Bytes(entryBytes * mapLength);
        if (!r.Ok()) return Fail(error, "Truncated Targa colour map");
        if (kind == 1) {
            map.resize(mapLength);
            for (std::size_t i = 0; i < mapLength; ++i) map[i] = MapEntry(m + i * entryBytes, mapBits);
        }
    }
    // Index i addresses map entry i - first; indices outside the map are
    // black, and said so when a pixel uses one.
    auto inMap = [&](unsigned index) { return index >= mapFirst && index - mapFirst < map.size(); };
    auto lookup = [&](unsigned index) -> TRGBQuad {
        return inMap(index) ? map[index - mapFirst] : TRGBQuad{};
    };
    bool unmapped = false;

    const std::uint64_t pixelBytes = (bits + 7u) / 8u;
    const std::uint64_t pixels = std::uint64_t(width) * height;
    if (rle ? !CodedDataCanHold(TCoding::RleRun128, r.Remaining(), pixels * (pixelBytes + 1))
            : !r.Has(pixels * pixelBytes))
        return Fail(error, "Truncated Targa image data");
    if (!CreateImage(out, width, height, outBpp, error)) return false;
    TFastDIB& img = out.Image;
    if (kind == 1 && mode == TgaOut::Index8)
        for (unsigned i = 0; i < 256; ++i) img.Colors()[i] = lookup(i);
    else if (kind == 3)
        SetGreyPalette(img, 256);

    const bool topDown = (descriptor & 0x20) != 0;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    int x = 0, y = 0;
    // Stores one file pixel at the next position in file order.
    auto put = [&](const std::uint8_t* p) {
        const int row = topDown ? height - 1 - y : y;
        const int col = rightToLeft ? width - 1 - x : x;
        std::uint8_t* d = img.Row(row);
        switch (mode) {
        case TgaOut::Index8:
        case TgaOut::Grey16:
            d[col] = p[0];
            if (kind == 1 && !inMap(p[0])) unmapped = true;
            break;
        case TgaOut::Mapped16: {
            if (!inMap(Get16LE(p))) unmapped = true;
            const TRGBQuad q = lookup(Get16LE(p));
            d[col * 3] = q.b;
            d[col * 3 + 1] = q.g;
            d[col * 3 + 2] = q.r;
            break;
        }
        case TgaOut::Rgb555:
            d[col * 2] = p[0];
            d[col * 2 + 1] = static_cast<std::uint8_t>(p[1] & 0x7F);  // the top bit is an attribute
            break;
        case TgaOut::Rgb24:
            std::memcpy(d + col * 3, p, 3);
            break;
        case TgaOut::Rgba32:
            std::memcpy(d + col * 4, p, 4);
            break;
        }
        if (++x == width) {
            x = 0;
            ++y;
        }
    };

    auto finish = [&] {
        if (unmapped) out.Warn("Pixels use colours the colour map does not hold");
        return true;
    };
    if (!rle) {
        const std::uint8_t* p = r.Bytes(pixels * pixelBytes);
        for (std::uint64_t i = 0; i < pixels; ++i) put(p + i * pixelBytes);
        return finish();
    }
    // Packets run on across lines; one that runs past the last pixel is corrupt.
    std::uint64_t done = 0;
    while (done < pixels) {
        const std::uint8_t head = r.U8();
        const std::uint64_t count = (head & 0x7Fu) + 1u;
        if (!r.Ok()) return Fail(error, "Truncated Targa image data");
        if (count > pixels - done) return Fail(error, "Corrupt Targa run");
        if (head & 0x80) {
            const std::uint8_t* p = r.Bytes(pixelBytes);
            if (!p) return Fail(error, "Truncated Targa image data");
            for (std::uint64_t k = 0; k < count; ++k) put(p);
        } else {
            const std::uint8_t* p = r.Bytes(count * pixelBytes);
            if (!p) return Fail(error, "Truncated Targa image data");
            for (std::uint64_t k = 0; k < count; ++k) put(p + k * pixelBytes);
        }
        done += count;
    }
    return finish();
}

}  // namespace pm
