// Paintshop Pro images: the full-size composite of the composite image bank
// when the file has one, otherwise the visible raster layers composed bottom
// to top as the program shows them (each at its rectangle, through its
// transparency mask and opacity, on white). Channels are uncompressed,
// run-length encoded or zlib-deflated ("LZ77").
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"
#include "imaging/Limits.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace pm {

namespace {

constexpr std::uint32_t kBlockMark = 0x004B427E;  // "~BK\0"
enum PspBlock : std::uint16_t {
    kImageAttributes = 0,
    kPalette = 2,
    kLayerBank = 3,
    kLayer = 4,
    kChannel = 5,
    kCompositeImage = 9,
    kCompositeBank = 16,
    kCompositeAttributes = 17,
};

struct TPspBlock {
    std::uint16_t id = 0;
    std::size_t start = 0;  // first byte after the block header
    std::size_t end = 0;
};

struct TPspChannel {
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    std::uint16_t bitmapType = 0;
    std::uint16_t channelType = 0;
};

constexpr std::uint16_t kImageBitmap = 0, kTransparencyMask = 1;

// `top` over `below` with `cover` of 255 parts, rounded.
std::uint8_t Mix(unsigned top, unsigned below, unsigned cover) {
    return static_cast<std::uint8_t>((top * cover + below * (255 - cover) + 127) / 255);
}

// A bitmap to draw: a raster layer, or the composite (opaque, full size).
struct TPspLayer {
    std::int64_t left = 0, top = 0, width = 0, height = 0;
    unsigned opacity = 255;
    std::vector<TPspChannel> channels;
};

class TPspReader {
public:
    TPspReader(const TDecodeInput& in, TPicture& out, std::string& error)
        : in_(in), out_(out), error_(error) {}
    bool Decode();

private:
    bool NextBlock(TByteReader& r, std::size_t limit, TPspBlock& block);
    bool ReadAttributes(const TPspBlock& b);
    bool ReadPalette(const TPspBlock& b, std::vector<TRGBQuad>& palette);
    bool ReadChannel(const TPspBlock& b, TPspChannel& ch);
    bool ReadChannels(TByteReader& r, std::size_t end, std::vector<TPspChannel>& channels,
                      std::vector<TRGBQuad>* palette);
    bool TryComposite(const TPspBlock& bank, bool& found);
    bool TryLayers(const TPspBlock& bank, bool& found);
    bool Draw(const TPspLayer& layer, int compression);
    bool Unpack(const TPspChannel& ch, int compression, std::uint64_t rowBytes, std::int64_t h,
                std::vector<std::uint8_t>& pixels, std::uint64_t& stride);
    bool Fail(const char* reason) { return pm::Fail(error_, reason); }

