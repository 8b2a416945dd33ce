#pragma once
// What a user asks of a photo's metadata: its colour profile and the main
// EXIF facts, read from the file's bytes without decoding its pixels.
#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

struct TPictureFacts {
    // The profile's description; "none" without a profile, "damaged" for a
    // profile that cannot be read.
    std::string Profile = "none";
    // Empty when the file does not say.
    std::string DateTaken;
    std::string Camera;  // maker and model
    std::string Lens;
};

TPictureFacts ReadPictureFacts(const std::uint8_t* data, std::size_t size);

}  // namespace pm
