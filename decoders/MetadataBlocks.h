#pragma once
// Finding the EXIF block, the XMP packet, the IPTC datasets and the ICC
// colour profile in a picture file's bytes (JPEG, PNG, TIFF, WebP,
// HEIF/AVIF), without decoding any pixels.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pm {

struct TByteSpan {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
};

// The TIFF-structured EXIF payload of a JPEG's first EXIF APP1 segment, of a
// PNG's first eXIf chunk or of a WebP's EXIF chunk; empty when there is none
// or the walk fails.
TByteSpan JpegExifBlock(const std::uint8_t* data, std::size_t size);
TByteSpan PngExifBlock(const std::uint8_t* data, std::size_t size);
TByteSpan WebpExifBlock(const std::uint8_t* data, std::size_t size);
// "RIFF" ... "WEBP" at the start.
bool IsWebpFile(const std::uint8_t* data, std::size_t size);

enum class TProfileState { None, Found, Damaged };

struct TMetadataBlocks {
    // The EXIF block: a span of the file's bytes, or of `ExifCopy` when the
    // container had to hand it over (HEIF). A TIFF file is its own EXIF block.
    TByteSpan Exif;
    std::vector<std::uint8_t> ExifCopy;
    bool IsTiff = false;  // the profile is a tag of the EXIF block
    TProfileState Profile = TProfileState::None;
    std::vector<std::uint8_t> ProfileBytes;
    // The XMP packet (a span of the file or of `XmpCopy` when it was packed:
    // compressed PNG text, a HEIF item) and the IPTC-IIM datasets of a JPEG's
    // Photoshop segment. A TIFF keeps both in tags of its EXIF block.
    TByteSpan Xmp;
    std::vector<std::uint8_t> XmpCopy;
    TByteSpan Iptc;
};

// Largest colour profile (and inflated PNG profile) that is read.
constexpr std::size_t kMaxProfileBytes = std::size_t(8) << 20;
// Largest XMP packet that is read.
constexpr std::size_t kMaxXmpBytes = std::size_t(8) << 20;
// Largest EXIF block handed to Exiv2 (a TIFF file is one whole).
constexpr std::size_t kMaxExifBytes = std::size_t(64) << 20;

// Looks at the leading bytes to tell the container. A block that breaks its
// container's rules leaves the profile Damaged and the EXIF block empty;
// nothing here fails or throws.
TMetadataBlocks FindMetadataBlocks(const std::uint8_t* data, std::size_t size);

}  // namespace pm
