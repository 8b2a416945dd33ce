// The containers are walked by decoders/MetadataBlocks; Exiv2 only rebuilds a
// TIFF's metadata, which lives among the tags of its pixel layout.
#include "decoders/SourceMetadata.h"

#include "decoders/ExifOrientation.h"
#include "decoders/MetadataBlocks.h"
#include "imaging/ByteOrder.h"

#include <exiv2/exiv2.hpp>

#include <cstring>

namespace pm {

namespace {

std::vector<std::uint8_t> Copy(const TByteSpan& span) {
    return span.Data ? std::vector<std::uint8_t>(span.Data, span.Data + span.Size)
                     : std::vector<std::uint8_t>();
}

// The tags of the first directory that say how a TIFF stores its own pixels
// (and the blocks carried on their own): meaningless for a result, and wrong
// if a reader took them for its pixels.
bool IsTiffLayoutTag(std::uint16_t tag) {
    static const std::uint16_t kLayout[] = {
        0x00FE, 0x00FF, 0x0100, 0x0101, 0x0102, 0x0103, 0x0106, 0x0107, 0x0108, 0x0109, 0x010A,
        0x0111, 0x0115, 0x0116, 0x0117, 0x0118, 0x0119, 0x011C, 0x0122, 0x0123, 0x0124, 0x0125,
        0x0129, 0x013D, 0x0140, 0x0142, 0x0143, 0x0144, 0x0145, 0x014A, 0x0152, 0x0153, 0x0154,
        0x0155, 0x0156, 0x015B, 0x0200, 0x0201, 0x0202, 0x02BC, 0x83BB, 0x8649, 0x8773};
    for (std::uint16_t t : kLayout)
        if (t == tag) return true;
    return false;
}

void ReadTiffMetadata(const TMetadataBlocks& blocks, TImageMetadata& out) {
    if (!blocks.Exif.Data || blocks.Exif.Size < 8) return;
    PrepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::IptcData iptc;
        Exiv2::XmpData xmp;
        const Exiv2::ByteOrder order = Exiv2::TiffParser::decode(
            exif, iptc, xmp, blocks.Exif.Data, static_cast<std::uint32_t>(blocks.Exif.Size));
        const auto profile = exif.findKey(Exiv2::ExifKey("Exif.Image.InterColorProfile"));
        if (profile != exif.end()) {
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(profile->size()));
            if (!bytes.empty() && bytes.size() <= kMaxProfileBytes) {
                profile->copy(bytes.data(), Exiv2::invalidByteOrder);
                if (IsRgbProfile(bytes.data(), bytes.size())) out.Icc = std::move(bytes);
            }
        }
        // Only the first directory holds the layout; its other tags (maker,
        // model, date, copyright) are the picture's facts. Later directories
        // are further pages or previews.
        for (auto it = exif.begin(); it != exif.end();) {
            const std::string group = it->groupName();
            const bool layout = group == "Image" && IsTiffLayoutTag(it->tag());
            const bool otherPage = group == "Thumbnail" || group == "Image2" || group == "Image3" ||
                                   group.rfind("SubImage", 0) == 0 || group.rfind("SubThumb", 0) == 0;
            it = layout || otherPage ? exif.erase(it) : std::next(it);
        }
        if (!exif.empty()) {
            Exiv2::Blob blob;
            Exiv2::ExifParser::encode(blob, order == Exiv2::invalidByteOrder ? Exiv2::littleEndian : order,
                                      exif);
            out.Exif.assign(blob.begin(), blob.end());
        }
        if (!iptc.empty()) {
            const Exiv2::DataBuf buf = Exiv2::IptcParser::encode(iptc);
            out.Iptc.assign(buf.pData_, buf.pData_ + buf.size_);
        }
        if (!xmp.empty() && Exiv2::XmpParser::encode(out.Xmp, xmp) != 0) out.Xmp.clear();
    } catch (...) {
        // A TIFF whose tags Exiv2 cannot read carries nothing over.
        out = TImageMetadata();
    }
}

}  // namespace

bool IsRgbProfile(const std::uint8_t* data, std::size_t size) {
    return data && size >= 128 && Get32BE(data) == size && std::memcmp(data + 16, "RGB ", 4) == 0;
}

TImageMetadata ReadSourceMetadata(const std::uint8_t* data, std::size_t size) {
    TImageMetadata out;
    const TMetadataBlocks blocks = FindMetadataBlocks(data, size);
    if (blocks.IsTiff) {
        ReadTiffMetadata(blocks, out);
        return out;
    }
    if (blocks.Exif.Size <= kMaxExifBytes) out.Exif = Copy(blocks.Exif);
    if (blocks.Xmp.Data) out.Xmp.assign(reinterpret_cast<const char*>(blocks.Xmp.Data), blocks.Xmp.Size);
    out.Iptc = Copy(blocks.Iptc);
    if (blocks.Profile == TProfileState::Found &&
        IsRgbProfile(blocks.ProfileBytes.data(), blocks.ProfileBytes.size()))
        out.Icc = blocks.ProfileBytes;
    return out;
}

}  // namespace pm
