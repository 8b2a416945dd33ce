// PNG through libpng. libpng reports errors by longjmp, so the function that
// calls it holds no C++ objects of its own past setjmp: everything it fills
// lives in the caller.
#include "decoders/Decoders.h"
#include "decoders/PngReader.h"
#include "imaging/Limits.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace pm {

namespace {

// The most an ancillary chunk may make libpng allocate.
constexpr std::uint32_t kMaxChunkBytes = 8u << 20;

struct TPngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    char message[160];
    // libpng's warnings (plain buffers: libpng may jump over this frame).
    char warnings[4][160];
    int warningCount;
};

void PngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* src = static_cast<TPngSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) png_error(png, "Truncated PNG data");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    auto* src = static_cast<TPngSource*>(png_get_error_ptr(png));
    std::snprintf(src->message, sizeof src->message, "%s", message ? message : "PNG error");
    png_longjmp(png, 1);
}

// Warnings concern data the pixels do not need (too much image data, a
// damaged text chunk ...), so the picture loads and they are passed on. Notes
// on colour-space chunks are not: the reader does not use them.
void PngWarning(png_structp png, png_const_charp message) {
    auto* src = static_cast<TPngSource*>(png_get_error_ptr(png));
    if (!message || src->warningCount >= 4) return;
    for (const char* skip : {"iCCP", "sRGB", "gAMA", "cHRM"})
        if (std::strncmp(message, skip, 4) == 0) return;
    std::snprintf(src->warnings[src->warningCount++], sizeof src->warnings[0], "%s", message);
}

// What the picture will look like once libpng's transformations are set.
struct TPngPlan {
    int width = 0, height = 0;
    int dibBpp = 0;       // depth of the resulting bitmap
    int readBpp = 0;      // bits per pixel of the rows libpng delivers
    int paletteSize = 0;  // entries to fill for palette bitmaps
    bool greyPalette = false;
    int greyBits = 0;  // source grey depth for the grey ramp
};

// Unpacks one row of 2-bit indices (one byte per pixel after png_set_packing)
// into 4-bit nibbles.
void PackNibbles(const std::uint8_t* src, std::uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t v = src[x] & 0x0F;
        if (x & 1)
            dst[x / 2] = static_cast<std::uint8_t>(dst[x / 2] | v);
        else
            dst[x / 2] = static_cast<std::uint8_t>(v << 4);
    }
}

// The image data bytes (IDAT chunk contents) the stream holds; a chunk cut
// short counts only what is there.
std::uint64_t IdatBytesPresent(const std::uint8_t* data, std::size_t size) {
    std::uint64_t total = 0;
    std::size_t pos = 8;
    while (size - pos >= 8) {
        const std::uint64_t length = (std::uint64_t(data[pos]) << 24) | (std::uint64_t(data[pos + 1]) << 16) |
                                     (std::uint64_t(data[pos + 2]) << 8) | data[pos + 3];
        const bool idat = std::memcmp(data + pos + 4, "IDAT", 4) == 0;
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0) break;
        pos += 8;
        const std::uint64_t present = std::min<std::uint64_t>(length, size - pos);
        if (idat) total += present;
        if (length + 4 >= size - pos) break;
        pos += static_cast<std::size_t>(length) + 4;
    }
    return total;
}

