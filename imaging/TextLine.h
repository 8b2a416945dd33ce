#pragma once
// One line of text drawn as a picture with transparency: its runs of either
// direction ordered by FriBidi, each shaped by HarfBuzz (ligatures, joining
// scripts), the glyphs drawn by FreeType with anti-aliasing.
#include "imaging/AlphaMark.h"

#include <string>
#include <vector>

namespace pm {

// The font file of a family name (Fontconfig's best match), or `family`
// itself when it names an existing file. Empty when nothing matches, and
// for a path (a name with a '/') that names no file.
std::string FindFontFile(const std::string& family);

// A glyph of a shaped line: its index in the font and where its origin
// lies, in 1/64 pixel from the line's start, left to right as drawn.
struct TShapedGlyph {
    unsigned Glyph = 0;
    unsigned Cluster = 0;  // byte offset in the text of the character it draws
    long X = 0, Y = 0;
};

class TTextLine {
public:
    // Opens the font at `pixelSize` pixels per em; `Error()` says why not.
    TTextLine(const std::string& fontFile, int pixelSize);
    ~TTextLine();
    TTextLine(const TTextLine&) = delete;
    TTextLine& operator=(const TTextLine&) = delete;

    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }

    // The UTF-8 line shaped: the glyphs left to right as drawn, then one
    // more for where the pen ends.
    std::vector<TShapedGlyph> Shape(const std::string& utf8) const;
    // The line in `color` (0xRRGGBB): as wide as its advance and as tall as
    // the font's ascent plus descent; empty for an empty line, and with
    // `tooLarge` set for one of more than kMaxTextPixels pixels.
    TAlphaImage Draw(const std::string& utf8, std::uint32_t color, bool* tooLarge = nullptr) const;
    static constexpr long long kMaxTextPixels = 1LL << 26;

private:
    struct TImpl;
    TImpl* impl_ = nullptr;
    std::string error_;
};

}  // namespace pm
