#pragma once
// Converting a result's pixels from its source's colour profile to sRGB.
#include "imaging/FastDIB.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// Converts a 24-bit picture from `profile` (an RGB ICC profile) to sRGB with
// the perceptual intent. An empty profile means the pixels already are sRGB.
// False with a reason when the profile cannot be used; the pixels are then
// unchanged.
bool ConvertToSrgb(TFastDIB& dib, const std::vector<std::uint8_t>& profile, std::string& error);

// The sRGB profile a converted result embeds.
const std::vector<std::uint8_t>& SrgbProfileBytes();

}  // namespace pm
