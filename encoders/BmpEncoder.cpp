#include "encoders/BmpEncoder.h"

#include <algorithm>
#include <vector>

namespace pm {

namespace {
constexpr int kPieceBytes = 64 * 1024;
}

bool TBmpEncoder::SaveToSink(const TFastDIB& dib, const TByteSink& sink, std::string& error) const {
    if (dib.Width() <= 0 || dib.Height() <= 0 || dib.Size() == 0) {
        error = "Image is empty, nothing to save!";
        return false;
    }
    std::vector<std::uint8_t> header;
    dib.SaveStreamHeader(header);
    if (!sink(header.data(), header.size())) return false;
    // Stored rows are bottom-up, the order the file keeps them in, and lie
    // one after another: whole rows go out in pieces of about 64 KiB, so a
    // narrow picture does not cost a write per row.
    const int stride = dib.Stride();
    const int rowsPerPiece = std::max(1, kPieceBytes / stride);
    for (int row = 0; row < dib.Height(); row += rowsPerPiece) {
        const int rows = std::min(rowsPerPiece, dib.Height() - row);
        if (!sink(dib.Row(row), static_cast<std::size_t>(rows) * static_cast<std::size_t>(stride)))
            return false;
    }
    return true;
}

}  // namespace pm
