// Exiv2 reads and writes the EXIF and XMP blocks: both have many dialects and
// many ways to be malformed, and rewriting one by hand would lose maker notes
// or break offsets.
#include "tasks/ResultMetadata.h"

#include "decoders/ExifOrientation.h"
#include "tasks/SrgbConversion.h"

#include <exiv2/exiv2.hpp>

namespace pm {

namespace {

template <typename TData, typename TKey, typename TValue>
bool SetIfPresent(TData& data, const char* key, const TValue& value) {
    const auto it = data.findKey(TKey(key));
    if (it == data.end()) return false;
    it->setValue(value);
    return true;
}

bool PrepareExif(const std::vector<std::uint8_t>& source, bool withLocation, const TResultFacts& facts,
                 std::vector<std::uint8_t>& out) {
    Exiv2::ExifData exif;
    const Exiv2::ByteOrder order =
        Exiv2::ExifParser::decode(exif, source.data(), static_cast<std::uint32_t>(source.size()));
    if (exif.empty()) return false;
    if (facts.Upright) SetIfPresent<Exiv2::ExifData, Exiv2::ExifKey>(exif, "Exif.Image.Orientation", "1");
    exif["Exif.Photo.PixelXDimension"] = static_cast<std::uint32_t>(facts.Width);
    exif["Exif.Photo.PixelYDimension"] = static_cast<std::uint32_t>(facts.Height);
    if (facts.ConvertedToSrgb) exif["Exif.Photo.ColorSpace"] = static_cast<std::uint16_t>(1);
    // The thumbnail shows the source, not the result.
    Exiv2::ExifThumb(exif).erase();
    if (!withLocation) {
        for (auto it = exif.begin(); it != exif.end();)
            it = it->groupName() == "GPSInfo" || it->key() == "Exif.Image.GPSTag" ? exif.erase(it)
                                                                                  : std::next(it);
    }
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, order == Exiv2::invalidByteOrder ? Exiv2::littleEndian : order, exif);
    out.assign(blob.begin(), blob.end());
    return !out.empty();
}

// The packet is rewritten only when something in it changes, so an
// untouched one keeps its bytes.
bool PrepareXmp(const std::string& source, bool withLocation, const TResultFacts& facts, std::string& out) {
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, source) != 0) return false;
    using TSet = bool (*)(Exiv2::XmpData&, const char*, const std::string&);
    const TSet set = SetIfPresent<Exiv2::XmpData, Exiv2::XmpKey, std::string>;
    bool changed = false;
    if (facts.Upright) changed |= set(xmp, "Xmp.tiff.Orientation", "1");
    const std::string width = std::to_string(facts.Width), height = std::to_string(facts.Height);
    changed |= set(xmp, "Xmp.exif.PixelXDimension", width);
    changed |= set(xmp, "Xmp.exif.PixelYDimension", height);
    changed |= set(xmp, "Xmp.tiff.ImageWidth", width);
    changed |= set(xmp, "Xmp.tiff.ImageLength", height);
    if (facts.ConvertedToSrgb) changed |= set(xmp, "Xmp.exif.ColorSpace", "1");
    if (!withLocation) {
        for (auto it = xmp.begin(); it != xmp.end();) {
            const bool gps = it->key().rfind("Xmp.exif.GPS", 0) == 0;
            changed |= gps;
            it = gps ? xmp.erase(it) : std::next(it);
        }
    }
    if (!changed) {
        out = source;
        return true;
    }
    return Exiv2::XmpParser::encode(out, xmp, Exiv2::XmpParser::useCompactFormat) == 0;
}

}  // namespace

TImageMetadata PrepareResultMetadata(const TImageMetadata& source, int choice, const TResultFacts& facts,
                                     std::vector<std::string>& warnings) {
    TImageMetadata out;
    if (choice == kMetadataNone) return out;
    const bool withLocation = choice != kMetadataAllButLocation;
    PrepareExiv2();
    // A block that cannot be read is left out rather than carried half-understood.
    auto carry = [&](bool present, auto prepare, auto& result, const char* what) {
        if (!present) return;
        bool ok = false;
        try {
            ok = prepare(result);
        } catch (...) {
            // Exiv2 throws its own errors and the standard library's alike.
        }
        if (ok) return;
        result.clear();
        warnings.push_back(std::string("The source's ") + what + " can't be read; it is not carried over.");
    };
    carry(
        !source.Exif.empty(), [&](auto& r) { return PrepareExif(source.Exif, withLocation, facts, r); },
        out.Exif, "EXIF block");
    carry(
        !source.Xmp.empty(), [&](auto& r) { return PrepareXmp(source.Xmp, withLocation, facts, r); }, out.Xmp,
        "XMP packet");
    out.Iptc = source.Iptc;
    out.Icc = facts.ConvertedToSrgb ? SrgbProfileBytes() : source.Icc;
    return out;
}

}  // namespace pm
