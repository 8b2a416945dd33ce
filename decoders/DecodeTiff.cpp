// TIFF (and FAX, which is TIFF) through libtiff, read from memory. The first
// image only. Palette and grey images in strips are read line by line into a
// palette bitmap; everything else (tiles, colour, CMYK, YCbCr, JPEG, other
// orientations) goes through libtiff's RGBA reader. The raster comes as
// stored; the orientation tag goes with the picture for the loader to apply.
#include "decoders/Decoders.h"
#include "imaging/Limits.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace pm {

namespace {

struct TTiffSource {
    const std::uint8_t* data;
    std::size_t size;
    std::uint64_t pos;
    std::string message;  // the first error libtiff reported
    std::string loss;     // the first warning of a codec that dropped or made up pixels
    std::vector<std::string> warnings;
};

tmsize_t TiffRead(thandle_t h, void* buf, tmsize_t n) {
    auto* s = static_cast<TTiffSource*>(h);
    if (n <= 0 || s->pos >= s->size) return 0;
    const std::uint64_t avail = s->size - s->pos;
    const std::uint64_t count = std::min<std::uint64_t>(avail, static_cast<std::uint64_t>(n));
    std::memcpy(buf, s->data + s->pos, static_cast<std::size_t>(count));
    s->pos += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t TiffWrite(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
    auto* s = static_cast<TTiffSource*>(h);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = s->pos;
    else if (whence == SEEK_END)
        base = s->size;
    if (off > UINT64_MAX / 2 || base + off > (std::uint64_t(1) << 62)) return static_cast<toff_t>(-1);
    s->pos = base + off;
    return s->pos;
}

int TiffClose(thandle_t) {
    return 0;
}
toff_t TiffSize(thandle_t h) {
    return static_cast<TTiffSource*>(h)->size;
}
int TiffMap(thandle_t, void**, toff_t*) {
    return 0;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

int TiffErrorHandler(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* s = static_cast<TTiffSource*>(user);
    if (s && s->message.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, fmt, ap);
        s->message = std::string(module ? module : "TIFF") + ": " + text;
    }
    return 1;  // handled: libtiff's global handler stays silent
}

// Warnings from the decoding routines (PackBitsDecode "Discarding ... bytes
// to avoid buffer overrun", Fax3Decode2D "Premature EOL", LZWDecode "not
// terminated with EOI code" ...) and libjpeg's warnings about lost data mean
// the strip's pixels are not what was written: the load fails. Notes from
// the set-up of a codec ("Old-style LZW codes") and from the directory
// concern intact pixels and are passed on, except the note on private tags,
// which every camera file would raise.
bool LosesPixels(const char* module, const char* text) {
    const std::string m(module ? module : ""), t(text);
    if (m == "JPEGLib")
        return t.find("remature") != std::string::npos || t.find("bad Huffman") != std::string::npos ||
               t.find("bad arithmetic") != std::string::npos || t.find("instead of RST") != std::string::npos;
    return m.find("Decode") != std::string::npos && m.find("PreDecode") == std::string::npos &&
           m.find("SetupDecode") == std::string::npos;
}

int TiffWarningHandler(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
    auto* s = static_cast<TTiffSource*>(user);
    if (!s) return 1;
    char text[256];
    std::vsnprintf(text, sizeof text, fmt, ap);
    if (LosesPixels(module, text)) {
        if (s->loss.empty()) s->loss = std::string(module) + ": " + text;
    } else if (std::strncmp(text, "Unknown field with tag", 22) != 0) {
        s->warnings.push_back(text);
    }
    return 1;
}

struct TTiffCloser {
    void operator()(TIFF* t) const { TIFFClose(t); }
};
using TTiffPtr = std::unique_ptr<TIFF, TTiffCloser>;

struct TTiffInfo {
    std::uint32_t width = 0, height = 0;
    std::uint16_t spp = 1, bps = 1, photometric = PHOTOMETRIC_MINISBLACK, orientation = ORIENTATION_TOPLEFT;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG;
    bool hasPhotometric = false;
    bool hasAlpha = false;
};

bool ReadPaletteLines(TIFF* tif, const TTiffInfo& ti, TFastDIB& dib, std::string& error) {
    const int w = static_cast<int>(ti.width), h = static_cast<int>(ti.height);
    const int bpp = ti.bps == 2 ? 4 : ti.bps == 16 ? 8 : ti.bps;
    dib.SetSize(w, h, bpp);
    auto& pal = dib.Colors();
    if (ti.photometric == PHOTOMETRIC_PALETTE) {
        std::uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) {
            error = "Palette image without a colour map";
            return false;
        }
        const int n = 1 << ti.bps;
        // Some writers store 8-bit values in the 16-bit colour map.
        bool eightBit = true;
        for (int i = 0; i < n; ++i)
            if (r[i] > 255 || g[i] > 255 || b[i] > 255) eightBit = false;
        const int shift = eightBit ? 0 : 8;
        for (int i = 0; i < n; ++i)
            pal[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(b[i] >> shift),
                                                static_cast<std::uint8_t>(g[i] >> shift),
                                                static_cast<std::uint8_t>(r[i] >> shift), 0};
    } else {
        const int levels = 1 << (ti.bps > 8 ? 8 : ti.bps);
        const bool white = ti.photometric == PHOTOMETRIC_MINISWHITE;
        for (int i = 0; i < levels; ++i) {
            int v = i * 255 / (levels - 1);
            if (white) v = 255 - v;
            pal[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v),
                                                static_cast<std::uint8_t>(v), 0};
        }
    }
    const std::size_t need = (static_cast<std::size_t>(w) * ti.bps + 7) / 8;
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    if (lineSize <= 0 || static_cast<std::size_t>(lineSize) < need) {
        error = "Inconsistent TIFF line size";
        return false;
    }
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineSize));
    for (int y = 0; y < h; ++y) {
        if (TIFFReadScanline(tif, line.data(), static_cast<std::uint32_t>(y), 0) < 0) {
            error = "Cannot read TIFF line";
            return false;
        }
        std::uint8_t* row = dib.Row(h - 1 - y);
        switch (ti.bps) {
        case 1:
        case 4:
        case 8:
            std::memcpy(row, line.data(), need);
            break;
        case 2:  // 2-bit indices widen to nibbles
            for (int x = 0; x < w; ++x) {
                const int v = (line[static_cast<std::size_t>(x / 4)] >> (6 - 2 * (x & 3))) & 3;
                if (x & 1)
                    row[x / 2] = static_cast<std::uint8_t>(row[x / 2] | v);
                else
                    row[x / 2] = static_cast<std::uint8_t>(v << 4);
            }
            break;
        case 16:  // samples arrive in native byte order; scaled with rounding as in the RGBA reader
            for (int x = 0; x < w; ++x) {
                std::uint16_t v;
                std::memcpy(&v, line.data() + 2 * static_cast<std::size_t>(x), 2);
                row[x] = static_cast<std::uint8_t>((v * 255u + 32767u) / 65535u);
            }
            break;
        default:
            error = "Unsupported TIFF depth";
            return false;
        }
    }
    return true;
}

