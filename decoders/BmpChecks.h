#pragma once
// What the bitmap reader of imaging/ lets pass but a loaded picture must not
// hide: run-length data whose runs leave their row or whose deltas jump out of
// the picture (failures: pixels would be lost), and size fields that disagree
// with the file or pixels without a colour-table entry (warnings: every
// pixel is there).
#include "decoders/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace pm {

// `infoAt` is where the information header starts (14 in a BMP file, 0 in a
// packed DIB). False with a reason for run-length data that cannot be shown
// without losing pixels; header oddities go to `out`'s warnings. Files the
// reader itself refuses pass here untouched.
// `image` is what the reader made of the file.
bool CheckBmpData(const std::uint8_t* data, std::size_t size, std::size_t infoAt, const TFastDIB& image,
                  TPicture& out, std::string& error);

}  // namespace pm
