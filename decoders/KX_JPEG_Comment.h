#pragma once
// JPEG comment segments: the writer puts one right after the JFIF segment
// while encoding; the reader picks the first one out of a JPEG stream.
#include <cstddef>
#include <cstdint>
#include <string>

struct jpeg_compress_struct;

namespace pm {

// Writes marker `marker` with `length` bytes of `data` through the encoder's
// destination manager. Nothing is written for a length of 0 or above 65533.
// Throws std::runtime_error("Suspension not allowed here") when the
// destination cannot take more bytes.
void WriteJPEGMarker(jpeg_compress_struct* compressor, int marker, const std::uint8_t* data, std::size_t length);

// The text of the first comment segment before the first scan (empty when
// there is none). False with the reason ("Not a JPEG file", "Garbage data
// found in JPEG file", "Erroneous JPEG marker length", "Premature EOF in
// JPEG file") when the stream is malformed.
bool ReadJPEGComment(const std::uint8_t* data, std::size_t size, std::string& comment, std::string& error);

}  // namespace pm