bool ReadRgba(TIFF* tif, const TTiffInfo& ti, TFastDIB& dib, std::string& error) {
    char why[1024] = {};
    if (!TIFFRGBAImageOK(tif, why)) {
        error = why[0] ? why : "Unsupported TIFF layout";
        return false;
    }
    const int w = static_cast<int>(ti.width), h = static_cast<int>(ti.height);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    // The raster as stored, rows bottom-up: libtiff would flip it by the
    // orientation tag (and skip the transposes), but the loader turns the
    // picture as a whole, so libtiff is told the rows are stored top-left.
    TIFFRGBAImage img{};
    if (!TIFFRGBAImageBegin(&img, tif, 1, why)) {
        error = why[0] ? why : "Cannot read TIFF image";
        return false;
    }
    img.orientation = ORIENTATION_TOPLEFT;
    img.req_orientation = ORIENTATION_BOTLEFT;
    const int got = TIFFRGBAImageGet(&img, raster.data(), ti.width, ti.height);
    TIFFRGBAImageEnd(&img);
    if (!got) {
        error = "Cannot read TIFF image";
        return false;
    }
    dib.SetSize(w, h, ti.hasAlpha ? 32 : 24);
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* src = raster.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        std::uint8_t* row = dib.Row(y);
        const int step = ti.hasAlpha ? 4 : 3;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = src[x];
            std::uint8_t* p = row + static_cast<std::size_t>(x) * step;
            p[0] = static_cast<std::uint8_t>(TIFFGetB(v));
            p[1] = static_cast<std::uint8_t>(TIFFGetG(v));
            p[2] = static_cast<std::uint8_t>(TIFFGetR(v));
            if (ti.hasAlpha) p[3] = static_cast<std::uint8_t>(TIFFGetA(v));
        }
    }
    return true;
}

bool UsePaletteLines(TIFF* tif, const TTiffInfo& ti) {
    if (TIFFIsTiled(tif) || ti.spp != 1 || ti.orientation != ORIENTATION_TOPLEFT) return false;
    if (ti.sampleFormat != SAMPLEFORMAT_UINT) return false;
    if (ti.photometric == PHOTOMETRIC_PALETTE)
        return ti.bps == 1 || ti.bps == 2 || ti.bps == 4 || ti.bps == 8;
    if (ti.photometric == PHOTOMETRIC_MINISBLACK || ti.photometric == PHOTOMETRIC_MINISWHITE)
        return ti.bps == 1 || ti.bps == 2 || ti.bps == 4 || ti.bps == 8 || ti.bps == 16;
    return false;
}

