#pragma once
// The picture loader: picks a reader by file extension (letter case
// ignored) and decodes the file.
#include "decoders/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pm {

// The reader bound to an extension (without the dot), or null when the
// extension has none (for example PAL).
TDecoderFn DecoderForExtension(const std::string& extension);

// Reads the file and decodes it; false with a reason when there is no reader,
// the file cannot be read or the reader fails. The reader's reason, and the
// warnings it leaves in `out`, begin with the format's name ("GIF: ...").
bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error);
// The same, also handing back the file's bytes (empty when it was not read).
bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error,
                 std::vector<std::uint8_t>& data);

// The format row whose reader the loader picks for the file ("JPEG", "HEIF"
// ...), empty when its extension has none.
std::string PictureFormatName(const std::string& fileName);

// Largest file the loader reads into memory.
constexpr std::size_t kMaxImageFileBytes = std::size_t(1) << 30;

}  // namespace pm
