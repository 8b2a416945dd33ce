#include "decoders/BmpChecks.h"

#include "decoders/ReaderSupport.h"

namespace pm {

namespace {

// Walks RLE8/RLE4 data as the reader draws it. Absolute runs are padded to
// whole 16-bit words; the data may stop early (the reader reports that).
bool CheckRuns(const std::uint8_t* src, std::size_t n, std::int64_t width, std::int64_t height, bool rle4,
               std::string& error) {
    std::int64_t x = 0, y = 0;
    std::size_t i = 0;
    while (y < height && i + 2 <= n) {
        const std::uint8_t count = src[i], value = src[i + 1];
        i += 2;
        if (count > 0) {
            if (x + count > width) return Fail(error, "A run goes past the end of its row");
            x += count;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (i + 2 > n) return true;
            x += src[i];
            y += src[i + 1];
            i += 2;
            if (x > width || y > height) return Fail(error, "A delta moves out of the picture");
        } else {
            if (x + value > width) return Fail(error, "A run goes past the end of its row");
            x += value;
            const std::size_t bytes = rle4 ? (value + 1u) / 2u : value;
            i += bytes + (bytes & 1);
        }
    }
    return true;
}

}  // namespace

bool CheckBmpData(const std::uint8_t* data, std::size_t size, std::size_t infoAt, const TFastDIB& image,
                  TPicture& out, std::string& error) {
    if (!data || size < infoAt + 40) return true;
    const std::uint32_t headerSize = Get32LE(data + infoAt);
    if (headerSize < 40 || size - infoAt < headerSize) return true;  // core headers have no compression
    const std::uint8_t* h = data + infoAt;
    const std::int64_t width = static_cast<std::int32_t>(Get32LE(h + 4));
    const std::int64_t height = static_cast<std::int32_t>(Get32LE(h + 8));
    const int bpp = Get16LE(h + 14);
    const std::uint32_t compression = Get32LE(h + 16);
    const std::uint32_t imageSize = Get32LE(h + 20);
    const std::uint32_t colorsUsed = Get32LE(h + 32);
    if (width <= 0 || height <= 0 || bpp == 0) return true;

    std::uint64_t pixelOffset;
    if (infoAt > 0) {
        pixelOffset = Get32LE(data + 10);
        const std::uint32_t fileSize = Get32LE(data + 2);
        if (fileSize > size)
            out.Warn("The file size field says " + std::to_string(fileSize) + " bytes, the file holds " +
                     std::to_string(size));
    } else {
        std::uint64_t entries = colorsUsed;
        if (entries == 0 && bpp <= 8) entries = std::uint64_t(1) << bpp;
        pixelOffset = headerSize + entries * 4;
    }
    if (bpp <= 8) {
        // Entries the header declares, as far as they lie before the pixels.
        std::uint64_t declared = colorsUsed && colorsUsed < (1u << bpp) ? colorsUsed : 1u << bpp;
        const std::uint64_t tableStart = infoAt + headerSize;
        const std::uint64_t present = pixelOffset > tableStart ? (pixelOffset - tableStart) / 4 : 0;
        if (present < declared) declared = present;
        if (HighestIndex(image) >= declared) out.Warn("Pixels use colours the colour table does not hold");
    }
    if (pixelOffset >= size) return true;
    const std::size_t available = size - static_cast<std::size_t>(pixelOffset);

    const bool rle = (compression == 1 && bpp == 8) || (compression == 2 && bpp == 4);
    if (rle) {
        if (!CheckRuns(data + pixelOffset, available, width, height, compression == 2, error)) return false;
    } else if (compression == 0) {
        const std::uint64_t stride = (std::uint64_t(width) * bpp + 31) / 32 * 4;
        const std::uint64_t needed = stride * std::uint64_t(height);
        if (imageSize != 0 && imageSize < needed)
            out.Warn("The image size field says " + std::to_string(imageSize) + " bytes, the pixels take " +
                     std::to_string(needed));
    }
    if (imageSize > available)
        out.Warn("The image size field says " + std::to_string(imageSize) + " bytes, only " +
                 std::to_string(available) + " follow the header");
    return true;
}

}  // namespace pm
