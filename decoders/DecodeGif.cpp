// GIF through giflib: the first image of the file, placed on the logical
// screen. Records are read one by one, so the frames after the first are
// never decoded.
//
// The transparent colour index is not applied: a transparent pixel keeps the
// colour of its palette entry, as alpha is dropped anyway when the picture
// becomes a 24-bit bitmap. Screen pixels the first frame does not cover take
// the screen's background colour.
#include "decoders/Decoders.h"
#include "decoders/GifLzw.h"
#include "imaging/Limits.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace pm {

namespace {

struct TGifSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

int GifRead(GifFileType* gif, GifByteType* buf, int n) {
    auto* s = static_cast<TGifSource*>(gif->UserData);
    if (n <= 0) return 0;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(n), s->size - s->pos);
    std::memcpy(buf, s->data + s->pos, count);
    s->pos += count;
    return static_cast<int>(count);
}

struct TGifCloser {
    void operator()(GifFileType* g) const {
        int err = 0;
        DGifCloseFile(g, &err);
    }
};

std::string GifMessage(int code, const char* fallback) {
    const char* text = GifErrorString(code);
    return text ? text : fallback;
}

// Interlaced images store the lines in four passes: every 8th line from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> LineOrder(int height, bool interlaced) {
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y) order.push_back(y);
        return order;
    }
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass]) order.push_back(y);
    return order;
}

}  // namespace

bool DecodeGif(const TDecodeInput& in, TPicture& out, std::string& error) {
    out.Kind = TPictureKind::Raster;
    if (!in.Data || in.Size < 13 || std::memcmp(in.Data, "GIF", 3) != 0) {
        error = "Not a GIF file";
        return false;
    }
    TGifSource src{in.Data, in.Size, 0};
    int err = 0;
    std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&src, GifRead, &err));
    if (!gif) {
        error = GifMessage(err, "Not a GIF file");
        return false;
    }
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            error = GifMessage(gif->Error, "Damaged GIF file");
            return false;
        }
        if (type == TERMINATE_RECORD_TYPE) {
            error = "GIF file without an image";
            return false;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) {
                error = GifMessage(gif->Error, "Damaged GIF extension");
                return false;
            }
            while (ext)
                if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) {
                    error = GifMessage(gif->Error, "Damaged GIF extension");
                    return false;
                }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            error = "Damaged GIF file";
            return false;
        }
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            error = GifMessage(gif->Error, "Damaged GIF image");
            return false;
        }
        break;
    }

    const GifImageDesc& desc = gif->Image;
    const int frameW = desc.Width, frameH = desc.Height;
    if (frameW <= 0 || frameH <= 0 || !ImageSizeAllowed(frameW, frameH)) {
        error = "GIF image size out of range";
        return false;
    }
    // A screen of zero size takes the frame's extent.
    int width = gif->SWidth, height = gif->SHeight;
    if (width <= 0 || height <= 0) {
        width = desc.Left + frameW;
        height = desc.Top + frameH;
    }
    if (!ImageSizeAllowed(width, height)) {
        error = "Image size out of range";
        return false;
    }
    // giflib hands over the raw sub-blocks; our own decoder turns them into
    // pixels, so damaged codes fail instead of painting guessed pixels.
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR) {
        error = GifMessage(gif->Error, "Damaged GIF image data");
        return false;
    }
    std::vector<std::uint8_t> data;
    while (block) {
        data.insert(data.end(), block + 1, block + 1 + block[0]);
        if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR) {
            error = "Image data ends before the last pixel";
            return false;
        }
    }
    // The frame's pixels come out of the LZW data present, and a screen
    // beyond a small one must be as well, before either is allocated.
    const std::uint64_t framePixels = std::uint64_t(frameW) * std::uint64_t(frameH);
    const std::uint64_t screenPixels = std::uint64_t(width) * std::uint64_t(height);
    if (!CodedDataCanHold(TCoding::Lzw, data.size(), framePixels)) {
        error = "Image data ends before the last pixel";
        return false;
    }
    if (screenPixels > std::uint64_t(kFreeCompressedPixels) &&
        !CodedDataCanHold(TCoding::Lzw, data.size(), screenPixels)) {
        error = "Logical screen too large for the image it holds";
        return false;
    }
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    const int bits = map ? map->BitsPerPixel : 8;
    const int bpp = bits <= 1 ? 1 : bits <= 4 ? 4 : 8;
    const int entries = 1 << bpp;

    TFastDIB dib;
    dib.SetSize(width, height, bpp);
    auto& pal = dib.Colors();
    if (map) {
        for (int i = 0; i < map->ColorCount && i < entries; ++i)
            pal[static_cast<std::size_t>(i)] = {map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red,
                                                0};
    } else {  // no colour table at all: a grey ramp
        for (int i = 0; i < 256; ++i)
            pal[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                                static_cast<std::uint8_t>(i), 0};
    }
    // Indices that do not fit the bitmap's depth become 0.
    auto fit = [&](int v) { return v < entries ? v : 0; };
    auto put = [&](std::uint8_t* row, int x, int v) {
        v = fit(v);
        if (bpp == 8) {
            row[x] = static_cast<std::uint8_t>(v);
        } else if (bpp == 4) {
            std::uint8_t& b = row[x / 2];
            b = (x & 1) ? static_cast<std::uint8_t>((b & 0xF0) | v)
                        : static_cast<std::uint8_t>((b & 0x0F) | (v << 4));
        } else {
            const auto bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
            row[x / 8] = v ? static_cast<std::uint8_t>(row[x / 8] | bit)
                           : static_cast<std::uint8_t>(row[x / 8] & ~bit);
        }
    };
    const int background = gif->SColorMap ? fit(gif->SBackGroundColor) : 0;
    const TRGBQuad& bq = pal[static_cast<std::size_t>(background)];
    dib.Fill({bq.b, bq.g, bq.r});

    std::vector<std::uint8_t> indices(static_cast<std::size_t>(frameW) * static_cast<std::size_t>(frameH));
    const TLzwOutcome lzw = DecodeGifLzw(data, codeSize, indices);
    if (!lzw.ok) {
        error = lzw.error;
        return false;
    }
    if (lzw.extraData) out.Warn("Image data holds more pixels than the image");

    const int known = map ? map->ColorCount : entries;
    bool unknownColour = false;
    const std::vector<int> order = LineOrder(frameH, desc.Interlace);
    for (int i = 0; i < frameH; ++i) {
        const int py = desc.Top + order[static_cast<std::size_t>(i)];
        const std::uint8_t* line = indices.data() + static_cast<std::size_t>(i) * frameW;
        for (int x = 0; x < frameW; ++x) unknownColour = unknownColour || line[x] >= known;
        if (py < 0 || py >= height) continue;
        std::uint8_t* row = dib.Row(height - 1 - py);
        for (int x = 0; x < frameW; ++x) {
            const int px = desc.Left + x;
            if (px >= 0 && px < width) put(row, px, line[x]);
        }
    }
    if (desc.Left < 0 || desc.Top < 0 || desc.Left + frameW > width || desc.Top + frameH > height)
        out.Warn("Image reaches beyond the logical screen, which cuts it");
    if (unknownColour) out.Warn("Pixels use colours the colour table does not hold");
    out.Image = std::move(dib);
    return true;
}

}  // namespace pm
