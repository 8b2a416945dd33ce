// Enhanced metafiles: 32-bit records of (type, size, data). The header's
// frame (in 0.01 mm) gives the picture's size at 96 pixels per inch and,
// with the reference device's size in pixels and millimetres, the mapping
// from device pixels to the picture.
#include "decoders/MetafilePlayer.h"
#include "decoders/MetafileReaders.h"
#include "imaging/ByteOrder.h"
#include "imaging/Limits.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace pm {

namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr double kScreenDpi = 96;
constexpr std::size_t kMaxHandles = 65535;

enum : std::uint32_t {
    emrHeader = 1,
    emrPolyBezier = 2,
    emrPolygon = 3,
    emrPolyline = 4,
    emrPolyBezierTo = 5,
    emrPolylineTo = 6,
    emrPolyPolyline = 7,
    emrPolyPolygon = 8,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrEof = 14,
    emrSetMapMode = 17,
    emrSetPolyFillMode = 19,
    emrMoveToEx = 27,
    emrSaveDC = 33,
    emrRestoreDC = 34,
    emrSetWorldTransform = 35,
    emrModifyWorldTransform = 36,
    emrSelectObject = 37,
    emrCreatePen = 38,
    emrCreateBrushIndirect = 39,
    emrDeleteObject = 40,
    emrEllipse = 42,
    emrRectangle = 43,
    emrRoundRect = 44,
    emrLineTo = 54,
    emrBeginPath = 59,
    emrEndPath = 60,
    emrCloseFigure = 61,
    emrFillPath = 62,
    emrStrokeAndFillPath = 63,
    emrStrokePath = 64,
    emrAbortPath = 68,
    emrBitBlt = 76,
    emrStretchBlt = 77,
    emrSetDIBitsToDevice = 80,
    emrStretchDIBits = 81,
    emrPolyBezier16 = 85,
    emrPolygon16 = 86,
    emrPolyline16 = 87,
    emrPolyBezierTo16 = 88,
    emrPolylineTo16 = 89,
    emrPolyPolyline16 = 90,
    emrPolyPolygon16 = 91,
    emrExtCreatePen = 95,
};

