#pragma once
// Small 24-bit pictures written and read as rows of 0xRRGGBB values, top
// line first, so that expected images in tests read like the picture.
#include "imaging/Bitmap.h"
#include "imaging/FastDIB.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pm::test {

using TRows = std::vector<std::vector<std::uint32_t>>;

inline TFastDIB MakeDib(const TRows& rows) {
    TFastDIB dib;
    const int h = static_cast<int>(rows.size());
    const int w = h ? static_cast<int>(rows[0].size()) : 0;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dib.SetPixel(h - 1 - y, x, TColorTriple::FromPacked(rows[y][x]));
    return dib;
}

inline TFastDIB SolidDib(int w, int h, std::uint32_t rgb) {
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    dib.Fill(TColorTriple::FromPacked(rgb));
    return dib;
}

inline TRows ReadRows(const TFastDIB& dib) {
    TRows rows(static_cast<std::size_t>(dib.Height()));
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            rows[y].push_back(dib.GetPixel(dib.Height() - 1 - y, x).Packed());
    return rows;
}

inline TBitmap MakeBitmap(const TRows& rows) {
    return TBitmap(MakeDib(rows));
}
inline TRows ReadRows(const TBitmap& bmp) {
    return ReadRows(bmp.Dib());
}

// A picture as text, one '.'/'#' line per row ('#' where the pixel is `ink`),
// for readable expectations of drawn shapes.
inline std::vector<std::string> Mask(const TFastDIB& dib, std::uint32_t ink) {
    std::vector<std::string> out;
    for (const auto& row : ReadRows(dib)) {
        std::string line;
        for (std::uint32_t v : row) line += v == ink ? '#' : '.';
        out.push_back(line);
    }
    return out;
}

}  // namespace pm::test
