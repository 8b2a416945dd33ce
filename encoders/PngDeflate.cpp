#include "encoders/PngDeflate.h"

#include <algorithm>
#include <libdeflate.h>
#include <memory>
#include <new>

namespace pm {

namespace {

constexpr std::uint8_t kFilterSub = 1;

struct TFreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// One row as PNG wants it: the filter byte, then red, green, blue, each byte
// less the same byte of the pixel to its left.
void FilterRow(const std::uint8_t* bgr, std::size_t width, std::uint8_t* out) {
    *out++ = kFilterSub;
    std::uint8_t left[3] = {0, 0, 0};
    for (std::size_t x = 0; x < width; ++x, bgr += 3, out += 3) {
        const std::uint8_t rgb[3] = {bgr[2], bgr[1], bgr[0]};
        for (int c = 0; c < 3; ++c) {
            out[c] = static_cast<std::uint8_t>(rgb[c] - left[c]);
            left[c] = rgb[c];
        }
    }
}

}  // namespace

std::vector<std::uint8_t> DeflatePngRows(const TFastDIB& dib, int level, std::size_t maxFilteredBytes) {
    const std::size_t width = static_cast<std::size_t>(dib.Width()),
                      height = static_cast<std::size_t>(dib.Height());
    const std::size_t rowBytes = 1 + 3 * width;
    if (dib.Bpp() != 24 || height == 0 || rowBytes > maxFilteredBytes / height) return {};
    // zlib's levels map onto libdeflate's as they are; 0 stores.
    std::unique_ptr<libdeflate_compressor, TFreeCompressor> compressor(
        libdeflate_alloc_compressor(std::clamp(level, 0, 9)));
    if (!compressor) return {};
    try {
        std::vector<std::uint8_t> filtered(rowBytes * height);
        for (std::size_t y = 0; y < height; ++y)
            FilterRow(dib.Row(static_cast<int>(height - 1 - y)), width, filtered.data() + y * rowBytes);
        std::vector<std::uint8_t> packed(libdeflate_zlib_compress_bound(compressor.get(), filtered.size()));
        const std::size_t n = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(),
                                                       packed.data(), packed.size());
        packed.resize(n);
        return packed;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace pm
