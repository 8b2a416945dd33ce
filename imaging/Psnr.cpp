#include "imaging/Psnr.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace pm {

double Psnr24(const TFastDIB& a, const TFastDIB& b) {
    if (a.Bpp() != 24 || b.Bpp() != 24 || a.Width() != b.Width() || a.Height() != b.Height() ||
        a.Width() < 1 || a.Height() < 1)
        return -1;
    std::uint64_t squares = 0;
    for (int r = 0; r < a.Height(); ++r) {
        const std::uint8_t* p = a.Row(r);
        const std::uint8_t* q = b.Row(r);
        for (int i = 0; i < a.Width() * 3; ++i) {
            const int d = int(p[i]) - int(q[i]);
            squares += std::uint64_t(d * d);
        }
    }
    if (squares == 0) return std::numeric_limits<double>::infinity();
    const double mse = double(squares) / (3.0 * a.Width() * a.Height());
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace pm
