#pragma once
// Helpers for the border effects' tests: a source picture whose pixels can
// be told apart from every colour an effect draws, picture-coordinate pixel
// reads, and the check of a single error report.
#include "imaging/Bitmap.h"
#include "log/LogTypes.h"
#include "support/RecordingConsole.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace pm::test {

// red = x, green = y (both mod 256), blue 0x5A: no pure drawing colour.
inline std::uint32_t PatternPixel(int x, int y) {
    return (std::uint32_t(x & 0xFF) << 16) | (std::uint32_t(y & 0xFF) << 8) | 0x5Au;
}

inline TBitmap PatternBitmap(int w, int h) {
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dib.SetPixel(h - 1 - y, x, TColorTriple::FromPacked(PatternPixel(x, y)));
    return TBitmap(std::move(dib));
}

// The pixel at picture position (x, y) (y = 0 is the top line) as 0xRRGGBB.
inline std::uint32_t PixelAt(const TFastDIB& dib, int x, int y) {
    return dib.GetPixel(dib.Height() - 1 - y, x).Packed();
}
inline std::uint32_t PixelAt(const TBitmap& bmp, int x, int y) {
    return PixelAt(bmp.Dib(), x, y);
}

// Exactly one new lmError message of one LogErrorColor segment.
inline void ExpectOnlyError(const TRecordingConsole& log, const std::string& text) {
    ASSERT_EQ(log.Messages.size(), 1u) << (log.Messages.empty() ? "" : log.Messages[0].Text());
    const TRecordedMessage& m = log.Messages[0];
    EXPECT_EQ(m.Kind, lmError);
    ASSERT_EQ(m.Segments.size(), 1u);
    EXPECT_EQ(m.Segments[0].Text, text);
    EXPECT_EQ(m.Segments[0].Color, LogErrorColor);
    EXPECT_EQ(m.Appends, 0);
}

// A marker picture put into DstBitmap before a run that must not write it.
inline TBitmap Untouched() {
    TFastDIB dib;
    dib.SetSize(3, 1, 24);
    dib.Fill(TColorTriple::FromPacked(0x123456));
    return TBitmap(std::move(dib));
}
inline bool IsUntouched(const TBitmap& bmp) {
    return bmp.Width() == 3 && bmp.Height() == 1 && PixelAt(bmp, 2, 0) == 0x123456;
}

}  // namespace pm::test
