#pragma once
// Writes a marker segment (the JPEG comment) while the encoder runs.
#include <cstddef>
#include <cstdint>

struct jpeg_compress_struct;

namespace pm {

// Writes marker `marker` with `length` bytes of `data` through the encoder's
// destination manager. Nothing is written for a length of 0 or above 65533.
// Throws std::runtime_error("Suspension not allowed here") when the
// destination cannot take more bytes.
void WriteJPEGMarker(jpeg_compress_struct* compressor, int marker, const std::uint8_t* data,
                     std::size_t length);

}  // namespace pm
