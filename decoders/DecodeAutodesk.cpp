// Autodesk Animator images: the 256-colour CEL and PIC files of Animator 1
// (header 0x9119, 6-bit palette, raw pixels) and Animator Pro CELs, which are
// one-frame FLIC files whose first frame we build from its chunks.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <cstring>
#include <vector>

namespace pm {

namespace {

enum FlicChunk : std::uint16_t {
    kDeltaFlc = 7,
    kColor256 = 4,
    kColor64 = 11,
    kDeltaFli = 12,
    kBlack = 13,
    kByteRun = 15,
    kCopy = 16,
    kFrame = 0xF1FA,
};

bool DecodeAnimator1(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    r.Skip(2);
    const std::uint16_t width = r.U16LE(), height = r.U16LE();
    r.Skip(4);
    const std::uint8_t bits = r.U8(), compression = r.U8();
    if (!r.Ok() || !r.Seek(32)) return Fail(error, "Truncated Animator header");
    if ((bits != 8 && bits != 0) || compression != 0) return Fail(error, "Unsupported Animator image");
    const std::uint8_t* palette = r.Bytes(768);
    if (!palette) return Fail(error, "Truncated Animator palette");
    if (width == 0 || height == 0) return Fail(error, "Animator image has no pixels");
    const std::uint8_t* pixels = r.Bytes(std::uint64_t(width) * height);
    if (!pixels) return Fail(error, "Truncated Animator image data");
    if (!CreateImage(out, width, height, 8, error)) return false;
    for (int i = 0; i < 256; ++i)
        out.Image.Colors()[static_cast<std::size_t>(i)] = {
            Widen6(palette[i * 3 + 2]), Widen6(palette[i * 3 + 1]), Widen6(palette[i * 3]), 0};
    for (int y = 0; y < height; ++y)
        std::memcpy(out.Image.Row(height - 1 - y), pixels + std::size_t(y) * width, width);
    return true;
}

// The first frame of a FLIC: chunks applied to a cleared picture.
class TFlicFrame {
public:
    TFlicFrame(int w, int h) : w_(w), h_(h), pixels_(std::size_t(w) * h, 0) {}

    bool Apply(std::uint16_t type, const std::uint8_t* data, std::size_t size) {
        TByteReader r(data, size);
        switch (type) {
        case kColor256:
        case kColor64:
            return Palette(r, type == kColor64);
        case kBlack:
            std::fill(pixels_.begin(), pixels_.end(), 0);
            return true;
        case kCopy: {
            const std::uint8_t* p = r.Bytes(pixels_.size());
            if (!p) return false;
            std::memcpy(pixels_.data(), p, pixels_.size());
            return true;
        }
        case kByteRun:
            return ByteRun(r);
        case kDeltaFli:
            return DeltaFli(r);
        case kDeltaFlc:
            return DeltaFlc(r);
        default:
            return true;  // stamps and unknown chunks do not touch the picture
        }
    }
    const std::vector<std::uint8_t>& Pixels() const { return pixels_; }
    const std::array<TRGBQuad, 256>& Colours() const { return colours_; }
    bool HasColours() const { return hasColours_; }

private:
    std::uint8_t* Line(int y) { return pixels_.data() + std::size_t(y) * w_; }

    bool Palette(TByteReader& r, bool sixBit) {
        const std::uint16_t packets = r.U16LE();
        unsigned index = 0;
        for (unsigned p = 0; p < packets && r.Ok(); ++p) {
            index += r.U8();
            unsigned count = r.U8();
            if (count == 0) count = 256;
            const std::uint8_t* c = r.Bytes(count * 3u);
            if (!c) return false;
            for (unsigned k = 0; k < count; ++k, ++index) {
                if (index >= 256) continue;
                const std::uint8_t* e = c + k * 3;
                colours_[index] = sixBit ? TRGBQuad{Widen6(e[2]), Widen6(e[1]), Widen6(e[0]), 0}
                                         : TRGBQuad{e[2], e[1], e[0], 0};
            }
        }
        hasColours_ = true;
        return r.Ok();
    }

    bool ByteRun(TByteReader& r) {
        for (int y = 0; y < h_; ++y) {
            r.U8();  // the packet count is unreliable for wide lines: the width ends a line
            std::uint8_t* d = Line(y);
            int x = 0;
            while (x < w_) {
                const int count = static_cast<std::int8_t>(r.U8());
                if (!r.Ok() || count == 0) return false;
                if (count > 0) {
                    const std::uint8_t v = r.U8();
                    if (count > w_ - x) return false;
                    std::memset(d + x, v, static_cast<std::size_t>(count));
                    x += count;
                } else {
                    const int n = -count;
                    const std::uint8_t* p = r.Bytes(static_cast<std::uint64_t>(n));
                    if (!p || n > w_ - x) return false;
                    std::memcpy(d + x, p, static_cast<std::size_t>(n));
                    x += n;
                }
            }
        }
        return r.Ok();
    }

    bool DeltaFli(TByteReader& r) {
        int y = r.U16LE();
        const int lines = r.U16LE();
        for (int l = 0; l < lines; ++l, ++y) {
            const int packets = r.U8();
            if (!r.Ok() || y >= h_) return false;
            int x = 0;
            for (int p = 0; p < packets; ++p) {
                x += r.U8();
                const int size = static_cast<std::int8_t>(r.U8());
                if (!r.Ok()) return false;
                if (!Put(r, y, x, size, 1)) return false;
                x += size >= 0 ? size : -size;
            }
        }
        return r.Ok();
    }

