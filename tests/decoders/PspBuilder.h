#pragma once
// Paintshop Pro files built block by block for reader tests; `major` selects
// the old (3) or the chunked (4 and later) layout.
#include "support/ByteBuilder.h"

#include <zlib.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace pm::test {

using TPspBytes = std::vector<std::uint8_t>;

inline TPspBytes PspBlock(int major, int id, const TPspBytes& body) {
    TBytes b;
    b.Text(std::string_view("~BK\0", 4)).U16LE(id);
    if (major < 4) b.U32LE(static_cast<std::uint32_t>(body.size()));
    b.U32LE(static_cast<std::uint32_t>(body.size())).Append(body);
    return b.Bytes();
}

inline TPspBytes PspAttributes(int major, int w, int h, int compression, int depth) {
    TBytes b;
    if (major >= 4) b.U32LE(46);
    b.U32LE(w)
        .U32LE(h)
        .Zeros(8)
        .U8(1)
        .U16LE(compression)
        .U16LE(depth)
        .U16LE(1)
        .U32LE(256)
        .U8(0)
        .U32LE(0)
        .U32LE(0)
        .U16LE(1);
    if (major >= 4) b.U32LE(1);
    return PspBlock(major, 0, b.Bytes());
}

// bitmapType 0 is the image, 1 the transparency mask; channelType 0 is the
// index or mask plane, 1 to 3 red, green and blue.
inline TPspBytes PspChannel(int major, const TPspBytes& data, int channelType, int bitmapType = 0) {
    TBytes b;
    if (major >= 4) b.U32LE(16);
    b.U32LE(static_cast<std::uint32_t>(data.size()))
        .U32LE(0)
        .U16LE(bitmapType)
        .U16LE(channelType)
        .Append(data);
    return PspBlock(major, 5, b.Bytes());
}

struct TPspLayerSpec {
    int left = 0, top = 0, right = 0, bottom = 0;  // the saved rectangle
    int opacity = 255, blend = 0;
    bool visible = true;
    int type = -1;  // -1: a raster layer of the layout
    std::vector<TPspBytes> channels;
    bool extensionBlock = false;
};

inline TPspBytes PspLayer(int major, const TPspLayerSpec& s) {
    TBytes rects;
    for (int k = 0; k < 2; ++k) rects.U32LE(s.left).U32LE(s.top).U32LE(s.right).U32LE(s.bottom);
    TBytes rest;
    rest.U8(s.opacity).U8(s.blend).U8(s.visible ? 1 : 0).U8(0).U8(0).Zeros(32).Zeros(3).Zeros(42);
    const int type = s.type >= 0 ? s.type : major < 4 ? 0 : 1;
    TBytes layer;
    if (major < 4) {
        layer.Text("Layer").PadTo(256).U8(type).Append(rects.Bytes()).Append(rest.Bytes());
        layer.U16LE(1).U16LE(static_cast<unsigned>(s.channels.size()));
    } else {
        layer.U32LE(static_cast<std::uint32_t>(4 + 2 + 5 + 1 + 32 + rest.Size()))
            .U16LE(5)
            .Text("Layer")
            .U8(type);
        layer.Append(rects.Bytes()).Append(rest.Bytes());
        if (s.extensionBlock) layer.Append(PspBlock(major, 0x21, TPspBytes(12, 7)));
        layer.U32LE(8).U16LE(1).U16LE(static_cast<unsigned>(s.channels.size()));
    }
    for (const auto& c : s.channels) layer.Append(c);
    return PspBlock(major, 4, layer.Bytes());
}

inline TPspBytes PspLayerBank(int major, const std::vector<TPspLayerSpec>& layers) {
    TPspBytes body;
    for (const auto& l : layers) {
        const TPspBytes one = PspLayer(major, l);
        body.insert(body.end(), one.begin(), one.end());
    }
    return PspBlock(major, 3, body);
}

inline TPspBytes PspFile(int major, const std::vector<TPspBytes>& blocks) {
    TBytes b;
    b.Text("Paint Shop Pro Image File\n\x1a").PadTo(32).U16LE(major).U16LE(0);
    for (const auto& blk : blocks) b.Append(blk);
    return b.Bytes();
}

inline TPspBytes PspDeflate(const TPspBytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    TPspBytes out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

}  // namespace pm::test
