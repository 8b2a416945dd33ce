#pragma once
// What a picture carries besides its pixels: its EXIF block, XMP packet,
// IPTC datasets and colour profile. The load task keeps the source's as
// found; the save task prepares them for the result (orientation, size,
// location) and hands them to the encoder, which embeds what its format can
// hold.
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

struct TImageMetadata {
    std::vector<std::uint8_t> Exif;  // TIFF-structured, without a JPEG's "Exif\0\0"
    std::string Xmp;                 // the XMP packet as text
    std::vector<std::uint8_t> Iptc;  // IPTC-IIM datasets, without a Photoshop resource around them
    std::vector<std::uint8_t> Icc;   // an RGB ICC colour profile

    bool Empty() const { return Exif.empty() && Xmp.empty() && Iptc.empty() && Icc.empty(); }
};

}  // namespace pm
