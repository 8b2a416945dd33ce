// Exiv2 reads the EXIF block: it knows where each format keeps it (JPEG APP1,
// PNG eXIf and its older text-chunk form) and the many ways a block can be
// malformed.
#include "decoders/ExifOrientation.h"

#include <exiv2/exiv2.hpp>

#include <climits>
#include <mutex>

namespace pm {

namespace {

// Once per process: Exiv2 logs what it finds odd to stderr, which a batch run
// must not get; and its XMP parser has to be set up before threads use it.
void PrepareExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

}  // namespace

int ReadExifOrientation(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0 || size > std::size_t(LONG_MAX)) return 1;
    PrepareExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(data, static_cast<long>(size));
        if (!image.get()) return 1;
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
        if (it == exif.end() || it->count() < 1) return 1;
        const long value = it->toLong(0);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    } catch (...) {
        // Exiv2 throws its own errors and the standard library's alike.
        return 1;
    }
}

}  // namespace pm
