// The EXIF block is found by walking the file's segments (JPEG) or chunks
// (PNG) and only that block goes to Exiv2, which knows the many ways one can
// be malformed. Exiv2 never sees the rest of the file: its readers of the
// other metadata (compressed PNG text and colour-profile chunks) would
// inflate them without a bound, so a small file could make it allocate
// hundreds of megabytes.
#include "decoders/ExifOrientation.h"

#include "decoders/ReaderSupport.h"

#include <exiv2/exiv2.hpp>

#include <cstring>
#include <mutex>

namespace pm {

namespace {

// Once per process: Exiv2 logs what it finds odd to stderr, which a batch run
// must not get; and its XMP support has to be set up before threads use it.
void PrepareExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

struct TBlock {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The payload of the first APP1 segment that holds EXIF, before the first scan.
TBlock JpegExifBlock(const std::uint8_t* data, std::size_t size) {
    TByteReader in(data, size);
    if (in.U16BE() != 0xFFD8) return {};
    for (;;) {
        std::uint8_t marker = in.U8();
        if (marker != 0xFF) return {};
        while (marker == 0xFF && in.Ok()) marker = in.U8();
        // Markers without a length: restart markers and a stray TEM.
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (!in.Ok() || marker == 0xD9 || marker == 0xDA) return {};
        const unsigned length = in.U16BE();
        if (!in.Ok() || length < 2) return {};
        const std::uint8_t* body = in.Bytes(length - 2);
        if (!body) return {};
        if (marker == 0xE1 && length - 2 > 6 && std::memcmp(body, "Exif\0\0", 6) == 0)
            return {body + 6, length - 2 - 6};
    }
}

// The payload of the first eXIf chunk.
TBlock PngExifBlock(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    TByteReader in(data, size);
    const std::uint8_t* signature = in.Bytes(8);
    if (!signature || std::memcmp(signature, kSignature, 8) != 0) return {};
    for (;;) {
        const std::uint32_t length = in.U32BE();
        const std::uint8_t* type = in.Bytes(4);
        const std::uint8_t* body = in.Bytes(length);
        if (!type || !body || !in.Skip(4)) return {};
        if (std::memcmp(type, "eXIf", 4) == 0) return {body, length};
        if (std::memcmp(type, "IEND", 4) == 0) return {};
    }
}

int OrientationOfBlock(const TBlock& block) {
    if (!block.data || block.size < 8 || block.size > 0xFFFFFFFFu) return 1;
    PrepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, block.data, static_cast<std::uint32_t>(block.size));
        const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (it == exif.end() || it->count() < 1) return 1;
        const long value = it->toLong(0);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    } catch (...) {
        // Exiv2 throws its own errors and the standard library's alike.
        return 1;
    }
}

}  // namespace

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 8) return 1;
    const TBlock block = data[0] == 0xFF ? JpegExifBlock(data, size) : PngExifBlock(data, size);
    return OrientationOfBlock(block);
}

}  // namespace pm
