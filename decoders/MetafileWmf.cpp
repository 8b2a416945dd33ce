// Windows metafiles: 16-bit records of (size in words, function, parameters).
// The placeable header gives the picture's bounds and units per inch; a
// metafile without it takes its size from its first SetWindowExt record.
// Pictures are made at 96 pixels per inch.
#include "decoders/MetafilePlayer.h"
#include "decoders/MetafileReaders.h"
#include "imaging/ByteOrder.h"
#include "imaging/Limits.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace pm {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int kScreenDpi = 96;

enum : std::uint16_t {
    fnEof = 0x0000,
    fnSaveDC = 0x001E,
    fnSetPolyFillMode = 0x0106,
    fnRestoreDC = 0x0127,
    fnSelectObject = 0x012D,
    fnDeleteObject = 0x01F0,
    fnSetWindowOrg = 0x020B,
    fnSetWindowExt = 0x020C,
    fnLineTo = 0x0213,
    fnMoveTo = 0x0214,
    fnPolygon = 0x0324,
    fnPolyline = 0x0325,
    fnEllipse = 0x0418,
    fnRectangle = 0x041B,
    fnPolyPolygon = 0x0538,
    fnRoundRect = 0x061C,
    fnPatBlt = 0x061D,
    fnDibBitBlt = 0x0940,
    fnDibStretchBlt = 0x0B41,
    fnSetDibToDev = 0x0D33,
    fnStretchDib = 0x0F43,
    fnCreatePenIndirect = 0x02FA,
    fnCreateBrushIndirect = 0x02FC,
    // Objects that only take a slot in the table.
    fnCreatePalette = 0x00F7,
    fnCreatePatternBrush = 0x01F9,
    fnDibCreatePatternBrush = 0x0142,
    fnCreateFontIndirect = 0x02FB,
    fnCreateRegion = 0x06FF,
};

std::int16_t S16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(Get16LE(p));
}

// One record's parameters: 16-bit words, bounds checked.
struct TParams {
    const std::uint8_t* p;
    std::size_t words;
    bool Has(std::size_t n) const { return n <= words; }
    std::int16_t S(std::size_t i) const { return S16(p + 2 * i); }
    std::uint16_t U(std::size_t i) const { return Get16LE(p + 2 * i); }
    std::uint32_t U32At(std::size_t i) const { return Get32LE(p + 2 * i); }
    TColorTriple Colour(std::size_t i) const { return {p[2 * i + 2], p[2 * i + 1], p[2 * i]}; }
};

bool ReadPoints(const TParams& r, std::size_t at, std::size_t count, std::vector<TPointD>& points) {
    if (!r.Has(at + 2 * count)) return false;
    points.resize(count);
    for (std::size_t k = 0; k < count; ++k)
        points[k] = {double(r.S(at + 2 * k)), double(r.S(at + 2 * k + 1))};
    return true;
}

void AddObject(TMetafilePlayer& player, const TMfObject& object) {
    if (TMfObject* slot = player.Object(player.FirstFreeSlot())) *slot = object;
}

void DrawDib(TMetafilePlayer& player, const TParams& r, std::size_t dibWord, double x, double y, double w,
             double h, int sx, int sy, int sw, int sh, bool bottomUpSource) {
    TFastDIB dib;
    if (!ReadPackedDib(r.p + 2 * dibWord, 2 * (r.words - dibWord), dib)) return;
    if (bottomUpSource)
        player.BitmapFromBottom(dib, x, y, w, h, sx, sy, sw, sh);
    else
        player.Bitmap(dib, x, y, w, h, sx, sy, sw, sh);
}