std::int32_t S32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(Get32LE(p));
}
std::int16_t S16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(Get16LE(p));
}
float F32(const std::uint8_t* p) {
    const std::uint32_t v = Get32LE(p);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

// One record, bounds checked; offsets count from the record's start.
struct TRecord {
    const std::uint8_t* p;
    std::size_t size;
    bool Has(std::size_t end) const { return end <= size; }
    std::int32_t S(std::size_t at) const { return S32(p + at); }
    std::uint32_t U(std::size_t at) const { return Get32LE(p + at); }
    TColorTriple Colour(std::size_t at) const { return {p[at + 2], p[at + 1], p[at]}; }
};

// Points of 32-bit (wide) or 16-bit coordinates.
bool ReadPoints(const TRecord& r, std::size_t at, std::uint64_t count, bool wide, std::vector<TPointD>& out) {
    const std::size_t step = wide ? 8 : 4;
    if (count > r.size / step || !r.Has(at + count * step)) return false;
    out.resize(static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < out.size(); ++k) {
        const std::uint8_t* q = r.p + at + k * step;
        out[k] =
            wide ? TPointD{double(S32(q)), double(S32(q + 4))} : TPointD{double(S16(q)), double(S16(q + 2))};
    }
    return true;
}

// Cubic Bezier segments as a polyline: start point then three per segment.
std::vector<TPointD> Flatten(const std::vector<TPointD>& pts) {
    std::vector<TPointD> out;
    if (pts.empty()) return out;
    out.push_back(pts[0]);
    for (std::size_t i = 1; i + 2 < pts.size(); i += 3) {
        const TPointD a = pts[i - 1], b = pts[i], c = pts[i + 1], d = pts[i + 2];
        for (int k = 1; k <= 16; ++k) {
            const double t = k / 16.0, u = 1 - t;
            out.push_back({u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
                           u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y});
        }
    }
    return out;
}

TMfObject StockObject(std::uint32_t n) {
    TMfObject o;
    auto brush = [&](std::uint8_t v) {
        o.kind = TMfObject::Kind::Brush;
        o.brush.colour = {v, v, v};
    };
    auto pen = [&](std::uint8_t v) {
        o.kind = TMfObject::Kind::Pen;
        o.pen.colour = {v, v, v};
    };
    switch (n) {
    case 0:
        brush(255);
        break;
    case 1:
        brush(192);
        break;
    case 2:
        brush(128);
        break;
    case 3:
        brush(64);
        break;
    case 4:
        brush(0);
        break;
    case 5:
        o.kind = TMfObject::Kind::Brush;
        o.brush.null = true;
        break;
    case 6:
        pen(255);
        break;
    case 7:
        pen(0);
        break;
    case 8:
        o.kind = TMfObject::Kind::Pen;
        o.pen.null = true;
        break;
    default:
        o.kind = TMfObject::Kind::Other;
        break;
    }
    return o;
}

void Multiply(TMfState& s, const double m[6], bool left) {
    // Row-vector convention: p' = p * M; "left" means M * current.
    const double c[6] = {s.m11, s.m12, s.m21, s.m22, s.dx, s.dy};
    const double* a = left ? m : c;
    const double* b = left ? c : m;
    s.m11 = a[0] * b[0] + a[1] * b[2];
    s.m12 = a[0] * b[1] + a[1] * b[3];
    s.m21 = a[2] * b[0] + a[3] * b[2];
    s.m22 = a[2] * b[1] + a[3] * b[3];
    s.dx = a[4] * b[0] + a[5] * b[2] + b[4];
    s.dy = a[4] * b[1] + a[5] * b[3] + b[5];
}

void DrawBits(TMetafilePlayer& player, const TRecord& r, std::size_t offBmiAt, double x, double y, double w,
              double h, int sx, int sy, int sw, int sh, bool bottomUpSource) {
    if (!r.Has(offBmiAt + 16)) return;
    const std::uint32_t offBmi = r.U(offBmiAt), cbBmi = r.U(offBmiAt + 4);
    const std::uint32_t offBits = r.U(offBmiAt + 8), cbBits = r.U(offBmiAt + 12);
    if (offBmi > r.size || cbBmi > r.size - offBmi || offBits > r.size || cbBits > r.size - offBits) return;
    TFastDIB dib;
    if (!ReadEmbeddedDib(r.p + offBmi, cbBmi, r.p + offBits, cbBits, dib)) return;
    if (bottomUpSource)
        player.BitmapFromBottom(dib, x, y, w, h, sx, sy, sw, sh);
    else
        player.Bitmap(dib, x, y, w, h, sx, sy, sw, sh);
}

void PlayRecord(TMetafilePlayer& player, std::uint32_t type, const TRecord& r) {
    TMfState& s = player.State();
    std::vector<TPointD> pts;
    switch (type) {
    case emrPolygon:
    case emrPolyline:
    case emrPolyBezier:
    case emrPolylineTo:
    case emrPolyBezierTo:
    case emrPolygon16:
    case emrPolyline16:
    case emrPolyBezier16:
    case emrPolylineTo16:
    case emrPolyBezierTo16: {
        const bool wide = type < emrPolyBezier16;
        if (!r.Has(28) || !ReadPoints(r, 28, r.U(24), wide, pts) || pts.empty()) break;
        const bool to = type == emrPolylineTo || type == emrPolyBezierTo || type == emrPolylineTo16 ||
                        type == emrPolyBezierTo16;
        const bool bezier = type == emrPolyBezier || type == emrPolyBezierTo || type == emrPolyBezier16 ||
                            type == emrPolyBezierTo16;
        if (to) pts.insert(pts.begin(), s.position);
        if (bezier) pts = Flatten(pts);
        if (type == emrPolygon || type == emrPolygon16)
            player.Polygons({pts});
        else if (to)
            player.PolylineTo(pts);
        else
            player.Polyline(pts);
        break;
    }
    case emrPolyPolyline:
    case emrPolyPolygon:
    case emrPolyPolyline16:
    case emrPolyPolygon16: {
        if (!r.Has(32)) break;
        const bool wide = type < emrPolyPolyline16;
        const std::uint64_t polys = r.U(24), total = r.U(28);
        if (polys > r.size / 4 || !r.Has(32 + polys * 4)) break;
        std::size_t at = 32 + static_cast<std::size_t>(polys) * 4;
        if (!ReadPoints(r, at, total, wide, pts)) break;
        std::vector<std::vector<TPointD>> all;
        std::uint64_t used = 0;
        for (std::size_t k = 0; k < polys; ++k) {
            const std::uint64_t count = r.U(32 + 4 * k);
            if (count > total - used) return;
            all.emplace_back(pts.begin() + static_cast<std::ptrdiff_t>(used),
                             pts.begin() + static_cast<std::ptrdiff_t>(used + count));
            used += count;
        }
        if (type == emrPolyPolygon || type == emrPolyPolygon16)
            player.Polygons(all);
        else
            for (const auto& line : all) player.Polyline(line);
        break;
    }
    case emrSetWindowExtEx:
        if (r.Has(16)) s.winExtX = r.S(8), s.winExtY = r.S(12);
        break;
    case emrSetWindowOrgEx:
        if (r.Has(16)) s.winOrgX = r.S(8), s.winOrgY = r.S(12);
        break;
    case emrSetViewportExtEx:
        if (r.Has(16)) s.vpExtX = r.S(8), s.vpExtY = r.S(12);
        break;
    case emrSetViewportOrgEx:
        if (r.Has(16)) s.vpOrgX = r.S(8), s.vpOrgY = r.S(12);
        break;
    case emrSetMapMode:
        if (r.Has(12) && r.U(8) >= mmText && r.U(8) <= mmAnisotropic) s.mapMode = static_cast<int>(r.U(8));
        break;
    case emrSetPolyFillMode:
        if (r.Has(12)) s.winding = r.U(8) == 2;
        break;
    case emrMoveToEx:
        if (r.Has(16)) player.MoveTo(r.S(8), r.S(12));
        break;
    case emrLineTo:
        if (r.Has(16)) player.LineTo(r.S(8), r.S(12));
        break;
    case emrBeginPath:
        player.BeginPath();
        break;
    case emrEndPath:
        player.EndPath();
        break;
    case emrAbortPath:
        player.AbortPath();
        break;
    case emrCloseFigure:
        player.CloseFigure();
        break;
    case emrFillPath:
        player.DrawPath(true, false);
        break;
    case emrStrokePath:
        player.DrawPath(false, true);
        break;
    case emrStrokeAndFillPath:
        player.DrawPath(true, true);
        break;
    case emrSaveDC:
        player.SaveDC();
        break;
    case emrRestoreDC:
        if (r.Has(12)) player.RestoreDC(r.S(8));
        break;
    case emrSetWorldTransform:
    case emrModifyWorldTransform: {
        if (!r.Has(32)) break;
        double m[6];
        for (int k = 0; k < 6; ++k) {
            m[k] = F32(r.p + 8 + 4 * k);
            if (!std::isfinite(m[k])) return;
        }
        const std::uint32_t mode = type == emrSetWorldTransform ? 4 : (r.Has(36) ? r.U(32) : 0);
        if (mode == 1) {
            s.m11 = s.m22 = 1;
            s.m12 = s.m21 = s.dx = s.dy = 0;
        } else if (mode == 2 || mode == 3) {
            Multiply(s, m, mode == 2);
        } else if (mode == 4) {
            s.m11 = m[0], s.m12 = m[1], s.m21 = m[2], s.m22 = m[3], s.dx = m[4], s.dy = m[5];
        }
        break;
    }
    case emrSelectObject:
        if (r.Has(12)) {
            const std::uint32_t index = r.U(8);
            if (index & 0x80000000u)
                player.Select(StockObject(index & 0x7FFFFFFFu));
            else if (const TMfObject* o = player.Object(index))
                player.Select(*o);
        }
        break;
    case emrDeleteObject:
        if (r.Has(12))
            if (TMfObject* o = player.Object(r.U(8))) *o = TMfObject();
        break;
    case emrCreatePen:
        if (r.Has(28))
            if (TMfObject* o = player.Object(r.U(8))) {
                o->kind = TMfObject::Kind::Pen;
                o->pen.null = (r.U(12) & 0x0F) == 5;
                o->pen.width = std::abs(static_cast<double>(r.S(16)));
                o->pen.colour = r.Colour(24);
            }
        break;
    case emrExtCreatePen:
        if (r.Has(44))
            if (TMfObject* o = player.Object(r.U(8))) {
                o->kind = TMfObject::Kind::Pen;
                o->pen.null = (r.U(28) & 0x0F) == 5 || r.U(36) == 1;
                // Cosmetic pens (type bits 0) are one pixel wide.
                o->pen.width = (r.U(28) & 0x00010000u) ? r.U(32) : 0;
                o->pen.colour = r.Colour(40);
            }
        break;
    case emrCreateBrushIndirect:
        if (r.Has(24))
            if (TMfObject* o = player.Object(r.U(8))) {
                o->kind = TMfObject::Kind::Brush;
                o->brush.null = r.U(12) == 1;
                o->brush.colour = r.Colour(16);
            }
        break;
    case emrRectangle:
    case emrRoundRect:  // rounded corners are drawn square
        if (r.Has(24)) player.Rectangle(r.S(8), r.S(12), r.S(16), r.S(20));
        break;
    case emrEllipse:
        if (r.Has(24)) player.Ellipse(r.S(8), r.S(12), r.S(16), r.S(20));
        break;
    case emrBitBlt:
    case emrStretchBlt: {
        if (!r.Has(100)) break;
        const double x = r.S(24), y = r.S(28), w = r.S(32), h = r.S(36);
        if (r.U(88) == 0) {  // no source bitmap: a pattern operation
            player.PatBlt(x, y, w, h, r.U(40));
            break;
        }
        int sw = static_cast<int>(w), sh = static_cast<int>(h);
        if (type == emrStretchBlt) {
            if (!r.Has(108)) break;
            sw = r.S(100), sh = r.S(104);
        }
        DrawBits(player, r, 84, x, y, w, h, r.S(44), r.S(48), sw, sh, false);
        break;
    }
    case emrStretchDIBits:
        if (r.Has(80))
            DrawBits(player, r, 48, r.S(24), r.S(28), r.S(72), r.S(76), r.S(32), r.S(36), r.S(40), r.S(44),
                     true);
        break;
    case emrSetDIBitsToDevice:
        if (r.Has(76))
            DrawBits(player, r, 48, r.S(24), r.S(28), r.S(40), r.S(44), r.S(32), r.S(36), r.S(40), r.S(44),
                     true);
        break;
    default:
        break;  // text, arcs, paths, regions, clipping ...
    }
}

}  // namespace

