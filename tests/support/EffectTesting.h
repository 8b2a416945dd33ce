#pragma once
// Helpers for the border effects' tests: a source picture whose pixels can
// be told apart from every colour an effect draws, picture-coordinate pixel
// reads and probes, a run that must succeed, and the check of a single error
// report.
#include "core/BaseClass.h"
#include "imaging/Bitmap.h"
#include "log/LogTypes.h"
#include "support/RecordingConsole.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// An expected value of a probe that stands for the source pixel at the
// probe's own place.
constexpr std::uint32_t kImage = 0xFFFFFFFF;

struct TProbe {
    int x, y;
    std::uint32_t expected;  // 0xRRGGBB or kImage
};

inline void ExpectPixels(const TFastDIB& out, const std::vector<TProbe>& probes) {
    for (const TProbe& p : probes) {
        const std::uint32_t want = p.expected == kImage ? PatternPixel(p.x, p.y) : p.expected;
        EXPECT_EQ(PixelAt(out, p.x, p.y), want) << "at (" << p.x << ", " << p.y << ")";
    }
}
inline void ExpectPixels(const TBitmap& out, const std::vector<TProbe>& probes) {
    ExpectPixels(out.Dib(), probes);
}

// The task, set up by `setup`, on a pattern picture of w x h: it must
// succeed with a picture of ow x oh, which it returns.
template <class TTask>
TBitmap RunResizing(int w, int h, int ow, int oh, const std::function<void(TTask&)>& setup = {}) {
    TTask t;
    if (setup) setup(t);
    t.SrcBitmap = PatternBitmap(w, h);
    EXPECT_TRUE(t.Execute(vsCurrent));
    EXPECT_EQ(t.DstBitmap.Width(), ow);
    EXPECT_EQ(t.DstBitmap.Height(), oh);
    return t.DstBitmap;
}

// The same for an effect, which keeps the picture's size.
template <class TEffect> TBitmap RunEffect(int w, int h, const std::function<void(TEffect&)>& setup = {}) {
    return RunResizing<TEffect>(w, h, w, h, setup);
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
// The BMP file image of a task's result, and of a bitmap as a result would
// hold it: comparing both checks header, padding and pixels at once.
inline std::vector<std::uint8_t> FileImage(const TBitmap& result) {
    std::vector<std::uint8_t> file;
    result.Dib().SaveToStream(file);
    return file;
}

inline std::vector<std::uint8_t> FileImage(TFastDIB dib) {
    dib.MakeStreamImage();
    std::vector<std::uint8_t> file;
    dib.SaveToStream(file);
    return file;
}

inline TBitmap Untouched() {
    TFastDIB dib;
    dib.SetSize(3, 1, 24);
    dib.Fill(TColorTriple::FromPacked(0x123456));
    return TBitmap(std::move(dib));
}
inline bool IsUntouched(const TBitmap& bmp) {
    return bmp.Width() == 3 && bmp.Height() == 1 && PixelAt(bmp, 2, 0) == 0x123456;
}

// The task on a pattern picture of w x h with the marker in DstBitmap: it
// either draws a picture of that size and logs nothing, or reports the one
// error `refusal` and leaves the marker alone. Tells which it did.
inline bool AcceptsOrRefuses(TBaseClass& task, int w, int h, const std::string& refusal) {
    TLogRecorder log;
    task.SrcBitmap = PatternBitmap(w, h);
    task.DstBitmap = Untouched();
    const bool accepted = task.Execute(vsCurrent);
    if (accepted) {
        EXPECT_EQ(task.DstBitmap.Width(), w);
        EXPECT_EQ(task.DstBitmap.Height(), h);
        EXPECT_TRUE(log.Messages.empty());
    } else {
        ExpectOnlyError(log, refusal);
        EXPECT_TRUE(IsUntouched(task.DstBitmap));
    }
    return accepted;
}

}  // namespace pm::test
