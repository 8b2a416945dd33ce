#include "LibImageBuilders.h"

#include <gtest/gtest.h>

#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

namespace pm::test {

namespace {
void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
}  // namespace

TColorTriple PixelAt(const TFastDIB& dib, int x, int y) {
    return dib.GetPixel(dib.Height() - 1 - y, x);
}

void ExpectColours(const TFastDIB& dib, const std::vector<TColourProbe>& probes) {
    for (const TColourProbe& p : probes)
        EXPECT_EQ(PixelAt(dib, p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
}

Bytes MakePng(int width, int height, int colorType, int bitDepth, bool interlaced,
              const std::function<int(int, int, int)>& sample, const std::vector<std::uint8_t>& palette) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> plte;
    for (std::size_t i = 0; i + 2 < palette.size(); i += 3)
        plte.push_back({palette[i], palette[i + 1], palette[i + 2]});
    if (!plte.empty()) png_set_PLTE(png, info, plte.data(), static_cast<int>(plte.size()));
    png_write_info(png, info);
    const int channels = colorType == PNG_COLOR_TYPE_RGB          ? 3
                         : colorType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                  : 1;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * channels * bitDepth + 7) / 8;
    std::vector<Bytes> rows(static_cast<std::size_t>(height), Bytes(rowBytes, 0));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y) {
        Bytes& row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = sample(x, y, c);
                const std::size_t i = static_cast<std::size_t>(x) * channels + c;
                if (bitDepth == 16) {
                    row[2 * i] = static_cast<std::uint8_t>(v >> 8);
                    row[2 * i + 1] = static_cast<std::uint8_t>(v);
                } else if (bitDepth == 8) {
                    row[i] = static_cast<std::uint8_t>(v);
                } else {
                    const std::size_t bit = i * bitDepth;
                    row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bitDepth - bit % 8));
                }
            }
        pointers.push_back(row.data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes MakeTiff(const TTiffLayout& layout, const std::function<int(int, int, int)>& sample) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("pixmill-test-" + std::to_string(::getpid()) + ".tif"))
            .string();
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) throw std::runtime_error("cannot write TIFF");
    const int channels = layout.samples + layout.extraSamples;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, layout.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(t, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (layout.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
    if (layout.extraSamples) {
        std::uint16_t type = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &type);
    }
    if (!layout.colormap.empty()) {
        const std::size_t n = layout.colormap.size() / 3;
        TIFFSetField(t, TIFFTAG_COLORMAP, layout.colormap.data(), layout.colormap.data() + n,
                     layout.colormap.data() + 2 * n);
    }
    if (layout.compression == COMPRESSION_JPEG) TIFFSetField(t, TIFFTAG_JPEGQUALITY, 95);
    const std::size_t rowBytes =
        (static_cast<std::size_t>(layout.width) * channels * layout.bitsPerSample + 7) / 8;
    auto makeRow = [&](int y, Bytes& row, int from, int count) {
        const std::size_t bytes = (static_cast<std::size_t>(count) * channels * layout.bitsPerSample + 7) / 8;
        row.assign(bytes, 0);
        for (int x = 0; x < count; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = from + x < layout.width && y < layout.height ? sample(from + x, y, c) : 0;
                const std::size_t i = static_cast<std::size_t>(x) * channels + c;
                if (layout.bitsPerSample == 16) {
                    const std::uint16_t s = static_cast<std::uint16_t>(v);
                    std::memcpy(&row[2 * i], &s, 2);  // native order, as libtiff takes it
                } else if (layout.bitsPerSample == 8) {
                    row[i] = static_cast<std::uint8_t>(v);
                } else {
                    const std::size_t bit = i * layout.bitsPerSample;
                    row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - layout.bitsPerSample - bit % 8));
                }
            }
    };
    Bytes row;
    if (layout.tiled) {
        const int tw = 16, th = 16;
        TIFFSetField(t, TIFFTAG_TILEWIDTH, tw);
        TIFFSetField(t, TIFFTAG_TILELENGTH, th);
        for (int ty = 0; ty < layout.height; ty += th)
            for (int tx = 0; tx < layout.width; tx += tw) {
                Bytes tile;
                for (int y = 0; y < th; ++y) {
                    makeRow(ty + y, row, tx, tw);
                    tile.insert(tile.end(), row.begin(), row.end());
                }
                TIFFWriteTile(t, tile.data(), static_cast<std::uint32_t>(tx), static_cast<std::uint32_t>(ty),
                              0, 0);
            }
    } else {
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip ? layout.rowsPerStrip : 8);
        for (int y = 0; y < layout.height; ++y) {
            makeRow(y, row, 0, layout.width);
            row.resize(rowBytes);
            TIFFWriteScanline(t, row.data(), static_cast<std::uint32_t>(y), 0);
        }
    }
    TIFFClose(t);
    Bytes out = ReadFileBytes(path);
    std::filesystem::remove(path);
    return out;
}

