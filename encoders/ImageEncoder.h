#pragma once
// One writer per output format behind one interface: the save task picks
// the encoder for the chosen format and hands it a sink, so a result goes
// to its file piece by piece and is never held whole in memory.
#include "core/ImageMetadata.h"
#include "imaging/FastDIB.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pm {

// Takes the next piece of the encoded stream; false when it cannot.
using TByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

class IImageEncoder {
public:
    virtual ~IImageEncoder() = default;
    // Encodes `dib` into the sink. False with a reason when the picture
    // cannot be encoded; when the sink fails the reason may be empty (the
    // caller knows the file and names it). The sink may then have received
    // part of the stream.
    virtual bool SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const = 0;

    // Embedded as far as the format can hold it; none when null or empty.
    // Not owned: the caller keeps it alive while it saves.
    const TImageMetadata* Metadata = nullptr;
    // What SaveToSink left out of the result (a block too large for the
    // format ...), for the caller to log.
    mutable std::vector<std::string> Warnings;
};

}  // namespace pm