void PlayRecord(TMetafilePlayer& player, std::uint16_t fn, const TParams& r) {
    TMfState& s = player.State();
    std::vector<TPointD> points;
    switch (fn) {
    case fnSaveDC:
        player.SaveDC();
        break;
    case fnRestoreDC:
        if (r.Has(1)) player.RestoreDC(r.S(0));
        break;
    case fnSetPolyFillMode:
        if (r.Has(1)) s.winding = r.U(0) == 2;
        break;
    case fnSetWindowOrg:
        if (r.Has(2)) s.winOrgY = r.S(0), s.winOrgX = r.S(1);
        break;
    case fnSetWindowExt:
        if (r.Has(2)) s.winExtY = r.S(0), s.winExtX = r.S(1);
        break;
    case fnMoveTo:
        if (r.Has(2)) player.MoveTo(r.S(1), r.S(0));
        break;
    case fnLineTo:
        if (r.Has(2)) player.LineTo(r.S(1), r.S(0));
        break;
    case fnRectangle:
    case fnRoundRect: {  // rounded corners are drawn square
        const std::size_t at = fn == fnRoundRect ? 2 : 0;
        if (r.Has(at + 4)) player.Rectangle(r.S(at + 3), r.S(at + 2), r.S(at + 1), r.S(at));
        break;
    }
    case fnEllipse:
        if (r.Has(4)) player.Ellipse(r.S(3), r.S(2), r.S(1), r.S(0));
        break;
    case fnPolygon:
    case fnPolyline:
        if (!r.Has(1) || !ReadPoints(r, 1, r.U(0), points)) break;
        if (fn == fnPolygon)
            player.Polygons({points});
        else
            player.Polyline(points);
        break;
    case fnPolyPolygon: {
        if (!r.Has(1)) break;
        const std::size_t polys = r.U(0);
        if (!r.Has(1 + polys)) break;
        std::vector<std::vector<TPointD>> all(polys);
        std::size_t at = 1 + polys;
        for (std::size_t k = 0; k < polys; ++k) {
            const std::size_t count = r.U(1 + k);
            if (!ReadPoints(r, at, count, all[k])) return;
            at += 2 * count;
        }
        player.Polygons(all);
        break;
    }
    case fnCreatePenIndirect: {
        if (!r.Has(5)) break;
        TMfObject o;
        o.kind = TMfObject::Kind::Pen;
        o.pen.null = (r.U(0) & 0x0F) == 5;
        o.pen.width = std::abs(r.S(1));
        o.pen.colour = r.Colour(3);
        AddObject(player, o);
        break;
    }
    case fnCreateBrushIndirect: {
        if (!r.Has(3)) break;
        TMfObject o;
        o.kind = TMfObject::Kind::Brush;
        // Hatched brushes fill solid in their colour; pattern brushes are
        // other records and do not fill.
        o.brush.null = r.U(0) == 1;
        o.brush.colour = r.Colour(1);
        AddObject(player, o);
        break;
    }
    case fnCreatePalette:
    case fnCreatePatternBrush:
    case fnDibCreatePatternBrush:
    case fnCreateFontIndirect:
    case fnCreateRegion: {
        TMfObject o;
        o.kind = TMfObject::Kind::Other;
        AddObject(player, o);
        break;
    }
    case fnSelectObject:
        if (r.Has(1))
            if (const TMfObject* o = player.Object(r.U(0))) player.Select(*o);
        break;
    case fnDeleteObject:
        if (r.Has(1))
            if (TMfObject* o = player.Object(r.U(0))) *o = TMfObject();
        break;
    case fnPatBlt:
        if (r.Has(6)) player.PatBlt(r.S(5), r.S(4), r.S(3), r.S(2), r.U32At(0));
        break;
    case fnStretchDib:
        if (r.Has(11))
            DrawDib(player, r, 11, r.S(10), r.S(9), r.S(8), r.S(7), r.S(6), r.S(5), r.S(4), r.S(3), true);
        break;
    case fnDibStretchBlt:
        if (r.words == 11)  // no bitmap: a pattern fill of the destination
            player.PatBlt(r.S(10), r.S(9), r.S(8), r.S(7), r.U32At(0));
        else if (r.Has(10))
            DrawDib(player, r, 10, r.S(9), r.S(8), r.S(7), r.S(6), r.S(5), r.S(4), r.S(3), r.S(2), false);
        break;
    case fnDibBitBlt:
        if (r.words == 9)
            player.PatBlt(r.S(8), r.S(7), r.S(6), r.S(5), r.U32At(0));
        else if (r.Has(8))
            DrawDib(player, r, 8, r.S(7), r.S(6), r.S(5), r.S(4), r.S(3), r.S(2), r.S(5), r.S(4), false);
        break;
    case fnSetDibToDev:
        if (r.Has(9))
            DrawDib(player, r, 9, r.S(8), r.S(7), r.S(6), r.S(5), r.S(4), r.S(3), r.S(6), r.S(5), true);
        break;
    default:
        break;  // text, arcs, regions, palettes, clipping ...
    }
}

}  // namespace

