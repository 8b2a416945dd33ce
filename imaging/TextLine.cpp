#include "imaging/TextLine.h"

#include <fontconfig/fontconfig.h>
#include <fribidi.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace pm {

std::string FindFontFile(const std::string& family) {
    std::error_code ec;
    if (!family.empty() && std::filesystem::is_regular_file(family, ec)) return family;
    // A path that names no file matches no font, not the default one.
    if (family.find('/') != std::string::npos) return {};
    // Fontconfig's set-up is process-wide and not safe to race.
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!pattern) return {};
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
        file = reinterpret_cast<const char*>(path);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return file;
}

struct TTextLine::TImpl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    hb_font_t* font = nullptr;
};

TTextLine::TTextLine(const std::string& fontFile, int pixelSize) : impl_(new TImpl) {
    // Each line has a library of its own, so lines on several threads never share one.
    if (FT_Init_FreeType(&impl_->library) != 0) {
        error_ = "FreeType cannot start";
        return;
    }
    if (FT_New_Face(impl_->library, fontFile.c_str(), 0, &impl_->face) != 0) {
        error_ = "Cannot open font file \"" + fontFile + "\"";
        return;
    }
    if (FT_Set_Pixel_Sizes(impl_->face, 0, static_cast<FT_UInt>(std::clamp(pixelSize, 1, 4096))) != 0) {
        error_ = "The font has no size " + std::to_string(pixelSize);
        return;
    }
    impl_->font = hb_ft_font_create_referenced(impl_->face);
}

TTextLine::~TTextLine() {
    if (impl_->font) hb_font_destroy(impl_->font);
    if (impl_->face) FT_Done_Face(impl_->face);
    if (impl_->library) FT_Done_FreeType(impl_->library);
    delete impl_;
}

namespace {

// A run of one embedding level, in code points of the line.
struct TRun {
    int Start = 0, Length = 0, Level = 0;
};

// The runs of the line in the order they are drawn, left to right: the
// levels of the bidirectional algorithm (the paragraph's direction from its
// first strong character), then from the highest level down to the lowest
// odd one every stretch of runs at that level or above reversed.
std::vector<TRun> VisualRuns(const std::vector<FriBidiChar>& text) {
    const int n = static_cast<int>(text.size());
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size());
    fribidi_get_bidi_types(text.data(), n, types.data());
    fribidi_get_bracket_types(text.data(), n, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &direction, levels.data()) == 0)
        std::fill(levels.begin(), levels.end(), FriBidiLevel(0));
    std::vector<TRun> runs;
    for (int i = 0; i < n; ++i) {
        if (runs.empty() || runs.back().Level != levels[std::size_t(i)])
            runs.push_back({i, 0, levels[std::size_t(i)]});
        ++runs.back().Length;
    }
    int highest = 0, lowestOdd = 255;
    for (const TRun& r : runs) {
        highest = std::max(highest, r.Level);
        if (r.Level % 2) lowestOdd = std::min(lowestOdd, r.Level);
    }
    for (int level = highest; level >= lowestOdd; --level)
        for (std::size_t i = 0; i < runs.size();) {
            if (runs[i].Level < level) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < runs.size() && runs[j].Level >= level) ++j;
            std::reverse(runs.begin() + std::ptrdiff_t(i), runs.begin() + std::ptrdiff_t(j));
            i = j;
        }
    return runs;
}

}  // namespace