    bool DeltaFlc(TByteReader& r) {
        const int lines = r.U16LE();
        int y = 0;
        for (int l = 0; l < lines; ++l, ++y) {
            int packets = -1;
            while (packets < 0) {  // optional skip and last-byte words, then the packet count
                const std::uint16_t word = r.U16LE();
                if (!r.Ok()) return false;
                if ((word & 0xC000) == 0xC000) {
                    y += 0x10000 - word;
                    if (y > h_) return false;
                } else if ((word & 0xC000) == 0x8000) {
                    if (y >= h_) return false;
                    Line(y)[w_ - 1] = static_cast<std::uint8_t>(word & 0xFF);
                } else {
                    packets = word;
                }
            }
            if (y >= h_ && packets > 0) return false;
            int x = 0;
            for (int p = 0; p < packets; ++p) {
                x += r.U8();
                const int count = static_cast<std::int8_t>(r.U8());
                if (!r.Ok()) return false;
                if (!Put(r, y, x, count, 2)) return false;
                x += 2 * (count >= 0 ? count : -count);
            }
        }
        return r.Ok();
    }

    // A literal (count > 0) or repeated (count < 0) packet of `unit`-byte items at (x, y).
    bool Put(TByteReader& r, int y, int x, int count, int unit) {
        const int n = count >= 0 ? count : -count;
        if (y < 0 || y >= h_ || x < 0 || n * unit > w_ - x) return false;
        std::uint8_t* d = Line(y) + x;
        if (count >= 0) {
            const std::uint8_t* p = r.Bytes(std::uint64_t(n) * unit);
            if (!p) return false;
            std::memcpy(d, p, std::size_t(n) * unit);
        } else {
            const std::uint8_t* p = r.Bytes(static_cast<std::uint64_t>(unit));
            if (!p) return false;
            for (int k = 0; k < n; ++k) std::memcpy(d + k * unit, p, static_cast<std::size_t>(unit));
        }
        return true;
    }

    int w_, h_;
    std::vector<std::uint8_t> pixels_;
    std::array<TRGBQuad, 256> colours_{};
    bool hasColours_ = false;
};

bool DecodeFlic(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    r.Skip(8);  // file size, magic, frame count
    const std::uint16_t width = r.U16LE(), height = r.U16LE(), depth = r.U16LE();
    r.Seek(80);
    const std::uint32_t frame1 = r.U32LE();
    if (!r.Ok() || in.Size < 128) return Fail(error, "Truncated Animator Pro header");
    if (depth != 8 && depth != 0) return Fail(error, "Unsupported Animator Pro depth");
    if (width == 0 || height == 0) return Fail(error, "Animator Pro image has no pixels");
    // A frame cleared by one small chunk has no bound from its coding, so the
    // general cap on pixels per compressed byte stands in.
    if (std::uint64_t(width) * height / kMaxPixelsPerCompressedByte > in.Size)
        return Fail(error, "Truncated Animator Pro file");

    // The first frame chunk, after optional prefix chunks.
    std::size_t pos = (frame1 >= 128 && frame1 < in.Size) ? frame1 : 128;
    std::size_t frameEnd = 0;
    int chunkCount = 0;
    for (;;) {
        r.Seek(pos);
        const std::uint32_t size = r.U32LE();
        const std::uint16_t type = r.U16LE();
        if (!r.Ok() || size < 6 || size > in.Size - pos)
            return Fail(error, "Animator Pro file without a frame");
        if (type == kFrame) {
            chunkCount = r.U16LE();
            frameEnd = pos + size;
            pos += 16;
            break;
        }
        pos += size;
    }
    if (pos > frameEnd) return Fail(error, "Truncated Animator Pro frame");

    TFlicFrame frame(width, height);
    for (int c = 0; c < chunkCount && pos + 6 <= frameEnd; ++c) {
        r.Seek(pos);
        const std::uint32_t size = r.U32LE();
        const std::uint16_t type = r.U16LE();
        if (size < 6 || size > frameEnd - pos) return Fail(error, "Corrupt Animator Pro chunk");
        // Some writers state chunk sizes a little short, so a chunk may read on
        // to the end of its frame.
        if (!frame.Apply(type, in.Data + pos + 6, frameEnd - pos - 6))
            return Fail(error, "Corrupt Animator Pro chunk");
        pos += size;
    }

    if (!CreateImage(out, width, height, 8, error)) return false;
    if (frame.HasColours())
        out.Image.Colors() = frame.Colours();
    else
        SetGreyPalette(out.Image, 256);
    for (int y = 0; y < height; ++y)
        std::memcpy(out.Image.Row(height - 1 - y), frame.Pixels().data() + std::size_t(y) * width, width);
    return true;
}

}  // namespace

bool DecodeAutodesk(const TDecodeInput& in, TPicture& out, std::string& error) {
    if (in.Size >= 2 && Get16LE(in.Data) == 0x9119) return DecodeAnimator1(in, out, error);
    if (in.Size >= 6) {
        const std::uint16_t magic = Get16LE(in.Data + 4);
        if (magic == 0xAF11 || magic == 0xAF12) return DecodeFlic(in, out, error);
    }
    return Fail(error, "Not an Autodesk Animator image");
}

}  // namespace pm
