#pragma once
// TBitmap: the framework bitmap tasks exchange as SrcBitmap and DstBitmap.
// Copies share the pixel memory until one of them is written (copy on
// write), so passing images from task to task costs nothing until a task
// changes them.
#include "imaging/FastDIB.h"

#include <memory>
#include <vector>

namespace pm {

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(const TBitmap&) = default;             // shares pixels
    TBitmap& operator=(const TBitmap&) = default;  // shares pixels
    TBitmap(TBitmap&&) noexcept = default;
    TBitmap& operator=(TBitmap&&) noexcept = default;
    explicit TBitmap(TFastDIB dib);

    int Width() const { return dib_ ? dib_->Width() : 0; }
    int Height() const { return dib_ ? dib_->Height() : 0; }
    int PixelFormat() const { return dib_ ? dib_->Bpp() : 0; }  // bits per pixel, 0 when empty
    bool Empty() const { return !dib_ || dib_->Empty(); }

    void Assign(const TBitmap& other) { *this = other; }
    void ReleaseImage() { dib_.reset(); }
    // A new 24-bit picture of the given size (contents undefined until filled).
    void SetSize(int width, int height);

    // Read access to the pixels; an empty bitmap gives an empty TFastDIB.
    const TFastDIB& Dib() const;
    // Write access: detaches from other copies first.
    TFastDIB& MutableDib();
    // Replaces the picture (moves the pixels in).
    void SetDib(TFastDIB dib);

    void SaveToStream(std::vector<std::uint8_t>& out) const;
    bool LoadFromStream(const std::uint8_t* data, std::size_t size);

private:
    std::shared_ptr<TFastDIB> dib_;
};

// Conversions between the framework bitmap and a TFastDIB. CopyBMPtoFD is
// true when the result is not empty; both log and return false on errors.
bool CopyBMPtoFD(const TBitmap& bmp, TFastDIB& dib);
bool CopyFDtoBMP(const TFastDIB& dib, TBitmap& bmp);
// The same for a TFastDIB that is no longer needed: its pixels move into
// the bitmap instead of being copied (the result is the same).
bool CopyFDtoBMP(TFastDIB&& dib, TBitmap& bmp);

}  // namespace pm