std::vector<TShapedGlyph> TTextLine::Shape(const std::string& utf8) const {
    std::vector<TShapedGlyph> glyphs;
    if (!Ok() || utf8.empty()) return glyphs;
    // Code points, and the byte each one starts at.
    std::vector<FriBidiChar> text(utf8.size() + 1);
    const int n = fribidi_charset_to_unicode(FRIBIDI_CHAR_SET_UTF8, utf8.data(),
                                             static_cast<FriBidiStrIndex>(utf8.size()), text.data());
    text.resize(std::size_t(std::max(0, n)));
    std::vector<unsigned> byteOf;
    for (std::size_t b = 0; b < utf8.size(); ++b)
        if ((static_cast<unsigned char>(utf8[b]) & 0xC0) != 0x80) byteOf.push_back(unsigned(b));
    byteOf.resize(text.size(), unsigned(utf8.size()));

    // Each run split where the script changes (HarfBuzz shapes one script
    // at a time; spaces, digits and marks stay with the script before them),
    // the pieces of a right-to-left run drawn last first.
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    struct TPiece {
        int Start, Length;
        hb_script_t Script;
        bool Rtl;
    };
    std::vector<TPiece> pieces;
    for (const TRun& run : VisualRuns(text)) {
        const std::size_t first = pieces.size();
        for (int i = run.Start; i < run.Start + run.Length; ++i) {
            hb_script_t script = hb_unicode_script(unicode, text[std::size_t(i)]);
            const bool neutral = script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED;
            if (pieces.size() > first && (neutral || script == pieces.back().Script)) {
                ++pieces.back().Length;
                continue;
            }
            if (pieces.size() > first && pieces.back().Script == HB_SCRIPT_COMMON) {
                // Neutrals before the first letter of a run take its script.
                pieces.back().Script = script;
                ++pieces.back().Length;
                continue;
            }
            pieces.push_back({i, 1, script, run.Level % 2 == 1});
        }
        if (run.Level % 2) std::reverse(pieces.begin() + std::ptrdiff_t(first), pieces.end());
    }

    long x = 0, y = 0;
    hb_buffer_t* buffer = hb_buffer_create();
    for (const TPiece& piece : pieces) {
        hb_buffer_clear_contents(buffer);
        // The whole line as context, so letters join across piece ends.
        hb_buffer_add_utf32(buffer, text.data(), static_cast<int>(text.size()),
                            static_cast<unsigned>(piece.Start), piece.Length);
        hb_buffer_set_direction(buffer, piece.Rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_set_script(buffer, piece.Script == HB_SCRIPT_COMMON ? HB_SCRIPT_LATIN : piece.Script);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(impl_->font, buffer, nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &count);
        // HarfBuzz gives a right-to-left run in the order it is drawn.
        for (unsigned i = 0; i < count; ++i) {
            glyphs.push_back({info[i].codepoint,
                              byteOf[std::min<std::size_t>(info[i].cluster, byteOf.size() - 1)],
                              x + pos[i].x_offset, y + pos[i].y_offset});
            x += pos[i].x_advance;
            y += pos[i].y_advance;
        }
    }
    hb_buffer_destroy(buffer);
    if (!glyphs.empty()) glyphs.push_back({0, unsigned(utf8.size()), x, y});  // the pen's end
    return glyphs;
}

TAlphaImage TTextLine::Draw(const std::string& utf8, std::uint32_t color, bool* tooLarge) const {
    if (tooLarge) *tooLarge = false;
    const std::vector<TShapedGlyph> glyphs = Shape(utf8);
    if (glyphs.size() < 2) return {};
    FT_Face face = impl_->face;
    const long ascent = (face->size->metrics.ascender + 63) >> 6;
    const long descent = (-face->size->metrics.descender + 63) >> 6;
    // A long line in a huge font would ask for gigabytes.
    const long long width = std::max(1L, (glyphs.back().X + 63) >> 6),
                    height = std::max(1L, ascent + descent);
    if (glyphs.back().X < 0 || width > kMaxTextPixels / height) {
        if (tooLarge) *tooLarge = true;
        return {};
    }
    TAlphaImage out;
    out.Width = static_cast<int>(width);
    out.Height = static_cast<int>(height);
    std::vector<std::uint8_t> cover(std::size_t(out.Width) * std::size_t(out.Height));
    for (std::size_t i = 0; i + 1 < glyphs.size(); ++i) {
        const TShapedGlyph& g = glyphs[i];
        if (FT_Load_Glyph(face, g.Glyph, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        const long left = (g.X >> 6) + face->glyph->bitmap_left;
        const long top = ascent - (g.Y >> 6) - face->glyph->bitmap_top;
        for (unsigned r = 0; r < bm.rows; ++r) {
            const long y = top + r;
            if (y < 0 || y >= out.Height) continue;
            const unsigned char* src = bm.buffer + static_cast<long>(r) * bm.pitch;
            for (unsigned c = 0; c < bm.width; ++c) {
                const long x = left + c;
                if (x < 0 || x >= out.Width) continue;
                std::uint8_t& d = cover[std::size_t(y) * std::size_t(out.Width) + std::size_t(x)];
                // Overlapping glyphs (joined scripts) keep the denser cover.
                d = std::max<std::uint8_t>(d, src[c]);
            }
        }
    }
    out.Bgra.resize(cover.size() * 4);
    const int b = color & 0xFF, gr = (color >> 8) & 0xFF, r = (color >> 16) & 0xFF;
    for (std::size_t i = 0; i < cover.size(); ++i) {
        const int a = cover[i];
        std::uint8_t* p = &out.Bgra[i * 4];
        p[0] = std::uint8_t((b * a + 127) / 255);
        p[1] = std::uint8_t((gr * a + 127) / 255);
        p[2] = std::uint8_t((r * a + 127) / 255);
        p[3] = std::uint8_t(a);
    }
    return out;
}

}  // namespace pm