    const TDecodeInput& in_;
    TPicture& out_;
    std::string& error_;
    std::uint16_t major_ = 0;
    std::int32_t width_ = 0, height_ = 0;
    int compression_ = 0, depth_ = 0;
    bool greyscale_ = false;
    std::vector<TRGBQuad> palette_;
};

bool TPspReader::NextBlock(TByteReader& r, std::size_t limit, TPspBlock& block) {
    if (r.U32LE() != kBlockMark) return false;
    block.id = r.U16LE();
    if (major_ < 4) r.U32LE();  // the initial data length of old files
    const std::uint32_t total = r.U32LE();
    if (!r.Ok() || r.Pos() > limit || total > limit - r.Pos()) return false;
    block.start = r.Pos();
    block.end = block.start + total;
    r.Seek(block.end);
    return true;
}

bool TPspReader::ReadAttributes(const TPspBlock& b) {
    TByteReader r(in_.Data, b.end);
    r.Seek(b.start);
    if (major_ >= 4) r.U32LE();  // chunk size
    width_ = r.I32LE();
    height_ = r.I32LE();
    r.Skip(9);  // resolution and its unit
    compression_ = r.U16LE();
    depth_ = r.U16LE();
    r.Skip(6);  // planes and colour count
    greyscale_ = r.U8() != 0;
    if (!r.Ok()) return Fail("Truncated Paintshop Pro image attributes");
    if (compression_ > 2) return Fail("Unsupported Paintshop Pro compression");
    if (depth_ != 1 && depth_ != 4 && depth_ != 8 && depth_ != 24 && depth_ != 48)
        return Fail("Unsupported Paintshop Pro bit depth");
    return true;
}

bool TPspReader::ReadPalette(const TPspBlock& b, std::vector<TRGBQuad>& palette) {
    TByteReader r(in_.Data, b.end);
    r.Seek(b.start);
    std::uint32_t count;
    if (major_ >= 4) {
        const std::uint32_t chunk = r.U32LE();
        count = r.U32LE();
        if (chunk < 8 || !r.Seek(b.start + std::uint64_t(chunk)))
            return Fail("Corrupt Paintshop Pro palette");
    } else {
        count = r.U32LE();
    }
    if (count > 256) count = 256;
    const std::uint8_t* p = r.Bytes(std::uint64_t(count) * 4);
    if (!r.Ok()) return Fail("Truncated Paintshop Pro palette");
    palette.assign(256, TRGBQuad{});
    for (std::uint32_t i = 0; i < count; ++i) palette[i] = {p[i * 4], p[i * 4 + 1], p[i * 4 + 2], 0};
    return true;
}

bool TPspReader::ReadChannel(const TPspBlock& b, TPspChannel& ch) {
    TByteReader r(in_.Data, b.end);
    r.Seek(b.start);
    std::uint32_t chunk = 0;
    if (major_ >= 4) chunk = r.U32LE();
    ch.length = r.U32LE();
    r.U32LE();  // the stated unpacked length is not reliable
    ch.bitmapType = r.U16LE();
    ch.channelType = r.U16LE();
    if (major_ >= 4 && (chunk < 16 || !r.Seek(b.start + std::uint64_t(chunk))))
        return Fail("Corrupt Paintshop Pro channel");
    ch.data = r.Bytes(ch.length);
    if (!r.Ok()) return Fail("Truncated Paintshop Pro channel");
    return true;
}

// The channel (and palette) sub-blocks from the reader's position to `end`.
bool TPspReader::ReadChannels(TByteReader& r, std::size_t end, std::vector<TPspChannel>& channels,
                              std::vector<TRGBQuad>* palette) {
    TPspBlock sub;
    while (r.Pos() < end) {
        if (!NextBlock(r, end, sub)) return Fail("Corrupt Paintshop Pro block");
        if (sub.id == kChannel) {
            TPspChannel ch;
            if (!ReadChannel(sub, ch)) return false;
            channels.push_back(ch);
        } else if (sub.id == kPalette && palette) {
            if (!ReadPalette(sub, *palette)) return false;
        }
    }
    return true;
}

// Bytes of one stored row, and the unpacked data of a channel. Rows may or
// may not be padded to four bytes; the amount of data tells which.
bool TPspReader::Unpack(const TPspChannel& ch, int compression, std::uint64_t rowBytes, std::int64_t h,
                        std::vector<std::uint8_t>& pixels, std::uint64_t& stride) {
    const std::uint64_t padded = (rowBytes + 3) / 4 * 4;
    const std::uint64_t capacity = padded * static_cast<std::uint64_t>(h);
    std::uint64_t have = 0;
    if (compression == 0) {
        have = ch.length;
        pixels.assign(ch.data, ch.data + std::min<std::uint64_t>(ch.length, capacity));
    } else if (compression == 1) {
        if (!CodedDataCanHold(TCoding::PackBits, ch.length, rowBytes * h))
            return Fail("Truncated Paintshop Pro channel");
        pixels.assign(static_cast<std::size_t>(capacity), 0);
        std::size_t pos = 0;
        while (pos < ch.length && have < capacity) {
            const unsigned code = ch.data[pos++];
            // A run that does not fit the channel would drop pixels.
            const unsigned count = code > 128 ? code - 128 : code;
            if (count > capacity - have) return Fail("A run goes past the end of the channel");
            if (code > 128) {  // a run of one byte
                if (pos >= ch.length) break;
                const std::uint8_t v = ch.data[pos++];
                for (unsigned k = 0; k < count; ++k) pixels[have++] = v;
            } else {
                if (code > ch.length - pos) return Fail("Corrupt Paintshop Pro run-length data");
                for (unsigned k = 0; k < count; ++k) pixels[have++] = ch.data[pos + k];
                pos += code;
            }
        }
    } else {
        if (!CodedDataCanHold(TCoding::Deflate, ch.length, rowBytes * h))
            return Fail("Truncated Paintshop Pro channel");
        pixels.assign(static_cast<std::size_t>(capacity), 0);
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK) return Fail("Cannot start inflating");
        zs.next_in = const_cast<Bytef*>(ch.data);
        zs.next_out = pixels.data();
        // Fed in pieces so that lengths above 4 GiB cannot wrap zlib's counters.
        std::uint64_t inLeft = ch.length, outLeft = capacity;
        int rc = Z_OK;
        while (rc == Z_OK && outLeft > 0) {
            if (zs.avail_in == 0) {
                zs.avail_in = static_cast<uInt>(std::min<std::uint64_t>(inLeft, 1u << 30));
                inLeft -= zs.avail_in;
            }
            zs.avail_out = static_cast<uInt>(std::min<std::uint64_t>(outLeft, 1u << 30));
            const uInt before = zs.avail_out;
            rc = inflate(&zs, Z_NO_FLUSH);
            outLeft -= before - zs.avail_out;
            if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inLeft == 0) break;  // input used up
        }
        inflateEnd(&zs);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            return Fail("Corrupt Paintshop Pro deflate data");
        have = capacity - outLeft;
    }
    if (have >= capacity)
        stride = padded;
    else if (have >= rowBytes * static_cast<std::uint64_t>(h))
        stride = rowBytes;
    else
        return Fail("Truncated Paintshop Pro channel");
    return true;
}