// Runs libpng. Only plain data lives here; `dib`, `rows` and `scratch` belong
// to the caller so that a longjmp skips no destructor.
bool RunPng(TPngSource& src, TFastDIB& dib, std::vector<png_bytep>& rows, std::vector<std::uint8_t>& scratch,
            bool forceBgra, std::string& error) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, PngError, PngWarning);
    if (!png) {
        error = "Out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "Out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    // The caps of Limits.h, and no ancillary chunk larger than 8 MiB.
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_read_fn(png, &src, PngRead);
    png_read_info(png, info);

    TPngPlan plan;
    plan.width = static_cast<int>(png_get_image_width(png, info));
    plan.height = static_cast<int>(png_get_image_height(png, info));
    if (plan.width <= 0 || plan.height <= 0 || !ImageSizeAllowed(plan.width, plan.height))
        png_error(png, "Image size out of range");
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    // Every row, with its filter byte, comes out of the deflate stream.
    const std::uint64_t filtered =
        ((std::uint64_t(plan.width) * png_get_channels(png, info) * depth + 7) / 8 + 1) *
        std::uint64_t(plan.height);
    if (!CodedDataCanHold(TCoding::Deflate, IdatBytesPresent(src.data, src.size), filtered))
        png_error(png, "Truncated PNG image data");
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

    if (depth == 16) png_set_scale_16(png);
    if (forceBgra) {
        png_set_expand(png);
        if (hasTrns) png_set_tRNS_to_alpha(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        plan.dibBpp = plan.readBpp = 32;
    } else if (colorType == PNG_COLOR_TYPE_PALETTE || (colorType == PNG_COLOR_TYPE_GRAY && depth <= 8)) {
        // Palette and grey images keep their indices; tRNS transparency
        // would only be dropped by the conversion to 24 bits, so it is not
        // applied.
        if (colorType == PNG_COLOR_TYPE_GRAY) {
            plan.greyPalette = true;
            plan.greyBits = depth;
        }
        plan.paletteSize = 1 << depth;
        if (depth == 2) {
            png_set_packing(png);
            plan.readBpp = 8;
            plan.dibBpp = 4;
        } else {
            plan.readBpp = plan.dibBpp = depth;
        }
    } else if (colorType == PNG_COLOR_TYPE_GRAY) {  // 16-bit grey, scaled to 8
        plan.greyPalette = true;
        plan.greyBits = 8;
        plan.paletteSize = 256;
        plan.readBpp = plan.dibBpp = 8;
    } else if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
        png_set_bgr(png);
        plan.readBpp = plan.dibBpp = 32;
    } else if (colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
        png_set_bgr(png);
        plan.readBpp = plan.dibBpp = 32;
    } else if (colorType == PNG_COLOR_TYPE_RGB) {
        png_set_bgr(png);
        plan.readBpp = plan.dibBpp = 24;
    } else {
        png_error(png, "Unknown PNG colour type");
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const std::size_t expected = (static_cast<std::size_t>(plan.width) * plan.readBpp + 7) / 8;
    if (rowBytes != expected) png_error(png, "Unexpected PNG row layout");

    // Allocation failures must not throw through libpng's frames.
    bool allocated = true;
    try {
        dib.SetSize(plan.width, plan.height, plan.dibBpp);
        rows.resize(static_cast<std::size_t>(plan.height));
        if (plan.readBpp != plan.dibBpp) scratch.resize(rowBytes * static_cast<std::size_t>(plan.height));
    } catch (const std::exception&) {
        allocated = false;
    }
    if (!allocated) png_error(png, "Out of memory");
    if (plan.paletteSize > 0) {
        auto& pal = dib.Colors();
        if (plan.greyPalette) {
            const int levels = 1 << plan.greyBits;
            for (int i = 0; i < levels; ++i) {
                const auto v = static_cast<std::uint8_t>(i * 255 / (levels - 1));
                pal[static_cast<std::size_t>(i)] = {v, v, v, 0};
            }
        } else {
            png_colorp entries = nullptr;
            int count = 0;
            if (!png_get_PLTE(png, info, &entries, &count) || !entries) png_error(png, "Missing palette");
            for (int i = 0; i < count && i < 256; ++i)
                pal[static_cast<std::size_t>(i)] = {entries[i].blue, entries[i].green, entries[i].red, 0};
        }
    }
    for (int y = 0; y < plan.height; ++y) {
        // Picture line y lands in stored row height - 1 - y.
        rows[static_cast<std::size_t>(y)] = plan.readBpp == plan.dibBpp
                                                ? dib.Row(plan.height - 1 - y)
                                                : scratch.data() + rowBytes * static_cast<std::size_t>(y);
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    if (plan.readBpp != plan.dibBpp)
        for (int y = 0; y < plan.height; ++y)
            PackNibbles(rows[static_cast<std::size_t>(y)], dib.Row(plan.height - 1 - y), plan.width);
    return true;
}

// libpng only warns about an ancillary chunk longer than its allocation cap
// and then allocates it anyway: a chunk that claims more than the file holds
// would let a file of a hundred bytes take a gigabyte. Such a file is cut off
// or forged; it fails before libpng sees it.
bool ChunksFitTheFile(const std::uint8_t* data, std::size_t size, std::string& error) {
    std::size_t at = 8;
    while (size - at >= 8) {
        const std::uint32_t length = (std::uint32_t(data[at]) << 24) | (std::uint32_t(data[at + 1]) << 16) |
                                     (std::uint32_t(data[at + 2]) << 8) | data[at + 3];
        const std::string name(reinterpret_cast<const char*>(data + at + 4), 4);
        const std::size_t rest = size - at - 8;
        if (length > kMaxChunkBytes && length > rest) {
            error = name + ": chunk data is too large";
            return false;
        }
        if (name == "IEND" || length > rest || rest - length < 4) return true;
        at += 12 + length;
    }
    return true;
}

}  // namespace

bool ReadPngImage(const std::uint8_t* data, std::size_t size, TFastDIB& dib, std::string& error,
                  bool forceBgra, std::vector<std::string>* warnings) {
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        error = "Not a PNG stream";
        return false;
    }
    if (!ChunksFitTheFile(data, size, error)) return false;
    TPngSource src{data, size, 0, {}, {}, 0};
    std::vector<png_bytep> rows;
    std::vector<std::uint8_t> scratch;
    TFastDIB result;
    if (!RunPng(src, result, rows, scratch, forceBgra, error)) {
        if (error.empty()) error = src.message[0] ? src.message : "PNG error";
        return false;
    }
    dib = std::move(result);
    if (warnings)
        for (int i = 0; i < src.warningCount; ++i) warnings->push_back(src.warnings[i]);
    return true;
}

bool DecodePng(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Raster;
    std::vector<std::string> warnings;
    if (!ReadPngImage(in.Data, in.Size, out.Image, error, false, &warnings)) return false;
    for (const std::string& w : warnings) out.Warn(w);
    return true;
}

}  // namespace pm
