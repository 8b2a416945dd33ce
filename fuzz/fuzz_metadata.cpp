// Feeds arbitrary bytes to what pixmill-batch info reads besides the pixels:
// the walks that find the colour profile and the EXIF block in JPEG, PNG,
// TIFF, WebP and HEIF files, Little CMS on the profile and Exiv2 on the block,
// and what a result takes over: the blocks rewritten for it by Exiv2.
#include "decoders/MetadataBlocks.h"
#include "decoders/PictureFacts.h"
#include "decoders/SourceMetadata.h"
#include "tasks/ResultMetadata.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const pm::TMetadataBlocks blocks = pm::FindMetadataBlocks(data, size);
    if (blocks.ProfileBytes.size() > pm::kMaxProfileBytes || blocks.Exif.Size > pm::kMaxExifBytes)
        std::abort();
    const bool found = blocks.Profile == pm::TProfileState::Found;
    if (found == blocks.ProfileBytes.empty()) std::abort();
    const pm::TPictureFacts facts = pm::ReadPictureFacts(data, size);
    if (facts.Profile.empty() || facts.Camera.size() > 200 || facts.Lens.size() > 200) std::abort();
    const pm::TImageMetadata source = pm::ReadSourceMetadata(data, size);
    if (source.Icc.size() > pm::kMaxProfileBytes || source.Xmp.size() > pm::kMaxXmpBytes) std::abort();
    std::vector<std::string> warnings;
    const pm::TImageMetadata result =
        pm::PrepareResultMetadata(source, pm::kMetadataAllButLocation, {640, 480, true, false}, warnings);
    if (result.Iptc != source.Iptc || result.Icc != source.Icc) std::abort();
    return 0;
}
