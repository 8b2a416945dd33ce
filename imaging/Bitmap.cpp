#include "imaging/Bitmap.h"

#include "log/WriteLog.h"

namespace pm {

namespace {
const TFastDIB& EmptyDib() {
    static const TFastDIB empty;
    return empty;
}

void LogSystemError(const std::string& what, const char* function) {
    LogNew(lmError, {{"System error: " + what, LogErrorColor},
                     {std::string(" Exception inside function \"") + function + "\"", LogErrorColor}});
}
}  // namespace

TBitmap::TBitmap(TFastDIB dib) : dib_(std::make_shared<TFastDIB>(std::move(dib))) {}

void TBitmap::SetSize(int width, int height) {
    TFastDIB dib;
    dib.SetSize(width, height, 24);
    dib_ = std::make_shared<TFastDIB>(std::move(dib));
}

const TFastDIB& TBitmap::Dib() const {
    return dib_ ? *dib_ : EmptyDib();
}

TFastDIB& TBitmap::MutableDib() {
    if (!dib_)
        dib_ = std::make_shared<TFastDIB>();
    else if (dib_.use_count() > 1)
        dib_ = std::make_shared<TFastDIB>(*dib_);
    return *dib_;
}

void TBitmap::SetDib(TFastDIB dib) {
    dib_ = std::make_shared<TFastDIB>(std::move(dib));
}

void TBitmap::SaveToStream(std::vector<std::uint8_t>& out) const {
    Dib().SaveToStream(out);
}

bool TBitmap::LoadFromStream(const std::uint8_t* data, std::size_t size) {
    TFastDIB dib;
    if (!dib.LoadFromStream(data, size)) return false;
    SetDib(std::move(dib));
    return true;
}

// Both transfers go straight from bitmap to bitmap but give exactly what
// writing a BMP stream and reading it back would: same header, colour table
// and pixel rows, gaps included.
bool CopyBMPtoFD(const TBitmap& bmp, TFastDIB& dib) {
    try {
        dib.AssignStreamImage(bmp.Dib());
        return dib.Width() != 0 && dib.Height() != 0;
    } catch (const std::exception& e) {
        LogSystemError(e.what(), "CopyBMPtoFD");
        return false;
    }
}

bool CopyFDtoBMP(const TFastDIB& dib, TBitmap& bmp) {
    try {
        TFastDIB copy;
        copy.AssignStreamImage(dib);
        bmp.SetDib(std::move(copy));
        return true;
    } catch (const std::exception& e) {
        LogSystemError(e.what(), "CopyFDtoBMP");
        return false;
    }
}

bool CopyFDtoBMP(TFastDIB&& dib, TBitmap& bmp) {
    try {
        dib.MakeStreamImage();
        bmp.SetDib(std::move(dib));
        return true;
    } catch (const std::exception& e) {
        LogSystemError(e.what(), "CopyFDtoBMP");
        return false;
    }
}

}  // namespace pm