Bytes MakeGif(int screenW, int screenH, const std::vector<std::uint8_t>& globalPalette, int background,
              const std::vector<TGifFrame>& frames) {
    auto makeMap = [](const std::vector<std::uint8_t>& rgb) -> ColorMapObject* {
        if (rgb.empty()) return nullptr;
        const int n = static_cast<int>(rgb.size() / 3);
        int size = 2;
        while (size < n) size *= 2;
        std::vector<GifColorType> colours(static_cast<std::size_t>(size));
        for (int i = 0; i < n; ++i)
            colours[static_cast<std::size_t>(i)] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
        return GifMakeMapObject(size, colours.data());
    };
    Bytes out;
    int err = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* data, int n) {
            auto* o = static_cast<Bytes*>(g->UserData);
            o->insert(o->end(), data, data + n);
            return n;
        },
        &err);
    ColorMapObject* global = makeMap(globalPalette);
    EGifPutScreenDesc(gif, screenW, screenH, 8, background, global);
    for (const TGifFrame& f : frames) {
        ColorMapObject* local = makeMap(f.localPalette);
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
        std::vector<GifPixelType> line(static_cast<std::size_t>(f.width));
        std::vector<int> order;
        if (f.interlaced) {
            static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (int y = start[p]; y < f.height; y += step[p]) order.push_back(y);
        } else {
            for (int y = 0; y < f.height; ++y) order.push_back(y);
        }
        for (int y : order) {
            for (int x = 0; x < f.width; ++x)
                line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(f.index(x, y));
            EGifPutLine(gif, line.data(), f.width);
        }
        GifFreeMapObject(local);
        // giflib's encoder never frees its copy of a frame's local colour map.
        GifFreeMapObject(gif->Image.ColorMap);
        gif->Image.ColorMap = nullptr;
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(global);
    return out;
}

