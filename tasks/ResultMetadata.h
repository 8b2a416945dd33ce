#pragma once
// The metadata a result takes over from its source: the EXIF block told the
// picture now stands upright at its new size, without a stale thumbnail and,
// when asked, without location; XMP told the same; IPTC as it was; the colour
// profile that fits the result's pixels.
#include "core/ImageMetadata.h"

#include <string>
#include <vector>

namespace pm {

// The values of the save task's "Metadata" setting.
enum TMetadataChoice : int { kMetadataAll = 0, kMetadataAllButLocation = 1, kMetadataNone = 2 };

struct TResultFacts {
    int Width = 0;
    int Height = 0;
    bool Upright = false;          // loading turned the pixels by the EXIF orientation
    bool ConvertedToSrgb = false;  // the pixels were converted; the profile is sRGB's
};

// What the result carries. Each part of the source that cannot be read is
// left out with a line for the log in `warnings`.
TImageMetadata PrepareResultMetadata(const TImageMetadata& source, int choice, const TResultFacts& facts,
                                     std::vector<std::string>& warnings);

}  // namespace pm
