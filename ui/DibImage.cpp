#include "ui/DibImage.h"

#include <cstring>
#include <exception>

namespace pm {

QImage DibToQImage(const TFastDIB& dib) {
    if (dib.Empty() || dib.Width() < 0 || dib.Height() < 0) return {};
    const TFastDIB* src = &dib;
    TFastDIB converted;
    if (dib.Bpp() != 24) {
        try {
            converted = dib;
            if (!ConvertDepth(converted, 24)) return {};
        } catch (const std::exception&) {
            return {};
        }
        src = &converted;
    }
    const int w = src->Width(), h = src->Height();
    QImage image(w, h, QImage::Format_BGR888);
    if (image.isNull()) return {};
    for (int y = 0; y < h; ++y) std::memcpy(image.scanLine(y), src->Row(h - 1 - y), std::size_t(w) * 3);
    return image;
}

TFastDIB QImageToDib(const QImage& image) {
    TFastDIB dib;
    if (image.isNull()) return dib;
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const int w = bgr.width(), h = bgr.height();
    try {
        dib.SetSize(w, h, 24);
    } catch (const std::exception&) {
        return TFastDIB();
    }
    for (int y = 0; y < h; ++y) std::memcpy(dib.Row(h - 1 - y), bgr.constScanLine(y), std::size_t(w) * 3);
    return dib;
}

}  // namespace pm
