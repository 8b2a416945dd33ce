#pragma once
// Reads the comment segment of a JPEG stream (encoders/ writes it).
#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

// The text of the first comment segment before the first scan (empty when
// there is none). False with the reason ("Not a JPEG file", "Garbage data
// found in JPEG file", "Erroneous JPEG marker length", "Premature EOF in
// JPEG file") when the stream is malformed.
bool ReadJPEGComment(const std::uint8_t* data, std::size_t size, std::string& comment, std::string& error);

}  // namespace pm