// Draws a bitmap whose top left corner lies at (left, top) of the canvas;
// parts outside the canvas are dropped. Each pixel covers what lies below by
// its transparency mask value times the opacity.
bool TPspReader::Draw(const TPspLayer& layer, int compression) {
    TFastDIB& img = out_.Image;
    const std::int64_t w = layer.width, h = layer.height;
    const int sampleBytes = depth_ == 48 ? 2 : 1;
    const std::uint64_t rowBytes = depth_ == 1   ? (static_cast<std::uint64_t>(w) + 7) / 8
                                   : depth_ == 4 ? (static_cast<std::uint64_t>(w) + 1) / 2
                                                 : static_cast<std::uint64_t>(w) * sampleBytes;
    // Unpacked planes: the index plane or red, green, blue; and the mask.
    std::vector<std::uint8_t> planes[3], mask;
    std::uint64_t strides[3] = {0, 0, 0}, maskStride = 0;
    bool painted = false;
    for (const TPspChannel& ch : layer.channels) {
        if (ch.bitmapType == kTransparencyMask && ch.channelType == 0) {
            const std::uint64_t maskBytes = static_cast<std::uint64_t>(w) * sampleBytes;
            if (!Unpack(ch, compression, maskBytes, h, mask, maskStride)) return false;
            continue;
        }
        if (ch.bitmapType != kImageBitmap) continue;  // user masks and selections are not shown
        int slot;
        if (depth_ <= 8) {
            if (ch.channelType != 0) continue;
            slot = 0;
        } else {
            if (ch.channelType < 1 || ch.channelType > 3) continue;
            slot = ch.channelType - 1;
        }
        if (!Unpack(ch, compression, rowBytes, h, planes[slot], strides[slot])) return false;
        painted = true;
    }
    if (!painted) return Fail("Paintshop Pro bitmap without image channels");
    const bool indexed = depth_ <= 8;
    if (!indexed && (planes[0].empty() || planes[1].empty() || planes[2].empty()))
        return Fail("Paintshop Pro bitmap lacks a colour channel");

    auto sample = [&](int c, std::int64_t y, std::int64_t x) -> std::uint8_t {
        const std::uint8_t* s = planes[c].data() + static_cast<std::size_t>(y) * strides[c];
        return depth_ == 48 ? Scale16(Get16LE(s + x * 2)) : s[x];
    };
    for (std::int64_t y = 0; y < h; ++y) {
        const std::int64_t cy = layer.top + y;
        if (cy < 0 || cy >= height_) continue;
        const int row = static_cast<int>(height_ - 1 - cy);
        const std::uint8_t* m =
            mask.empty() ? nullptr : mask.data() + static_cast<std::size_t>(y) * maskStride;
        for (std::int64_t x = 0; x < w; ++x) {
            const std::int64_t cx = layer.left + x;
            if (cx < 0 || cx >= width_) continue;
            unsigned cover = layer.opacity;
            if (m) cover = (cover * (depth_ == 48 ? Scale16(Get16LE(m + x * 2)) : m[x]) + 127) / 255;
            if (cover == 0) continue;
            const int col = static_cast<int>(cx);
            if (indexed) {
                const std::uint8_t* s = planes[0].data() + static_cast<std::size_t>(y) * strides[0];
                const unsigned index = depth_ == 1   ? (s[x / 8] >> (7 - (x & 7))) & 1
                                       : depth_ == 4 ? ((x & 1) ? (s[x / 2] & 0x0F) : (s[x / 2] >> 4))
                                                     : s[x];
                if (cover == 255) {
                    PutIndex(img, row, col, index);
                    continue;
                }
                const TRGBQuad& q = img.Colors()[index];
                const TColorTriple below = img.GetPixel(row, col);
                img.SetPixel(row, col,
                             {Mix(q.b, below.b, cover), Mix(q.g, below.g, cover), Mix(q.r, below.r, cover)});
                continue;
            }
            std::uint8_t* d = img.Row(row) + col * 3;
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t v = sample(c, y, x);
                d[2 - c] = cover == 255 ? v : Mix(v, d[2 - c], cover);
            }
        }
    }
    return true;
}

