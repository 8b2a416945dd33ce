#include "encoders/EncoderInput.h"

#include <algorithm>

namespace pm {

const TFastDIB* PictureAt24Bits(const TFastDIB& source, TFastDIB& copy, std::string& error) {
    if (source.Width() <= 0 || source.Height() <= 0) {
        error = "Image is empty, nothing to save!";
        return nullptr;
    }
    if (source.Bpp() == 24) return &source;
    copy = source;
    if (!ConvertDepth(copy, 24)) {
        error = "Can't convert image to 24 bits per pixel!";
        return nullptr;
    }
    return &copy;
}

void LineToRgb(const TFastDIB& dib, int y, std::uint8_t* out) {
    const std::uint8_t* p = dib.Row(dib.Height() - 1 - y);
    for (int x = 0; x < dib.Width(); ++x, p += 3, out += 3) {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
    }
}

namespace {
constexpr std::size_t kPiece = 64 * 1024;
}

TPieceSink::TPieceSink(const TByteSink& sink) : sink_(sink) {
    piece_.reserve(kPiece);
}

bool TPieceSink::Put(const std::uint8_t* data, std::size_t size) {
    if (failed_) return false;
    if (piece_.size() + size > kPiece && !Flush()) return false;
    if (size >= kPiece) return (failed_ = !sink_(data, size)) == false;
    piece_.insert(piece_.end(), data, data + size);
    return true;
}

bool TPieceSink::Flush() {
    if (failed_) return false;
    if (!piece_.empty() && !sink_(piece_.data(), piece_.size())) failed_ = true;
    piece_.clear();
    return !failed_;
}

bool SinkAll(const TByteSink& sink, const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 0; at < size; at += kPiece)
        if (!sink(data + at, std::min(kPiece, size - at))) return false;
    return true;
}

}  // namespace pm
