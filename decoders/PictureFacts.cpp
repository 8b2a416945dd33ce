// Little CMS reads the profile's description and Exiv2 the EXIF block, so a
// malformed profile or block is their concern; both only ever see the block
// that decoders/MetadataBlocks found, never the whole file.
#include "decoders/PictureFacts.h"

#include "decoders/ExifOrientation.h"
#include "decoders/LcmsBudget.h"
#include "decoders/MetadataBlocks.h"
#include "imaging/ByteOrder.h"

#include <exiv2/exiv2.hpp>
#include <lcms2.h>

namespace pm {

namespace {

// Longest text taken from a file.
constexpr std::size_t kMaxFactLength = 200;
// What Little CMS may hold while it reads a profile's description.
constexpr std::size_t kMaxProfileMemory = 4 * kMaxProfileBytes;

std::string Tidy(std::string text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.size() > kMaxFactLength) text.resize(kMaxFactLength);
    return text;
}

std::string ProfileDescription(const std::vector<std::uint8_t>& bytes) {
    // A profile's header opens with its length: one that says otherwise was
    // cut short or joined wrong, which Little CMS would not always notice.
    if (bytes.size() < 128 || Get32BE(bytes.data()) != bytes.size()) return "damaged";
    const TLcmsBudget budget(kMaxProfileMemory);
    if (!budget.Context()) return "damaged";
    cmsHPROFILE profile =
        cmsOpenProfileFromMemTHR(budget.Context(), bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    if (!profile) return "damaged";
    char text[kMaxFactLength + 1] = {};
    const cmsUInt32Number n =
        cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    cmsCloseProfile(profile);
    const std::string description = n > 0 ? Tidy(text) : std::string();
    return description.empty() ? "unnamed" : description;
}

std::string Text(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string() : Tidy(it->toString());
}

void ReadExifFacts(const TMetadataBlocks& blocks, TPictureFacts& facts) {
    if (!blocks.Exif.Data || blocks.Exif.Size < 8 || blocks.Exif.Size > kMaxExifBytes) return;
    PrepareExiv2();
    try {
        Exiv2::ExifData exif;
        Exiv2::ExifParser::decode(exif, blocks.Exif.Data, static_cast<std::uint32_t>(blocks.Exif.Size));
        facts.DateTaken = Text(exif, "Exif.Photo.DateTimeOriginal");
        const std::string make = Text(exif, "Exif.Image.Make"), model = Text(exif, "Exif.Image.Model");
        facts.Camera = Tidy(make + " " + model);
        facts.Lens = Text(exif, "Exif.Photo.LensModel");
        if (blocks.IsTiff) {
            const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.InterColorProfile"));
            const long length = it == exif.end() ? 0 : it->size();
            if (length > 0) {
                if (static_cast<std::size_t>(length) > kMaxProfileBytes) {
                    facts.Profile = "damaged";
                } else {
                    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
                    it->copy(bytes.data(), Exiv2::invalidByteOrder);
                    facts.Profile = ProfileDescription(bytes);
                }
            }
        }
    } catch (...) {
        // A block Exiv2 cannot read has no facts to show; Exiv2 throws its
        // own errors and the standard library's alike.
    }
}

}  // namespace

TPictureFacts ReadPictureFacts(const std::uint8_t* data, std::size_t size) {
    TPictureFacts facts;
    const TMetadataBlocks blocks = FindMetadataBlocks(data, size);
    if (blocks.Profile == TProfileState::Found)
        facts.Profile = ProfileDescription(blocks.ProfileBytes);
    else if (blocks.Profile == TProfileState::Damaged)
        facts.Profile = "damaged";
    ReadExifFacts(blocks, facts);
    return facts;
}

}  // namespace pm
