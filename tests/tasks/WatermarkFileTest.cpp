// The watermark read from a file: a PNG with an alpha channel, and the files
// that fail a picture.
#include "decoders/LibImageBuilders.h"
#include "support/Pixels.h"
#include "support/RecordingConsole.h"
#include "support/TempDir.h"
#include "tasks/PM__TWatermark.h"

#include <gtest/gtest.h>

namespace pm {
namespace {

TEST(WatermarkExecute, MarkFromAFile) {
    test::TTempDir dir;
    // 2 x 2: transparent, opaque green; green at alpha 51, opaque white.
    const int samples[2][2][4] = {{{0, 0, 0, 0}, {0, 255, 0, 255}}, {{0, 255, 0, 51}, {255, 255, 255, 255}}};
    const std::string png =
        dir.Write("mark.png",
                  test::MakePng(2, 2, 6, 8, false, [&](int x, int y, int ch) { return samples[y][x][ch]; }));
    TWatermark t;
    t.File.SetValue(png, vsCurrent);
    t.Anchor.SetValue(1, vsCurrent);
    t.Margin.SetValue(0, vsCurrent);
    t.Opacity.SetValue(100, vsCurrent);
    t.Width_Percent.SetValue(0, vsCurrent);
    t.SrcBitmap = TBitmap(test::SolidDib(3, 3, 0x000000));
    {
        test::TLogRecorder log;
        ASSERT_TRUE(t.Execute(vsCurrent));
    }
    // Green 255 at alpha 51: (0 + 51 * 100 * 255) / 25500 = 51.
    test::ExpectColours(t.DstBitmap.Dib(), {{0, 0, {0, 0, 0}},
                                            {1, 0, {0, 255, 0}},
                                            {0, 1, {0, 51, 0}},
                                            {1, 1, {255, 255, 255}},
                                            {2, 2, {0, 0, 0}}});

    const std::string missing = dir.Path("none.png");
    const std::string broken = dir.Write("broken.png", std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', 1, 2});
    const std::pair<std::string, std::string> failures[] = {
        {"", "No watermark file given!"},
        {missing, "Watermark file \"" + missing + "\" not found!"},
        {broken, "Can't load watermark file \"" + broken + "\" !"},
    };
    for (const auto& [file, last] : failures) {
        SCOPED_TRACE(file);
        test::TLogRecorder log;
        t.File.SetValue(file, vsCurrent);
        t.DstBitmap = TBitmap(test::SolidDib(1, 1, 0x123456));
        EXPECT_FALSE(t.Execute(vsCurrent));
        ASSERT_FALSE(log.Messages.empty());
        EXPECT_EQ(log.Messages.back().Text(), last);
        EXPECT_EQ(log.Messages.back().Kind, lmError);
        EXPECT_EQ(t.DstBitmap.Width(), 1);
    }
}

}  // namespace
}  // namespace pm