// The bytes of the strips (or tiles) that lie inside the file. Strips may
// share bytes, but all of them together cannot hold more than the file.
std::uint64_t CodedBytesPresent(TIFF* tif, std::uint64_t fileSize) {
    const std::uint32_t count = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < count && total < fileSize; ++i) {
        const std::uint64_t offset = TIFFGetStrileOffset(tif, i);
        if (offset < fileSize)
            total += std::min<std::uint64_t>(TIFFGetStrileByteCount(tif, i), fileSize - offset);
    }
    return std::min(total, fileSize);
}

// False when the coded data present cannot hold the picture the directory
// claims, judged by its compression's largest expansion (imaging/Limits.h).
// Codings without a known bound are left to libtiff's allocation cap.
bool FileHoldsPicture(TIFF* tif, const TTiffInfo& ti, std::uint64_t fileSize) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const std::uint64_t coded = CodedBytesPresent(tif, fileSize);
    const std::uint64_t w = ti.width, h = ti.height;
    const std::uint64_t bytes = (w * ti.spp * ti.bps + 7) / 8 * h;
    switch (compression) {
    case COMPRESSION_NONE:
        return CodedDataCanHold(TCoding::Raw, coded, bytes);
    case COMPRESSION_PACKBITS:
        return CodedDataCanHold(TCoding::PackBits, coded, bytes);
    case COMPRESSION_LZW:
        return CodedDataCanHold(TCoding::Lzw, coded, bytes);
    case COMPRESSION_DEFLATE:
    case COMPRESSION_ADOBE_DEFLATE:
        return CodedDataCanHold(TCoding::Deflate, coded, bytes);
    case COMPRESSION_JPEG:
        // Every block of the most subsampled component (at most 4 x 4) is coded.
        return CodedDataCanHold(TCoding::JpegProgressive, coded, (w + 31) / 32 * ((h + 31) / 32));
    case COMPRESSION_OJPEG:  // its tables and data may lie outside the strips
        return CodedDataCanHold(TCoding::JpegProgressive, fileSize, (w + 31) / 32 * ((h + 31) / 32));
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4:
        return CodedDataCanHold(TCoding::Fax, coded, h * ti.spp);
    default:
        return true;
    }
}

}  // namespace

bool DecodeTiff(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Raster;
    if (!in.Data || in.Size < 8) {
        error = "Not a TIFF file";
        return false;
    }
    TTiffSource src{in.Data, in.Size, 0, {}, {}, {}};
    TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
    if (!opts) {
        error = "Out of memory";
        return false;
    }
    TIFFOpenOptionsSetErrorHandlerExtR(opts, TiffErrorHandler, &src);
    TIFFOpenOptionsSetWarningHandlerExtR(opts, TiffWarningHandler, &src);
    // No single buffer inside libtiff beyond 512 MiB.
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts, tmsize_t(512) << 20);
    TTiffPtr tif(TIFFClientOpenExt(in.FileName.empty() ? "memory" : in.FileName.c_str(), "rm", &src, TiffRead,
                                   TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap, TiffUnmap, opts));
    TIFFOpenOptionsFree(opts);
    auto fail = [&](const char* what) {
        error = src.message.empty() ? what : src.message;
        return false;
    };
    if (!tif) return fail("Not a TIFF file");

    TTiffInfo ti;
    if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &ti.width) ||
        !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &ti.height))
        return fail("TIFF without image size");
    if (ti.width == 0 || ti.height == 0 || !ImageSizeAllowed(ti.width, ti.height))
        return fail("Image size out of range");
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &ti.spp);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &ti.bps);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &ti.orientation);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLEFORMAT, &ti.sampleFormat);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &ti.planar);
    ti.hasPhotometric = TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &ti.photometric) != 0;
    std::uint16_t extraCount = 0;
    std::uint16_t* extraTypes = nullptr;
    if (TIFFGetField(tif.get(), TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraTypes)
        for (std::uint16_t i = 0; i < extraCount; ++i)
            if (extraTypes[i] == EXTRASAMPLE_ASSOCALPHA || extraTypes[i] == EXTRASAMPLE_UNASSALPHA)
                ti.hasAlpha = true;

    if (!FileHoldsPicture(tif.get(), ti, in.Size)) {
        error = "Truncated TIFF image data";
        return false;
    }

    TFastDIB dib;
    const bool ok = ti.hasPhotometric && UsePaletteLines(tif.get(), ti)
                        ? ReadPaletteLines(tif.get(), ti, dib, error)
                        : ReadRgba(tif.get(), ti, dib, error);
    if (!ok) {
        if (!src.message.empty()) error = src.message;
        return false;
    }
    if (!src.loss.empty()) {
        error = src.loss;
        return false;
    }
    for (const std::string& w : src.warnings) out.Warn(w);
    out.Image = std::move(dib);
    out.Orientation = ti.orientation >= 1 && ti.orientation <= 8 ? ti.orientation : 1;
    return true;
}

}  // namespace pm
