#pragma once
// The picture loader: picks a reader by file extension (letter case
// ignored) and decodes the file.
#include "decoders/Picture.h"

#include <string>

namespace pm {

// The reader bound to an extension (without the dot), or null when the
// extension has none (for example PAL).
TDecoderFn DecoderForExtension(const std::string& extension);

// Reads the file and decodes it; false with a reason when there is no reader,
// the file cannot be read or the reader fails. The reader's reason, and the
// warnings it leaves in `out`, begin with the format's name ("GIF: ...").
bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error);

// Largest file the loader reads into memory.
constexpr std::size_t kMaxImageFileBytes = std::size_t(1) << 30;

}  // namespace pm
