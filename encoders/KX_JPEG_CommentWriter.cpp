#include "encoders/KX_JPEG_CommentWriter.h"

#include <cstdio>
#include <jpeglib.h>
#include <stdexcept>

namespace pm {

void WriteJPEGMarker(jpeg_compress_struct* compressor, int marker, const std::uint8_t* data,
                     std::size_t length) {
    // A segment length is 16 bits and counts its own two bytes.
    if (compressor == nullptr || compressor->dest == nullptr || data == nullptr || length == 0 ||
        length > 65533)
        return;
    jpeg_destination_mgr& dest = *compressor->dest;
    // Byte by byte through the destination manager, exactly as the library's
    // own marker writer does, so the segment lands where the encoder stands.
    auto put = [&](unsigned value) {
        *dest.next_output_byte++ = static_cast<JOCTET>(value & 0xFF);
        if (--dest.free_in_buffer == 0 && !dest.empty_output_buffer(compressor))
            throw std::runtime_error("Suspension not allowed here");
    };
    const unsigned segmentLength = static_cast<unsigned>(length) + 2;
    put(0xFF);
    put(static_cast<unsigned>(marker));
    put(segmentLength >> 8);
    put(segmentLength);
    for (std::size_t i = 0; i < length; ++i) put(data[i]);
}

}  // namespace pm
