// Dr. Halo CUT images: run-length lines of 8-bit indices. The colours come
// from the PAL file of the same name; without one the indices show as grey.
#include "decoders/DecodeCut.h"

#include "decoders/Decoders.h"
#include "decoders/FileBytes.h"
#include "decoders/ReaderSupport.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace pm {

namespace {

constexpr std::uintmax_t kMaxPaletteFile = 64 * 1024;  // 256 entries take about 2 KiB

bool SameTextAscii(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

bool ReadHaloPalette(const std::uint8_t* data, std::size_t size, std::array<TRGBQuad, 256>& palette) {
    TByteReader r(data, size);
    const std::uint16_t id = r.U16LE();
    r.Skip(4);  // version and size
    const std::uint8_t fileType = r.U8();
    const std::uint8_t subType = r.U8();
    r.Skip(4);  // board and graphics mode
    const std::uint16_t maxIndex = r.U16LE();
    std::uint16_t maxima[3];
    for (auto& m : maxima) m = r.U16LE();
    if (!r.Ok() || id != 0x4841 || fileType != 0x0A || subType != 0) return false;
    palette.fill(TRGBQuad{});
    std::size_t pos = 40;  // after the 20-byte palette name
    const int entries = maxIndex > 255 ? 256 : maxIndex + 1;
    for (int i = 0; i < entries; ++i) {
        // Entries never straddle the file's 512-byte blocks.
        while (pos % 512 > 506) pos += 2;
        if (pos + 6 > size) return i > 0;
        std::uint8_t c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = ScaleSample(Get16LE(data + pos + 2 * k), maxima[k] ? maxima[k] : 1);
        palette[static_cast<std::size_t>(i)] = {c[2], c[1], c[0], 0};
        pos += 6;
    }
    return true;
}

std::string FindHaloPaletteFile(const std::string& cutFile) {
    namespace fs = std::filesystem;
    if (cutFile.empty()) return {};
    std::error_code ec;
    const fs::path path(cutFile);
    const fs::path stem = path.stem();
    fs::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.stem() != stem || !SameTextAscii(p.extension().string(), ".pal")) continue;
        if (it->is_regular_file(ec)) return p.string();
    }
    return {};
}

namespace {

bool LoadHaloPalette(const std::string& cutFile, std::array<TRGBQuad, 256>& palette) {
    const std::string palFile = FindHaloPaletteFile(cutFile);
    if (palFile.empty()) return false;
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadRegularFile(palFile, kMaxPaletteFile, bytes, error)) return false;
    return ReadHaloPalette(bytes.data(), bytes.size(), palette);
}

}  // namespace

bool DecodeCut(const TDecodeInput& in, TPicture& out, std::string& error) {
    TByteReader r(in.Data, in.Size);
    const std::uint16_t width = r.U16LE();
    const std::uint16_t height = r.U16LE();
    r.Skip(2);
    if (!r.Ok()) return Fail(error, "Truncated Dr. Halo header");
    if (width == 0 || height == 0) return Fail(error, "Dr. Halo image has no pixels");
    // Every line takes its two-byte length; a run of two bytes yields at most 127 pixels.
    if (!r.Has(2u * height) ||
        !CodedDataCanHold(TCoding::PackBits, r.Remaining(), std::uint64_t(width) * height))
        return Fail(error, "Truncated Dr. Halo image data");
    if (!CreateImage(out, width, height, 8, error)) return false;
    TFastDIB& img = out.Image;

    unsigned maxIndex = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint16_t length = r.U16LE();
        const std::uint8_t* line = r.Bytes(length);
        if (!r.Ok()) return Fail(error, "Truncated Dr. Halo image data");
        std::uint8_t* d = img.Row(height - 1 - y);
        int x = 0;
        std::size_t pos = 0;
        while (pos < length) {
            const std::uint8_t code = line[pos++];
            if ((code & 0x7F) == 0) break;  // end of line
            const int count = code & 0x7F;
            if (count > width - x) return Fail(error, "Corrupt Dr. Halo run");
            if (code & 0x80) {
                if (pos >= length) return Fail(error, "Corrupt Dr. Halo run");
                const std::uint8_t v = line[pos++];
                for (int k = 0; k < count; ++k) d[x++] = v;
            } else {
                if (count > static_cast<int>(length - pos)) return Fail(error, "Corrupt Dr. Halo run");
                for (int k = 0; k < count; ++k) d[x++] = line[pos++];
            }
        }
        // Each line codes its full width; a shorter one would leave pixels unknown.
        if (x < width) return Fail(error, "A line ends before the image width");
        for (int k = 0; k < x; ++k) maxIndex = d[k] > maxIndex ? d[k] : maxIndex;
    }

    if (!LoadHaloPalette(in.FileName, img.Colors())) {
        // Grey: the highest index in use shows as white.
        const unsigned top = maxIndex ? maxIndex : 1;
        for (unsigned i = 0; i < 256; ++i) {
            const std::uint8_t v = ScaleSample(i, top);
            img.Colors()[i] = {v, v, v, 0};
        }
    }
    return true;
}

}  // namespace pm