bool IsEnhancedMetafile(const std::uint8_t* data, std::size_t size) {
    return size >= 88 && Get32LE(data) == emrHeader && Get32LE(data + 40) == kEmfSignature;
}

bool PlayEmf(const std::uint8_t* data, std::size_t size, TFastDIB& dib, std::string& error) {
    const std::uint32_t headerSize = Get32LE(data + 4);
    if (!IsEnhancedMetafile(data, size) || headerSize < 88 || headerSize > size || headerSize % 4) {
        error = "Not an enhanced metafile";
        return false;
    }
    // Check the record chain first: a damaged or truncated file fails whole.
    bool sawEnd = false;
    for (std::size_t at = 0; at + 8 <= size;) {
        const std::uint32_t type = Get32LE(data + at), bytes = Get32LE(data + at + 4);
        if (bytes < 8 || bytes % 4 || bytes > size - at) break;
        if (type == emrEof) {
            sawEnd = true;
            break;
        }
        at += bytes;
    }
    if (!sawEnd) {
        error = "Truncated enhanced metafile";
        return false;
    }
    const double bl = S32(data + 8), bt = S32(data + 12), br = S32(data + 16), bb = S32(data + 20);
    const double fl = S32(data + 24), ft = S32(data + 28), fr = S32(data + 32), fb = S32(data + 36);
    const std::size_t handles = std::min<std::size_t>(Get32LE(data + 56) & 0xFFFF, kMaxHandles);
    const double devX = S32(data + 72), devY = S32(data + 76), mmX = S32(data + 80), mmY = S32(data + 84);
    // Device pixels per 0.01 mm of the reference device.
    const double perHmmX = devX > 0 && mmX > 0 ? devX / (mmX * 100) : kScreenDpi / 2540;
    const double perHmmY = devY > 0 && mmY > 0 ? devY / (mmY * 100) : kScreenDpi / 2540;

    double width, height, originX, originY, spanX, spanY;
    if (fr > fl && fb > ft) {
        width = std::floor((fr - fl) * kScreenDpi / 2540 + 0.5);
        height = std::floor((fb - ft) * kScreenDpi / 2540 + 0.5);
        originX = fl * perHmmX;
        originY = ft * perHmmY;
        spanX = (fr - fl) * perHmmX;
        spanY = (fb - ft) * perHmmY;
    } else {  // no usable frame: the bounds, in device pixels, inclusive
        width = br - bl + 1;
        height = bb - bt + 1;
        originX = bl;
        originY = bt;
        spanX = width;
        spanY = height;
    }
    if (!(width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide) ||
        !ImageSizeAllowed(static_cast<std::int64_t>(width), static_cast<std::int64_t>(height)) ||
        spanX <= 0 || spanY <= 0) {
        error = "Metafile size out of range";
        return false;
    }
    TFastDIB picture;
    picture.SetSize(static_cast<int>(width), static_cast<int>(height), 24);
    picture.Fill({255, 255, 255});
    const double scaleX = width / spanX, scaleY = height / spanY;
    TMetafilePlayer player(picture, perHmmX * 100, perHmmY * 100, scaleX, scaleY, -originX * scaleX,
                           -originY * scaleY);
    player.SetTableSize(handles);
    for (std::size_t at = headerSize; at + 8 <= size;) {
        const std::uint32_t type = Get32LE(data + at), bytes = Get32LE(data + at + 4);
        if (type == emrEof || bytes < 8 || bytes > size - at) break;
        PlayRecord(player, type, TRecord{data + at, bytes});
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
