#include "decoders/KX_JPEG_Comment.h"

namespace pm {

namespace {

// A forward-only reader over the stream; every read past the end raises the
// one failure a short stream can have.
class TMarkerReader {
  public:
    TMarkerReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Byte(std::uint8_t& b) {
        if (pos_ >= size_) return false;
        b = data_[pos_++];
        return true;
    }
    bool Word(unsigned& w) {
        std::uint8_t hi, lo;
        if (!Byte(hi) || !Byte(lo)) return false;
        w = (unsigned(hi) << 8) | lo;
        return true;
    }
    // Skipping may run past the end; the next read then fails.
    void Skip(std::size_t n) { pos_ = n > size_ - pos_ ? size_ : pos_ + n; }
    std::size_t Pos() const { return pos_; }
    const std::uint8_t* At(std::size_t pos) const { return data_ + pos; }
    std::size_t Left() const { return size_ - pos_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

constexpr const char* kPrematureEof = "Premature EOF in JPEG file";
constexpr const char* kBadLength = "Erroneous JPEG marker length";

} // namespace

bool ReadJPEGComment(const std::uint8_t* data, std::size_t size, std::string& comment, std::string& error) {
    comment.clear();
    auto fail = [&](const char* text) {
        comment.clear();
        error = text;
        return false;
    };
    if (!data || size < 2 || data[0] != 0xFF || data[1] != 0xD8) return fail("Not a JPEG file");
    TMarkerReader in(data, size);
    in.Skip(2);
    bool commentRead = false;
    for (;;) {
        std::uint8_t b;
        std::size_t skipped = 0;
        for (;;) {
            if (!in.Byte(b)) return fail(kPrematureEof);
            if (b == 0xFF) break;
            ++skipped;
        }
        do {
            if (!in.Byte(b)) return fail(kPrematureEof);
        } while (b == 0xFF);
        if (skipped > 0) return fail("Garbage data found in JPEG file");
        const std::uint8_t marker = b;
        if (marker == 0xD9 || marker == 0xDA) return true;

        unsigned length;
        if (!in.Word(length)) return fail(kPrematureEof);
        if (length < 2) return fail(kBadLength);
        const std::size_t body = length - 2;
        if (marker == 0xFE && !commentRead) {
            if (body > in.Left()) return fail(kPrematureEof);
            comment.assign(reinterpret_cast<const char*>(in.At(in.Pos())), body);
            commentRead = true;
        }
        // Quantisation tables and every other segment are passed over; only
        // the start of scan ends the search, so a comment behind the tables
        // is still found.
        in.Skip(body);
    }
}

} // namespace pm
