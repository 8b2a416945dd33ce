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
// Lets a reader that can decode a smaller picture cheaply (JPEG) do so:
// Choose is asked with the picture's size as it will stand, that is turned
// by its EXIF orientation when Upright, and returns the divisor of the sides.
struct TShrinkRequest {
    TScaleChooser Choose;
    bool Upright = true;
};

// The same, also handing back the file's bytes (empty when it was not read),
// and decoding a smaller picture where `shrink` asks for one.
bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error,
                 std::vector<std::uint8_t>& data, const TShrinkRequest* shrink = nullptr);

// The format row whose reader the loader picks for the file ("JPEG", "HEIF"
// ...), empty when its extension has none.
std::string PictureFormatName(const std::string& fileName);

// Largest file the loader reads into memory.
constexpr std::size_t kMaxImageFileBytes = std::size_t(1) << 30;

}  // namespace pm
