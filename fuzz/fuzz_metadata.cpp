// Feeds arbitrary bytes to what pixmill-batch info reads besides the pixels:
// the walks that find the colour profile and the EXIF block in JPEG, PNG,
// TIFF, WebP and HEIF files, Little CMS on the profile and Exiv2 on the block.
#include "decoders/MetadataBlocks.h"
#include "decoders/PictureFacts.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pm::TMetadataBlocks blocks = pm::FindMetadataBlocks(data, size);
    if (blocks.ProfileBytes.size() > pm::kMaxProfileBytes || blocks.Exif.Size > pm::kMaxExifBytes)
        std::abort();
    const bool found = blocks.Profile == pm::TProfileState::Found;
    if (found == blocks.ProfileBytes.empty()) std::abort();
    const pm::TPictureFacts facts = pm::ReadPictureFacts(data, size);
    if (facts.Profile.empty() || facts.Camera.size() > 200 || facts.Lens.size() > 200) std::abort();
    return 0;
}
