// Wavefront RLA and RPF images: the active window, one run-length record per
// channel and scanline, scanlines stored bottom line first. Colour channels
// (grey or RGB) and the first matte channel (alpha) are read; auxiliary
// channels are not part of the picture.
#include "decoders/Decoders.h"
#include "decoders/ReaderSupport.h"

#include <vector>

namespace pm {

namespace {

constexpr std::size_t kRlaHeader = 740;

// One channel of one scanline: `bytes` bytes per sample, most significant
// byte planes first. False unless the record yields exactly the samples.
bool ExpandRlaRecord(const std::uint8_t* src, std::size_t len, std::vector<std::uint8_t>& out) {
    std::size_t in = 0, o = 0;
    const std::size_t n = out.size();
    while (o < n) {
        if (in >= len) return false;
        const int code = static_cast<std::int8_t>(src[in++]);
        if (code >= 0) {
            const std::size_t count = static_cast<std::size_t>(code) + 1;
            if (in >= len || count > n - o) return false;
            const std::uint8_t v = src[in++];
            for (std::size_t k = 0; k < count; ++k) out[o++] = v;
        } else {
            const std::size_t count = static_cast<std::size_t>(-code);
            if (count > len - in || count > n - o) return false;
            for (std::size_t k = 0; k < count; ++k) out[o++] = src[in++];
        }
    }
    return true;
}

}  // namespace

bool DecodeRla(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    r.Seek(8);
    const std::int16_t left = r.I16BE(), right = r.I16BE(), bottom = r.I16BE(), top = r.I16BE();
    r.Skip(2);
    const std::int16_t colourType = r.I16BE();
    const std::int16_t colourCount = r.I16BE();
    const std::int16_t matteCount = r.I16BE();
    r.Seek(658);
    std::int16_t colourBits = r.I16BE();
    const std::int16_t matteType = r.I16BE();
    std::int16_t matteBits = r.I16BE();
    if (!r.Ok() || in.Size < kRlaHeader) return Fail(error, "Truncated RLA header");
    if (right < left || top < bottom) return Fail(error, "RLA image has no pixels");
    if (colourCount < 1 || colourCount > 64 || matteCount < 0 || matteCount > 64)
        return Fail(error, "Invalid RLA channel counts");
    // Older files leave the bit counts 0: bytes.
    if (colourBits <= 0) colourBits = 8;
    if (matteBits <= 0) matteBits = 8;
    if (colourType < 0 || colourType > 2 || colourBits > 32 ||
        (matteCount > 0 && (matteType < 0 || matteType > 2 || matteBits > 32)))
        return Fail(error, "Unsupported RLA channel format");

    const int width = right - left + 1, height = top - bottom + 1;
    const int colours = colourCount >= 3 ? 3 : 1;
    const bool alpha = colours == 3 && matteCount > 0;
    const int outBpp = colours == 1 ? 8 : alpha ? 32 : 24;
    const int channelsRead = colours == 3 ? 3 + (alpha ? 1 : 0) : 1;
    if (!r.Seek(kRlaHeader) || !r.Has(std::uint64_t(height) * 4))
        return Fail(error, "Truncated RLA scanline table");
    // A two-byte record yields at most 128 samples.
    if (!CodedDataCanHold(TCoding::PackBits, r.Remaining(), std::uint64_t(width) * height * channelsRead))
        return Fail(error, "Truncated RLA image data");
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(height));
    for (auto& o : offsets) o = r.U32BE();

    if (!CreateImage(out, width, height, outBpp, error)) return false;
    TFastDIB& img = out.Image;
    if (outBpp == 8) SetGreyPalette(img, 256);

    static const int slots[4] = {2, 1, 0, 3};
    const int pixelBytes = outBpp / 8;
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y) {
        TByteReader line(in.Data, in.Size);
        if (!line.Seek(offsets[static_cast<std::size_t>(y)]))
            return Fail(error, "RLA scanline outside the file");
        std::uint8_t* d = img.Row(y);  // the first scanline is the bottom line
        for (int c = 0; c < channelsRead; ++c) {
            const bool matte = c == 3;
            const int bits = matte ? matteBits : colourBits;
            const int bytes = (bits + 7) / 8;
            // The matte channel follows all colour channels, read or not.
            if (matte)
                for (int skip = 3; skip < colourCount; ++skip) line.Skip(line.U16BE());
            const std::uint16_t length = line.U16BE();
            const std::uint8_t* record = line.Bytes(length);
            if (!line.Ok()) return Fail(error, "Truncated RLA scanline");
            samples.resize(std::size_t(width) * bytes);
            if (!ExpandRlaRecord(record, length, samples))
                return Fail(error, "Corrupt RLA run-length record");
            const std::uint32_t maxValue = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
            const int slot = colours == 1 ? 0 : slots[c];
            for (int x = 0; x < width; ++x) {
                std::uint32_t v = 0;
                for (int b = 0; b < bytes; ++b) v = (v << 8) | samples[std::size_t(b) * width + x];
                d[x * pixelBytes + slot] =
                    bits == 8 ? static_cast<std::uint8_t>(v) : ScaleSample(v, maxValue);
            }
        }
    }
    return true;
}

}  // namespace pm