bool TPspReader::TryComposite(const TPspBlock& bank, bool& found) {
    TByteReader r(in_.Data, bank.end);
    r.Seek(bank.start);
    const std::uint32_t chunk = r.U32LE();
    const std::uint32_t count = r.U32LE();
    if (!r.Ok() || chunk < 8 || !r.Seek(bank.start + std::uint64_t(chunk)))
        return Fail("Corrupt composite image bank");
    // Attribute blocks first, then the images in the same order.
    struct Attr {
        std::int32_t w = 0, h = 0;
        std::uint16_t depth = 0, compression = 0, type = 0;
    };
    std::vector<Attr> attrs;
    TPspBlock b;
    for (std::uint32_t i = 0; i < count && r.Pos() < bank.end; ++i) {
        if (!NextBlock(r, bank.end, b) || b.id != kCompositeAttributes)
            return Fail("Corrupt composite image bank");
        TByteReader a(in_.Data, b.end);
        a.Seek(b.start);
        a.U32LE();
        Attr at;
        at.w = a.I32LE();
        at.h = a.I32LE();
        at.depth = a.U16LE();
        at.compression = a.U16LE();
        a.Skip(6);
        at.type = a.U16LE();
        if (!a.Ok()) return Fail("Truncated composite image attributes");
        attrs.push_back(at);
    }
    for (const Attr& at : attrs) {
        if (r.Pos() >= bank.end) break;
        if (!NextBlock(r, bank.end, b)) return Fail("Corrupt composite image bank");
        // The full-size composite (type 0) in a form we unpack; thumbnails and
        // JPEG composites are passed over.
        if (b.id != kCompositeImage || at.type != 0 || at.w != width_ || at.h != height_ ||
            at.depth != depth_ || at.compression > 2)
            continue;
        TByteReader c(in_.Data, b.end);
        c.Seek(b.start);
        const std::uint32_t infoSize = c.U32LE();
        if (!c.Ok() || infoSize < 8 || !c.Seek(b.start + std::uint64_t(infoSize)))
            return Fail("Corrupt composite image");
        std::vector<TPspChannel> channels;
        std::vector<TRGBQuad> palette;
        if (!ReadChannels(c, b.end, channels, &palette)) return false;
        if (!palette.empty()) palette_ = palette;
        found = true;
        TPspLayer composite;
        composite.width = width_;
        composite.height = height_;
        composite.channels = std::move(channels);
        return Draw(composite, at.compression);
    }
    return true;
}

