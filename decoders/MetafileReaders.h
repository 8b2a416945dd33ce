#pragma once
// The two metafile formats behind DecodeMetafile.
#include "decoders/Picture.h"

namespace pm {

bool IsEnhancedMetafile(const std::uint8_t* data, std::size_t size);
bool PlayWmf(const std::uint8_t* data, std::size_t size, TFastDIB& dib, std::string& error);
bool PlayEmf(const std::uint8_t* data, std::size_t size, TFastDIB& dib, std::string& error);

} // namespace pm