Bytes MakeIconDib(int width, int height, int bpp, const std::vector<std::uint8_t>& paletteBgr,
                  const std::function<std::uint32_t(int, int)>& colour,
                  const std::function<bool(int, int)>& andBit, bool withMask) {
    Bytes b;
    const int colours = bpp <= 8 ? (1 << bpp) : 0;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(2 * height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bpp));
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    for (int i = 0; i < colours; ++i) {
        const std::size_t k = 3 * static_cast<std::size_t>(i);
        b.push_back(k + 2 < paletteBgr.size() ? paletteBgr[k] : 0);
        b.push_back(k + 2 < paletteBgr.size() ? paletteBgr[k + 1] : 0);
        b.push_back(k + 2 < paletteBgr.size() ? paletteBgr[k + 2] : 0);
        b.push_back(0);
    }
    const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;
        Bytes line(stride, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = colour(x, y);
            if (bpp == 32) {
                for (int k = 0; k < 4; ++k) line[4 * x + k] = static_cast<std::uint8_t>(v >> (8 * k));
            } else if (bpp == 24) {
                for (int k = 0; k < 3; ++k) line[3 * x + k] = static_cast<std::uint8_t>(v >> (8 * k));
            } else {
                const std::size_t bit = static_cast<std::size_t>(x) * bpp;
                line[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - bit % 8));
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    if (withMask) {
        const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
        for (int row = 0; row < height; ++row) {
            const int y = height - 1 - row;
            Bytes line(maskStride, 0);
            for (int x = 0; x < width; ++x)
                if (andBit(x, y)) line[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            b.insert(b.end(), line.begin(), line.end());
        }
    }
    return b;
}

Bytes MakeIco(const std::vector<Bytes>& entries, const std::vector<std::pair<int, int>>& sizes,
              const std::vector<int>& depths) {
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        b.push_back(static_cast<std::uint8_t>(sizes[i].first & 0xFF));
        b.push_back(static_cast<std::uint8_t>(sizes[i].second & 0xFF));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(depths[i]));
        Put32(b, static_cast<std::uint32_t>(entries[i].size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const Bytes& e : entries) b.insert(b.end(), e.begin(), e.end());
    return b;
}

void TWmfBuilder::Record(std::uint16_t function, const std::vector<std::int16_t>& params, const Bytes& tail) {
    const std::size_t words = 3 + params.size() + (tail.size() + 1) / 2;
    Put32(records, static_cast<std::uint32_t>(words));
    Put16(records, function);
    for (std::int16_t p : params) Put16(records, static_cast<std::uint16_t>(p));
    records.insert(records.end(), tail.begin(), tail.end());
    if (tail.size() % 2) records.push_back(0);
}

Bytes TWmfBuilder::Finish(bool placeable, int left, int top, int right, int bottom, int inch,
                          int objects) const {
    Bytes b;
    if (placeable) {
        Put32(b, 0x9AC6CDD7);
        Put16(b, 0);
        for (int v : {left, top, right, bottom}) Put16(b, static_cast<std::uint16_t>(v));
        Put16(b, static_cast<std::uint32_t>(inch));
        Put32(b, 0);
        Put16(b, 0);  // checksum, not checked
    }
    const std::size_t total = 9 + records.size() / 2 + 3;
    Put16(b, 1);
    Put16(b, 9);
    Put16(b, 0x0300);
    Put32(b, static_cast<std::uint32_t>(total));
    Put16(b, static_cast<std::uint32_t>(objects));
    Put32(b, 0);
    Put16(b, 0);
    b.insert(b.end(), records.begin(), records.end());
    Put32(b, 3);
    Put16(b, 0);
    return b;
}

void TEmfBuilder::Record(std::uint32_t type, const std::vector<std::int32_t>& params, const Bytes& tail) {
    const std::size_t size = 8 + 4 * params.size() + ((tail.size() + 3) & ~std::size_t(3));
    Put32(records, type);
    Put32(records, static_cast<std::uint32_t>(size));
    for (std::int32_t p : params) Put32(records, static_cast<std::uint32_t>(p));
    records.insert(records.end(), tail.begin(), tail.end());
    while (records.size() % 4) records.push_back(0);
    ++count;
}

Bytes TEmfBuilder::Finish(int boundsR, int boundsB, int frameR, int frameB, int handles, bool withEof) const {
    Bytes b;
    Put32(b, 1);
    Put32(b, 88);
    for (int v : {0, 0, boundsR, boundsB, 0, 0, frameR, frameB}) Put32(b, static_cast<std::uint32_t>(v));
    Put32(b, 0x464D4520);
    Put32(b, 0x10000);
    Put32(b, 0);  // total size, patched below
    Put32(b, static_cast<std::uint32_t>(count + 2));
    Put16(b, static_cast<std::uint32_t>(handles));
    Put16(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    // A 96 dpi reference device: 960 x 960 pixels on 254 x 254 mm.
    for (int v : {960, 960, 254, 254}) Put32(b, static_cast<std::uint32_t>(v));
    b.insert(b.end(), records.begin(), records.end());
    if (withEof)
        for (std::uint32_t v : {14u, 20u, 0u, 0u, 20u}) Put32(b, v);
    const std::uint32_t total = static_cast<std::uint32_t>(b.size());
    for (int k = 0; k < 4; ++k) b[48 + k] = static_cast<std::uint8_t>(total >> (8 * k));
    return b;
}

Bytes MakePackedDib24(int width, int height, const std::function<TColorTriple(int, int)>& colour) {
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    const std::size_t stride = ((static_cast<std::size_t>(width) * 24 + 31) / 32) * 4;
    for (int row = 0; row < height; ++row) {
        Bytes line(stride, 0);
        for (int x = 0; x < width; ++x) {
            const TColorTriple c = colour(x, height - 1 - row);
            line[3 * x] = c.b;
            line[3 * x + 1] = c.g;
            line[3 * x + 2] = c.r;
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

Bytes MakeDosEps(const std::string& postscript, const Bytes& wmf, const Bytes& tiff) {
    Bytes b = {0xC5, 0xD0, 0xD3, 0xC6};
    const std::uint32_t psAt = 30, wmfAt = psAt + static_cast<std::uint32_t>(postscript.size());
    const std::uint32_t tiffAt = wmfAt + static_cast<std::uint32_t>(wmf.size());
    Put32(b, postscript.empty() ? 0 : psAt);
    Put32(b, static_cast<std::uint32_t>(postscript.size()));
    Put32(b, wmf.empty() ? 0 : wmfAt);
    Put32(b, static_cast<std::uint32_t>(wmf.size()));
    Put32(b, tiff.empty() ? 0 : tiffAt);
    Put32(b, static_cast<std::uint32_t>(tiff.size()));
    Put16(b, 0xFFFF);
    b.insert(b.end(), postscript.begin(), postscript.end());
    b.insert(b.end(), wmf.begin(), wmf.end());
    b.insert(b.end(), tiff.begin(), tiff.end());
    return b;
}

}  // namespace pm::test

namespace pm::test {

std::vector<double> TruncationPoints() {
    return {0.0, 0.1, 0.3, 0.5, 0.75, 0.9, 0.98};
}

}  // namespace pm::test