bool TPspReader::TryLayers(const TPspBlock& bank, bool& found) {
    TByteReader r(in_.Data, bank.end);
    r.Seek(bank.start);
    TPspBlock layer;
    bool otherBlend = false, leftOut = false;
    while (r.Pos() < bank.end) {
        if (!NextBlock(r, bank.end, layer)) return Fail("Corrupt Paintshop Pro layer bank");
        if (layer.id != kLayer) continue;
        TByteReader l(in_.Data, layer.end);
        l.Seek(layer.start);
        std::size_t infoEnd = 0;
        if (major_ >= 4) {
            const std::uint32_t chunk = l.U32LE();
            const std::uint16_t nameLength = l.U16LE();
            l.Skip(nameLength);
            infoEnd = layer.start + chunk;
            if (chunk < 6 || infoEnd > layer.end) return Fail("Corrupt Paintshop Pro layer");
        } else {
            l.Skip(256);
        }
        const std::uint8_t type = l.U8();
        std::int32_t saved[4];
        l.Skip(16);  // the layer's rectangle; the saved one places the pixels
        for (auto& v : saved) v = l.I32LE();
        const std::uint8_t opacity = l.U8();
        const std::uint8_t blend = l.U8();
        const std::uint8_t flags = l.U8();
        if (!l.Ok()) return Fail("Truncated Paintshop Pro layer");
        const bool visible = (flags & 1) != 0;
        const bool raster = major_ >= 4 ? (type == 1 || type == 2) : (type == 0 || type == 1);
        if (!raster) {
            // Vector, adjustment and mask layers change what the program
            // shows; groups only hold other layers.
            if (visible && major_ >= 4 && type != 0 && type != 5) leftOut = true;
            continue;
        }
        if (!visible || opacity == 0) continue;
        if (major_ >= 4) {
            l.Seek(infoEnd);
            // Newer files put extension blocks before the bitmap chunk.
            while (l.Has(4) && Get16LE(in_.Data + l.Pos()) == 0x427E &&
                   Get16LE(in_.Data + l.Pos() + 2) == 0x004B) {
                TPspBlock ext;
                if (!NextBlock(l, layer.end, ext)) return Fail("Corrupt Paintshop Pro layer");
            }
            const std::uint32_t chunk = l.U32LE();
            if (!l.Ok() || chunk < 8 || !l.Seek(l.Pos() - 4 + std::uint64_t(chunk)))
                return Fail("Corrupt Paintshop Pro layer bitmap");
        } else {
            l.Skip(375 - 256 - 1 - 32 - 3);  // the rest of the fixed-size layer information
        }
        TPspLayer bitmap;
        bitmap.left = saved[0];
        bitmap.top = saved[1];
        bitmap.width = std::int64_t(saved[2]) - saved[0];
        bitmap.height = std::int64_t(saved[3]) - saved[1];
        bitmap.opacity = opacity;
        if (bitmap.width <= 0 || bitmap.height <= 0 || !ImageSizeAllowed(bitmap.width, bitmap.height))
            return Fail("Invalid Paintshop Pro layer size");
        if (!ReadChannels(l, layer.end, bitmap.channels, nullptr)) return false;
        if (!Draw(bitmap, compression_)) return false;
        found = true;
        otherBlend = otherBlend || blend != 0;
    }
    if (otherBlend) out_.Warn("Layer blend modes other than normal are drawn as normal");
    if (leftOut) out_.Warn("Vector, adjustment and mask layers are left out");
    return true;
}

