// The EXIF block is found by walking the file's segments (JPEG) or chunks
// (PNG) and only that block goes to Exiv2, which knows the many ways one can
// be malformed. Exiv2 never sees the rest of the file: its readers of the
// other metadata (compressed PNG text and colour-profile chunks) would
// inflate them without a bound, so a small file could make it allocate
// hundreds of megabytes.
#include "decoders/ExifOrientation.h"

#include "decoders/MetadataBlocks.h"

#include <exiv2/exiv2.hpp>

#include <mutex>

namespace pm {

namespace {

int OrientationOfBlock(const TByteSpan& block) {
    if (!block.Data || block.Size < 8 || block.Size > 0xFFFFFFFFu) return 1;
    PrepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, block.Data, static_cast<std::uint32_t>(block.Size));
        const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (it == exif.end() || it->count() < 1) return 1;
        const long value = it->toLong(0);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    } catch (...) {
        // Exiv2 throws its own errors and the standard library's alike.
        return 1;
    }
}

// The XMP toolkit keeps a registry of namespaces that parsing and writing
// packets in several threads at once would otherwise race on.
void LockXmp(void* mutex, bool lock) {
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

}  // namespace

// Once per process: Exiv2 logs what it finds odd to stderr, which a batch run
// must not get; and its XMP support has to be set up before threads use it.
void PrepareExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        static std::mutex xmpMutex;
        Exiv2::XmpParser::initialize(LockXmp, &xmpMutex);
    });
}

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 8) return 1;
    const TByteSpan block = data[0] == 0xFF          ? JpegExifBlock(data, size)
                            : IsWebpFile(data, size) ? WebpExifBlock(data, size)
                                                     : PngExifBlock(data, size);
    return OrientationOfBlock(block);
}

}  // namespace pm
