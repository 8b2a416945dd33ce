#include "support/EffectTesting.h"
#include "support/Pixels.h"
#include "support/ReaderTestKit.h"
#include "support/TempDir.h"
#include "tasks/FileDate.h"
#include "tasks/PM__TText.h"

#include <gtest/gtest.h>

#include <utime.h>

namespace pm {
namespace {

using test::PixelAt;

std::string Font() {
    return test::TestDataPath("fonts/DejaVuSans.ttf");
}

// The clusters (byte offsets of the characters) of a shaped line, in the
// order the glyphs are drawn from left to right.
std::vector<unsigned> Clusters(const std::vector<TShapedGlyph>& g) {
    std::vector<unsigned> c;
    for (std::size_t i = 0; i + 1 < g.size(); ++i) c.push_back(g[i].Cluster);
    return c;
}

TEST(TextLine, ShapesLatinRightToLeftAndJoiningScripts) {
    const TTextLine line(Font(), 20);
    ASSERT_TRUE(line.Ok()) << line.Error();
    struct Case {
        const char* name;
        std::string text;
        std::vector<unsigned> clusters;
    };
    const Case cases[] = {
        {"Latin, left to right", "AB", {0, 1}},
        // Hebrew alef, bet (two bytes each): bet is drawn left of alef.
        {"Hebrew, right to left", "\u05D0\u05D1", {2, 0}},
        // Arabic lam, alef: one ligature glyph.
        {"Arabic lam-alef", "\u0644\u0627", {0}},
        // Mixed: Latin first sets the line left to right; the Hebrew run
        // inside it still reads right to left.
        {"Latin, then Hebrew", "a\u05D0\u05D1", {0, 3, 1}},
        // Hebrew first sets the line right to left: the Latin run (bytes 5
        // and 6) stands left of the space and the Hebrew letters.
        {"Hebrew, then Latin", "\u05D0\u05D1 cd", {5, 6, 4, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<TShapedGlyph> g = line.Shape(c.text);
        EXPECT_EQ(Clusters(g), c.clusters);
        for (std::size_t i = 1; i < g.size(); ++i) EXPECT_GT(g[i].X, g[i - 1].X);
    }
    // Joined letters take other forms than the letter alone, also in a run
    // of right-to-left text that holds Hebrew too.
    const unsigned alone = line.Shape("\u0628")[0].Glyph;
    for (const std::string& text : {std::string("\u0628\u0628"), std::string("\u05D0 \u0628\u0628")}) {
        const auto g = line.Shape(text);
        ASSERT_GE(g.size(), 3u);
        // Drawn left to right: the final form, then the initial one.
        EXPECT_NE(g[0].Glyph, alone);
        EXPECT_NE(g[1].Glyph, alone);
    }
}

struct TBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

// Where a picture differs from `ground`.
TBox Ink(const TBitmap& bmp, std::uint32_t ground) {
    TBox b;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (PixelAt(bmp, x, y) != ground) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
            }
    return b;
}

TBitmap RunText(const std::string& text, int anchor, bool shadow, std::uint32_t ground = 0x000000) {
    TText t;
    t.Text.SetValue(text, vsCurrent);
    t.Font_Family.SetValue(Font(), vsCurrent);
    t.Size.SetValue(20, vsCurrent);
    t.Size_Metric.SetValue(mPixel, vsCurrent);
    t.Anchor.SetValue(anchor, vsCurrent);
    t.Margin.SetValue(5, vsCurrent);
    t.Shadow.SetValue(shadow, vsCurrent);
    t.SrcBitmap = TBitmap(test::SolidDib(100, 60, ground));
    EXPECT_TRUE(t.Execute(vsCurrent));
    return t.DstBitmap;
}

// "H" at 20 pixels: its box is 16 x 24 (advance 0.752 em = 15.04; ascent
// 0.928 em and descent 0.236 em rounded up to 19 and 5), its ink columns 1
// to 13 (side bearing 0.098 em = 1.96, the stems' outer edges shaded) and
// rows 4 to 18 (cap height 0.729 em). The box lies 5 pixels from the edges
// the anchor names; centred, at ((100 - 16) / 2, (60 - 24) / 2) = (42, 18).
TEST(TextExecute, PlacedAtTheAnchorsWithTheMargin) {
    struct Case {
        int anchor;
        TBox ink;
    };
    const Case cases[] = {
        {1, {6, 9, 18, 23}},
        {3, {80, 9, 92, 23}},
        {5, {43, 22, 55, 36}},
        {9, {80, 35, 92, 49}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.anchor);
        const TBitmap out = RunText("H", c.anchor, false);
        const TBox b = Ink(out, 0x000000);
        EXPECT_EQ(b.left, c.ink.left);
        EXPECT_EQ(b.top, c.ink.top);
        EXPECT_EQ(b.right, c.ink.right);
        EXPECT_EQ(b.bottom, c.ink.bottom);
        // Inside their shaded edges the stems are the text's colour.
        EXPECT_EQ(PixelAt(out, b.left + 1, (b.top + b.bottom) / 2), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(out, b.right - 1, (b.top + b.bottom) / 2), 0xFFFFFFu);
    }
    // The shadow lies two pixels to the right and below, in black.
    const TBitmap shaded = RunText("H", 1, true, 0x808080);
    const TBox b = Ink(shaded, 0x808080);
    EXPECT_EQ(b.right, 20);
    EXPECT_EQ(b.bottom, 25);
    EXPECT_EQ(PixelAt(shaded, 19, 16), 0x000000u);
    EXPECT_EQ(PixelAt(shaded, 7, 16), 0xFFFFFFu);
}

TEST(TextExecute, PlaceholdersAndDates) {
    const TText::TFacts facts{"a.jpg", "2026-12-08", 30, 20, 7};
    const std::pair<std::string, std::string> cases[] = {
        {"{name}", "a.jpg"},
        {"(c) {date}, {size}", "(c) 2026-12-08, 30 x 20"},
        {"{name}{name}", "a.jpga.jpg"},
        {"No. {counter}", "No. 7"},
        {"{other} {name", "{other} {name"},
    };
    for (const auto& [text, expanded] : cases) EXPECT_EQ(TText::Expand(text, facts), expanded);

    // The date taken from EXIF, else the day the file was written.
    EXPECT_EQ(DateOfFile(test::TestDataPath("metadata/photo.jpg")), "2026-12-08");
    test::TTempDir dir;
    const std::string plain = dir.Write("plain.bmp", std::vector<std::uint8_t>{'B', 'M'});
    const utimbuf noon{1592222400, 1592222400};  // 2020-06-15 12:00 UTC
    ASSERT_EQ(utime(plain.c_str(), &noon), 0);
    EXPECT_EQ(DateOfFile(plain), "2020-06-15");
    EXPECT_EQ(DateOfFile(dir.Path("none")), "");
}

TEST(TextExecute, AMissingFontOrAHugeLineFailsThePicture) {
    struct Case {
        std::string font, text;
        int size;
        std::string error;
    };
    const Case cases[] = {
        {"/no/such/font.ttf", "x", 20, "Font \"/no/such/font.ttf\" not found!"},
        // 4096 pixels high, some 200000 wide: more than 2^26 pixels.
        {Font(), std::string(80, 'W'), 4096, "The text is too large to draw!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        test::TLogRecorder log;
        TText t;
        t.Text.SetValue(c.text, vsCurrent);
        t.Font_Family.SetValue(c.font, vsCurrent);
        t.Size.SetValue(c.size, vsCurrent);
        t.Size_Metric.SetValue(mPixel, vsCurrent);
        t.SrcBitmap = TBitmap(test::SolidDib(10, 10, 0));
        t.DstBitmap = test::Untouched();
        EXPECT_FALSE(t.Execute(vsCurrent));
        ASSERT_EQ(log.Messages.size(), 1u);
        EXPECT_EQ(log.Messages[0].Text(), c.error);
        EXPECT_TRUE(test::IsUntouched(t.DstBitmap));
    }
}

}  // namespace
}  // namespace pm