bool TPspReader::Decode() {
    static const char kSignature[] = "Paint Shop Pro Image File\n\x1a";
    if (in_.Size < 36 || std::memcmp(in_.Data, kSignature, 27) != 0) return Fail("Not a Paintshop Pro file");
    TByteReader r(in_.Data, in_.Size);
    r.Seek(32);
    major_ = r.U16LE();
    r.U16LE();
    TPspBlock block, bank, composite;
    bool haveAttributes = false, haveLayers = false, haveComposite = false;
    while (r.Remaining() >= 10) {
        if (!NextBlock(r, in_.Size, block)) break;  // trailing bytes that are no block end the file
        switch (block.id) {
        case kImageAttributes:
            if (!ReadAttributes(block)) return false;
            haveAttributes = true;
            break;
        case kPalette:
            if (!ReadPalette(block, palette_)) return false;
            break;
        case kLayerBank:
            if (!haveLayers) bank = block;
            haveLayers = true;
            break;
        case kCompositeBank:
            composite = block;
            haveComposite = true;
            break;
        default:
            break;
        }
    }
    if (!haveAttributes) return Fail("Paintshop Pro file without image attributes");
    if (width_ <= 0 || height_ <= 0) return Fail("Paintshop Pro image has no pixels");
    // Layers may cover less than the canvas, so the file is judged by the most
    // expansive coding it may use: a smaller file cannot fill a larger canvas.
    const std::uint64_t canvasBytes =
        (std::uint64_t(width_) * std::uint64_t(depth_ > 0 ? depth_ : 1) + 7) / 8 * std::uint64_t(height_);
    if (!CodedDataCanHold(TCoding::Deflate, in_.Size, canvasBytes))
        return Fail("Truncated Paintshop Pro file");
    const int outBpp = depth_ <= 8 ? depth_ : 24;
    if (!CreateImage(out_, width_, height_, outBpp, error_)) return false;

    if (depth_ <= 8) {
        auto& pal = out_.Image.Colors();
        if (!palette_.empty())
            for (int i = 0; i < 256; ++i)
                pal[static_cast<std::size_t>(i)] = palette_[static_cast<std::size_t>(i)];
        else
            SetGreyPalette(out_.Image, 1 << depth_);
    }
    // Canvas not covered by the layer shows white (the nearest palette colour
    // in palette images).
    out_.Image.Fill({255, 255, 255});

    bool found = false;
    // A damaged composite bank still leaves the layers to fall back on: the
    // composite only repeats what they show.
    if (haveComposite && !TryComposite(composite, found)) {
        out_.Warn("Composite image damaged (" + error_ + "); the layers are shown");
        found = false;
        out_.Image.Fill({255, 255, 255});
    }
    if (!found && haveLayers && !TryLayers(bank, found)) return false;
    if (!found) return Fail("Paintshop Pro file without a visible raster image");
    if (depth_ <= 8 && !palette_.empty()) {  // a composite may bring its own palette
        auto& pal = out_.Image.Colors();
        for (int i = 0; i < 256; ++i)
            pal[static_cast<std::size_t>(i)] = palette_[static_cast<std::size_t>(i)];
    }
    return true;
}

}  // namespace

bool DecodePsp(const TDecodeInput& in, TPicture& out, std::string& error) {
    TPspReader reader(in, out, error);
    return reader.Decode();
}

}  // namespace pm
