#include "decoders/GifLzw.h"

#include <array>

namespace pm {

namespace {

constexpr int kMaxCodes = 4096;

class TCodeReader {
public:
    explicit TCodeReader(const std::vector<std::uint8_t>& data) : data_(data) {}
    // The next code of `bits` bits, least significant bit first; false at the end.
    bool Next(int bits, int& code) {
        while (count_ < bits) {
            if (pos_ >= data_.size()) return false;
            buffer_ |= std::uint32_t(data_[pos_++]) << count_;
            count_ += 8;
        }
        code = static_cast<int>(buffer_ & ((1u << bits) - 1));
        buffer_ >>= bits;
        count_ -= bits;
        return true;
    }

private:
    const std::vector<std::uint8_t>& data_;
    std::size_t pos_ = 0;
    std::uint32_t buffer_ = 0;
    int count_ = 0;
};

}  // namespace

TLzwOutcome DecodeGifLzw(const std::vector<std::uint8_t>& data, int minCodeSize,
                         std::vector<std::uint8_t>& pixels) {
    TLzwOutcome result;
    if (minCodeSize < 1 || minCodeSize > 11) {
        result.error = "Invalid LZW code size";
        return result;
    }
    const int clear = 1 << minCodeSize, endOfData = clear + 1;
    // Each code is its prefix code plus one last byte; `first` and `length`
    // let a string be written straight into place, back to front.
    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint8_t, kMaxCodes> suffix{}, first{};
    std::array<std::uint16_t, kMaxCodes> length{};
    for (int c = 0; c < clear; ++c) {
        suffix[c] = first[c] = static_cast<std::uint8_t>(c);
        length[c] = 1;
    }
    int codeSize = minCodeSize + 1, next = clear + 2, previous = -1;
    const std::size_t total = pixels.size();
    std::size_t done = 0;
    TCodeReader reader(data);
    int code = 0;
    while (reader.Next(codeSize, code)) {
        if (code == clear) {
            codeSize = minCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == endOfData) break;
        // After a clear only a single pixel value may come; then any code
        // the table holds, or the one it is about to gain.
        if (previous < 0 ? code >= clear : code > next) {
            result.error = "LZW code out of range";
            return result;
        }
        if (previous >= 0 && next < kMaxCodes) {
            // The new entry: the previous string plus the first byte of this
            // one (of the previous one when this code is the new entry itself).
            prefix[next] = static_cast<std::uint16_t>(previous);
            suffix[next] = code == next ? first[previous] : first[code];
            first[next] = first[previous];
            length[next] = static_cast<std::uint16_t>(length[previous] + 1);
            ++next;
        }
        // Pixels past the image's end are counted, not stored.
        const std::size_t n = length[code];
        if (done + n > total) result.extraData = true;
        std::size_t at = done + n;
        for (int c = code;; c = prefix[c]) {
            --at;
            if (at < total) pixels[at] = suffix[c];
            if (length[c] == 1) break;
        }
        done = done + n > total ? total : done + n;
        previous = code;
        // Codes widen once the next entry needs another bit; a full table
        // stays at twelve bits until the encoder clears it.
        if (next >= (1 << codeSize) && codeSize < 12) ++codeSize;
        if (result.extraData) break;
    }
    if (done < total) {
        result.error = "Image data ends before the last pixel";
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace pm
