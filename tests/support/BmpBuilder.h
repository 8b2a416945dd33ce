#pragma once
// Builds BMP file images byte by byte for tests: any header form, palette,
// masks and pixel bytes, including inconsistent ones.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pm::test {

struct BmpLayout {
    std::uint32_t headerSize = 40;  // 12 writes the OS/2 1.x core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t colorsImportant = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    // Palette entries as blue, green, red (3 bytes each for the core header).
    std::vector<std::uint32_t> palette{};
    // Bit-field masks red, green, blue (and alpha), written after a 40-byte
    // header or into a larger one.
    std::vector<std::uint32_t> masks{};
    std::vector<std::uint8_t> pixels{};
    bool fileHeader = true;                      // false: a packed DIB
    std::optional<std::uint32_t> pixelOffset{};  // default: right behind the table
};

inline void Put(std::vector<std::uint8_t>& o, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) o.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline std::vector<std::uint8_t> MakeBmp(const BmpLayout& s) {
    std::vector<std::uint8_t> info;
    Put(info, s.headerSize, 4);
    if (s.headerSize == 12) {
        Put(info, static_cast<std::uint16_t>(s.width), 2);
        Put(info, static_cast<std::uint16_t>(s.height), 2);
        Put(info, 1, 2);
        Put(info, s.bpp, 2);
    } else {
        Put(info, static_cast<std::uint32_t>(s.width), 4);
        Put(info, static_cast<std::uint32_t>(s.height), 4);
        Put(info, 1, 2);
        Put(info, s.bpp, 2);
        Put(info, s.compression, 4);
        Put(info, s.sizeImage, 4);
        Put(info, static_cast<std::uint32_t>(s.xPelsPerMeter), 4);
        Put(info, static_cast<std::uint32_t>(s.yPelsPerMeter), 4);
        Put(info, s.colorsUsed, 4);
        Put(info, s.colorsImportant, 4);
        for (std::uint32_t m : s.masks) Put(info, m, 4);
        // Larger headers are padded with zeros, shorter OS/2 ones cut.
        info.resize(std::max<std::size_t>(info.size(), std::min<std::uint32_t>(s.headerSize, 124)), 0);
        if (s.headerSize >= 16 && s.headerSize < 40) info.resize(s.headerSize);
    }
    for (std::uint32_t c : s.palette) Put(info, c, s.headerSize == 12 ? 3 : 4);
    std::vector<std::uint8_t> out;
    if (s.fileHeader) {
        const std::uint32_t offset = s.pixelOffset.value_or(static_cast<std::uint32_t>(14 + info.size()));
        out.push_back('B');
        out.push_back('M');
        Put(out, 14 + info.size() + s.pixels.size(), 4);
        Put(out, 0, 4);
        Put(out, offset, 4);
        out.insert(out.end(), info.begin(), info.end());
        out.resize(std::max<std::size_t>(out.size(), offset), 0);
    } else {
        out = info;
    }
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

// A 24-bit picture of one grey `value`, as file bytes: the value sets its
// content, the size its length.
inline std::string UniformBmp(int width, int height, int value) {
    const std::size_t bytes = static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * height);
    const auto file = MakeBmp(
        {.width = width, .height = height, .pixels = std::vector<std::uint8_t>(bytes, std::uint8_t(value))});
    return {file.begin(), file.end()};
}

}  // namespace pm::test