bool PlayWmf(const std::uint8_t* data, std::size_t size, TFastDIB& dib, std::string& error) {
    std::size_t pos = 0;
    const bool placeable = size >= 22 && Get32LE(data) == kPlaceableKey;
    double left = 0, top = 0, right = 0, bottom = 0;
    int inch = 0;
    if (placeable) {
        left = S16(data + 6);
        top = S16(data + 8);
        right = S16(data + 10);
        bottom = S16(data + 12);
        inch = Get16LE(data + 14);
        pos = 22;
    }
    if (size - pos < 18 || (Get16LE(data + pos) != 1 && Get16LE(data + pos) != 2) ||
        Get16LE(data + pos + 2) != 9) {
        error = "Not a metafile";
        return false;
    }
    const std::size_t objects = Get16LE(data + pos + 10);
    pos += 18;
    const std::size_t firstRecord = pos;

    // Walk the records once to check their sizes (and find the window
    // extent of a metafile without placeable header).
    bool sawEnd = false, sawExtent = false;
    double extX = 0, extY = 0, orgX = 0, orgY = 0;
    for (std::size_t at = firstRecord; at + 6 <= size;) {
        const std::uint64_t bytes = 2 * static_cast<std::uint64_t>(Get32LE(data + at));
        const std::uint16_t fn = Get16LE(data + at + 4);
        if (bytes < 6 || bytes > size - at) break;
        if (fn == fnEof) {
            sawEnd = true;
            break;
        }
        if (fn == fnSetWindowOrg && bytes >= 10 && !sawExtent)
            orgY = S16(data + at + 6), orgX = S16(data + at + 8);
        if (fn == fnSetWindowExt && bytes >= 10 && !sawExtent) {
            extY = S16(data + at + 6);
            extX = S16(data + at + 8);
            sawExtent = true;
        }
        at += static_cast<std::size_t>(bytes);
    }
    if (!sawEnd) {
        error = "Truncated metafile";
        return false;
    }
    double width, height;
    if (placeable) {
        if (inch == 0) {
            error = "Metafile without units";
            return false;
        }
        width = std::floor(std::fabs(right - left) * kScreenDpi / inch + 0.5);
        height = std::floor(std::fabs(bottom - top) * kScreenDpi / inch + 0.5);
    } else {
        if (!sawExtent) {
            error = "Metafile without a size";
            return false;
        }
        left = orgX, top = orgY, right = orgX + extX, bottom = orgY + extY;
        width = std::fabs(extX);
        height = std::fabs(extY);
    }
    if (width < 1 || height < 1 ||
        !ImageSizeAllowed(static_cast<std::int64_t>(width), static_cast<std::int64_t>(height))) {
        error = "Metafile size out of range";
        return false;
    }
    TFastDIB picture;
    picture.SetSize(static_cast<int>(width), static_cast<int>(height), 24);
    picture.Fill({255, 255, 255});

    // The window (bounds, or what the records set) maps onto the whole picture.
    TMetafilePlayer player(picture, 1, 1, 1, 1, 0, 0);
    player.SetTableSize(objects);
    TMfState& s = player.State();
    s.mapMode = mmAnisotropic;
    s.winOrgX = left;
    s.winOrgY = top;
    s.winExtX = right - left;
    s.winExtY = bottom - top;
    s.vpExtX = width;
    s.vpExtY = height;
    for (std::size_t at = firstRecord;;) {
        const std::size_t bytes = 2 * static_cast<std::size_t>(Get32LE(data + at));
        const std::uint16_t fn = Get16LE(data + at + 4);
        if (fn == fnEof) break;
        PlayRecord(player, fn, TParams{data + at + 6, (bytes - 6) / 2});
        if (player.Exhausted()) {
            error = "Metafile too complex";
            return false;
        }
        at += bytes;
    }
    dib = std::move(picture);
    return true;
}

}  // namespace pm
