#pragma once
// The frame every fuzz target shares. The target's reader runs once on the
// input: a picture it returns must be whole (its first and last stored bytes
// readable and, where the target asks, convertible to 24 bits as the loader
// does), and a failure must name its reason. Anything else aborts, so the
// fuzzer reports the input.
#include "decoders/Decoders.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

namespace pm::fuzz {

using TReader = std::function<bool(const TDecodeInput&, TPicture&, std::string&)>;

struct TTarget {
    TTarget(TReader read, std::string fileName, bool convertTo24 = false,
            std::function<void(TPicture&)> checkPicture = {})
        : Read(std::move(read)), FileName(std::move(fileName)), ConvertTo24(convertTo24),
          CheckPicture(std::move(checkPicture)) {}

    TReader Read;
    std::string FileName;  // the name the reader is given with the bytes
    bool ConvertTo24;      // a decoded picture also goes to 24 bits
    // Further checks of a decoded picture; abort on a fault.
    std::function<void(TPicture&)> CheckPicture;
};

inline int DecodeOne(const TTarget& target, const std::uint8_t* data, std::size_t size) {
    const TDecodeInput in{data, size, target.FileName};
    TPicture picture;
    std::string error;
    if (!target.Read(in, picture, error)) {
        if (error.empty()) std::abort();  // every failure names its reason
        return 0;
    }
    TFastDIB& image = picture.Image;
    if (image.Empty() || image.Size() == 0) std::abort();
    // Touch the first and last stored bytes so a short buffer shows.
    volatile std::uint8_t sink = image.Bits()[0];
    sink = image.Bits()[image.Size() - 1];
    (void)sink;
    if (target.CheckPicture) target.CheckPicture(picture);
    if (target.ConvertTo24 && (!ConvertDepth(image, 24) || image.Bpp() != 24)) std::abort();
    return 0;
}

}  // namespace pm::fuzz
