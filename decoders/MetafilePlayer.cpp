#include "decoders/MetafilePlayer.h"
#include "imaging/ByteOrder.h"

#include "imaging/Limits.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pm {

namespace {
constexpr std::uint32_t kBlackness = 0x00000042, kWhiteness = 0x00FF0062, kPatCopy = 0x00F00021;
constexpr std::size_t kMaxSavedStates = 1024;
constexpr std::size_t kMaxPathPoints = std::size_t(1) << 22;
}  // namespace

// Enough to cover every pixel 32 times over, and at most about a second's
// work whatever the picture's size.
std::uint64_t MetafileBudget(int width, int height) {
    const std::uint64_t area = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    return std::min<std::uint64_t>(std::uint64_t(1) << 30,
                                   std::max<std::uint64_t>(std::uint64_t(1) << 24, 32 * area));
}

TMetafilePlayer::TMetafilePlayer(TFastDIB& dib, double pixelsPerMmX, double pixelsPerMmY, double scaleX,
                                 double scaleY, double offsetX, double offsetY)
    : canvas_(dib, MetafileBudget(dib.Width(), dib.Height())), pxPerMmX_(pixelsPerMmX),
      pxPerMmY_(pixelsPerMmY), scaleX_(scaleX), scaleY_(scaleY), offsetX_(offsetX), offsetY_(offsetY) {}

void TMetafilePlayer::SaveDC() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void TMetafilePlayer::RestoreDC(int which) {
    // Negative: relative to the newest saved state; positive: absolute level.
    std::size_t keep;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > saved_.size()) return;
        keep = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size()) return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    state_ = saved_[keep];
    saved_.resize(keep);
}

std::size_t TMetafilePlayer::FirstFreeSlot() const {
    for (std::size_t i = 0; i < objects_.size(); ++i)
        if (objects_[i].kind == TMfObject::Kind::Free) return i;
    return objects_.size();
}

void TMetafilePlayer::Select(const TMfObject& object) {
    if (object.kind == TMfObject::Kind::Pen) state_.pen = object.pen;
    if (object.kind == TMfObject::Kind::Brush) state_.brush = object.brush;
}

TPointD TMetafilePlayer::Map(double x, double y) const {
    const TMfState& s = state_;
    const double wx = x * s.m11 + y * s.m21 + s.dx, wy = x * s.m12 + y * s.m22 + s.dy;
    double dx, dy;
    auto metric = [&](double mmPerUnit) {
        dx = (wx - s.winOrgX) * mmPerUnit * pxPerMmX_ + s.vpOrgX;
        dy = -(wy - s.winOrgY) * mmPerUnit * pxPerMmY_ + s.vpOrgY;  // y grows upwards
    };
    switch (s.mapMode) {
    case mmLoMetric:
        metric(0.1);
        break;
    case mmHiMetric:
        metric(0.01);
        break;
    case mmLoEnglish:
        metric(0.254);
        break;
    case mmHiEnglish:
        metric(0.0254);
        break;
    case mmTwips:
        metric(25.4 / 1440);
        break;
    case mmIsotropic:
    case mmAnisotropic: {
        const double ex = s.winExtX != 0 ? s.winExtX : 1, ey = s.winExtY != 0 ? s.winExtY : 1;
        dx = (wx - s.winOrgX) * s.vpExtX / ex + s.vpOrgX;
        dy = (wy - s.winOrgY) * s.vpExtY / ey + s.vpOrgY;
        break;
    }
    default:
        dx = wx - s.winOrgX + s.vpOrgX;
        dy = wy - s.winOrgY + s.vpOrgY;
        break;
    }
    return {dx * scaleX_ + offsetX_, dy * scaleY_ + offsetY_};
}

double TMetafilePlayer::PenPixels(double logicalWidth) const {
    const TPointD o = Map(0, 0), ax = Map(1, 0), ay = Map(0, 1);
    const double det = std::fabs((ax.x - o.x) * (ay.y - o.y) - (ax.y - o.y) * (ay.x - o.x));
    const double px = logicalWidth * std::sqrt(std::isfinite(det) ? det : 0.0);
    return std::isfinite(px) && px > 1 ? px : 1;
}

void TMetafilePlayer::FillAndStroke(const std::vector<std::vector<TPointD>>& picture, bool fill) {
    if (fill && !state_.brush.null) canvas_.FillPolygons(picture, state_.winding, state_.brush.colour);
    if (state_.pen.null) return;
    const double width = PenPixels(state_.pen.width);
    for (const auto& poly : picture) {
        // The outline runs through the centres of the shape's edge pixels.
        double cx = 0, cy = 0;
        for (const TPointD& p : poly) {
            cx += p.x;
            cy += p.y;
        }
        cx /= static_cast<double>(poly.size());
        cy /= static_cast<double>(poly.size());
        std::vector<TPointD> inset(poly);
        for (TPointD& p : inset) {
            p.x += p.x < cx ? 0.5 : p.x > cx ? -0.5 : 0;
            p.y += p.y < cy ? 0.5 : p.y > cy ? -0.5 : 0;
        }
        canvas_.Stroke(inset, true, width, state_.pen.colour);
    }
}

bool TMetafilePlayer::AddToPath(std::size_t points) {
    if (pathPoints_ + points > kMaxPathPoints) return false;
    pathPoints_ += points;
    return canvas_.Spend(points);
}

TMetafilePlayer::TFigure& TMetafilePlayer::OpenFigure() {
    if (path_.empty() || path_.back().closed) {
        path_.push_back({});
        path_.back().points.push_back(Map(state_.position.x, state_.position.y));
    }
    return path_.back();
}

void TMetafilePlayer::Shape(std::vector<TPointD> picture) {
    if (picture.empty()) return;
    if (inPath_) {
        if (AddToPath(picture.size())) path_.push_back({std::move(picture), true});
        return;
    }
    FillAndStroke({std::move(picture)}, true);
}

void TMetafilePlayer::Polygons(const std::vector<std::vector<TPointD>>& logical) {
    std::vector<std::vector<TPointD>> picture;
    for (const auto& poly : logical) {
        if (poly.empty()) continue;
        std::vector<TPointD> mapped;
        mapped.reserve(poly.size());
        for (const TPointD& p : poly) mapped.push_back(Map(p.x, p.y));
        picture.push_back(std::move(mapped));
    }
    if (picture.empty()) return;
    if (inPath_) {
        for (auto& poly : picture) Shape(std::move(poly));
        return;
    }
    FillAndStroke(picture, true);
}

void TMetafilePlayer::Polyline(const std::vector<TPointD>& logical) {
    if (logical.empty()) return;
    if (inPath_) {
        if (!AddToPath(logical.size())) return;
        path_.push_back({});
        for (const TPointD& p : logical) path_.back().points.push_back(Map(p.x, p.y));
        return;
    }
    if (state_.pen.null) return;
    std::vector<TPointD> mapped;
    mapped.reserve(logical.size());
    for (const TPointD& p : logical) {
        const TPointD m = Map(p.x, p.y);
        mapped.push_back({m.x + 0.5, m.y + 0.5});
    }
    canvas_.Stroke(mapped, false, PenPixels(state_.pen.width), state_.pen.colour);
}

void TMetafilePlayer::PolylineTo(const std::vector<TPointD>& logical) {
    if (logical.empty()) return;
    if (inPath_) {
        if (!AddToPath(logical.size())) return;
        TFigure& f = OpenFigure();
        for (std::size_t i = 1; i < logical.size(); ++i) f.points.push_back(Map(logical[i].x, logical[i].y));
    } else {
        Polyline(logical);
    }
    state_.position = logical.back();
}

void TMetafilePlayer::MoveTo(double x, double y) {
    state_.position = {x, y};
    if (inPath_ && AddToPath(1)) path_.push_back({{Map(x, y)}, false});
}

void TMetafilePlayer::LineTo(double x, double y) {
    PolylineTo({state_.position, {x, y}});
}

void TMetafilePlayer::Rectangle(double l, double t, double r, double b) {
    Shape({Map(l, t), Map(r, t), Map(r, b), Map(l, b)});
}

void TMetafilePlayer::Ellipse(double l, double t, double r, double b) {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    const TPointD c = Map(cx, cy), ex = Map(cx + rx, cy), ey = Map(cx, cy + ry);
    const double size = std::hypot(ex.x - c.x, ex.y - c.y) + std::hypot(ey.x - c.x, ey.y - c.y);
    const int sides = std::isfinite(size) ? static_cast<int>(std::clamp(size * 2, 16.0, 2048.0)) : 16;
    std::vector<TPointD> points;
    points.reserve(static_cast<std::size_t>(sides));
    for (int k = 0; k < sides; ++k) {
        const double a = 2 * M_PI * k / sides;
        points.push_back(Map(cx + rx * std::cos(a), cy + ry * std::sin(a)));
    }
    Shape(std::move(points));
}

void TMetafilePlayer::BeginPath() {
    inPath_ = true;
    path_.clear();
    pathPoints_ = 0;
}

void TMetafilePlayer::AbortPath() {
    inPath_ = false;
    path_.clear();
    pathPoints_ = 0;
}

void TMetafilePlayer::CloseFigure() {
    if (inPath_ && !path_.empty()) path_.back().closed = true;
}

void TMetafilePlayer::DrawPath(bool fill, bool stroke) {
    if (inPath_) return;  // only a finished path is drawn
    std::vector<std::vector<TPointD>> polygons;
    for (const TFigure& f : path_)
        if (!f.points.empty()) polygons.push_back(f.points);
    if (fill && !state_.brush.null && !polygons.empty())
        canvas_.FillPolygons(polygons, state_.winding, state_.brush.colour);
    if (stroke && !state_.pen.null) {
        const double width = PenPixels(state_.pen.width);
        for (const TFigure& f : path_) {
            std::vector<TPointD> centred(f.points);
            for (TPointD& p : centred) p = {p.x + 0.5, p.y + 0.5};
            canvas_.Stroke(centred, f.closed, width, state_.pen.colour);
        }
    }
    AbortPath();
}

void TMetafilePlayer::PatBlt(double x, double y, double w, double h, std::uint32_t rop) {
    TColorTriple colour;
    if (rop == kBlackness)
        colour = {0, 0, 0};
    else if (rop == kWhiteness)
        colour = {255, 255, 255};
    else if (rop == kPatCopy && !state_.brush.null)
        colour = state_.brush.colour;
    else
        return;
    canvas_.FillPolygons({{Map(x, y), Map(x + w, y), Map(x + w, y + h), Map(x, y + h)}}, false, colour);
}

void TMetafilePlayer::BitmapFromBottom(const TFastDIB& src, double x, double y, double w, double h, int sx,
                                       int sy, int sw, int sh) {
    const std::int64_t top = std::int64_t(src.Height()) - sy - sh;
    if (top < INT32_MIN || top > INT32_MAX) return;
    Bitmap(src, x, y, w, h, sx, static_cast<int>(top), sw, sh);
}

void TMetafilePlayer::Bitmap(const TFastDIB& src, double x, double y, double w, double h, int sx, int sy,
                             int sw, int sh) {
    if (!canvas_.Spend(static_cast<std::uint64_t>(src.Width()) * static_cast<std::uint64_t>(src.Height())))
        return;
    canvas_.DrawBitmap(src, Map(x, y), Map(x + w, y), Map(x, y + h), sx, sy, sw, sh);
}

bool ReadEmbeddedDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                     std::size_t bitsSize, TFastDIB& dib) {
    if (!info || infoSize < 12 || infoSize > (1u << 20)) return false;
    // The header's claims must fit the bits at hand before anything is
    // allocated: whole rows for plain bitmaps, a bounded expansion for
    // run-length encoded ones.
    auto rd16 = [&](std::size_t at) { return static_cast<std::uint32_t>(info[at] | (info[at + 1] << 8)); };
    auto rd32 = [&](std::size_t at) { return rd16(at) | (rd16(at + 2) << 16); };
    const std::uint32_t headerSize = rd32(0);
    std::int64_t width, height;
    std::uint32_t bpp, compression = 0;
    if (headerSize == 12) {
        width = rd16(4);
        height = rd16(6);
        bpp = rd16(10);
    } else {
        if (infoSize < 20 || headerSize < 16) return false;
        width = static_cast<std::int32_t>(rd32(4));
        height = static_cast<std::int32_t>(rd32(8));
        if (height < 0) height = -height;
        bpp = rd16(14);
        compression = rd32(16);
    }
    if (width <= 0 || height <= 0 || bpp == 0 || bpp > 32 || !ImageSizeAllowed(width, height)) return false;
    const std::uint64_t need =
        static_cast<std::uint64_t>((width * bpp + 31) / 32 * 4) * static_cast<std::uint64_t>(height);
    if (compression == 0 || compression == 3) {
        if (bitsSize < need) return false;
    } else if (compression == 1 || compression == 2) {
        if (static_cast<std::uint64_t>(width * height) > 256 * static_cast<std::uint64_t>(bitsSize) + 65536)
            return false;
    } else {
        return false;
    }
    // A BMP file image around it, for TFastDIB's own reader.
    std::vector<std::uint8_t> bmp(14 + infoSize + bitsSize);
    bmp[0] = 'B';
    bmp[1] = 'M';
    const std::uint32_t offBits = static_cast<std::uint32_t>(14 + infoSize);
    for (int i = 0; i < 4; ++i) {
        bmp[2 + i] = static_cast<std::uint8_t>(bmp.size() >> (8 * i));
        bmp[10 + i] = static_cast<std::uint8_t>(offBits >> (8 * i));
    }
    std::memcpy(bmp.data() + 14, info, infoSize);
    if (bitsSize) std::memcpy(bmp.data() + offBits, bits, bitsSize);
    return dib.LoadFromStream(bmp);
}

}  // namespace pm

namespace pm {

bool ReadPackedDib(const std::uint8_t* p, std::size_t n, TFastDIB& dib) {
    if (!p || n < 12) return false;
    const std::uint32_t headerSize = Get32LE(p);
    std::size_t infoSize;
    if (headerSize == 12) {
        const int bpp = p[10] | (p[11] << 8);
        infoSize = 12 + (bpp <= 8 ? 3 * (std::size_t(1) << bpp) : 0);
    } else {
        if (headerSize < 40 || headerSize > 124 || n < 40) return false;
        const int bpp = p[14] | (p[15] << 8);
        const std::uint32_t compression = p[16] | (p[17] << 8) | (p[18] << 16) | (std::uint32_t(p[19]) << 24);
        std::uint32_t used = p[32] | (p[33] << 8) | (p[34] << 16) | (std::uint32_t(p[35]) << 24);
        infoSize = headerSize;
        if (bpp <= 8) {
            if (used == 0 || used > (1u << bpp)) used = 1u << bpp;
            infoSize += 4 * static_cast<std::size_t>(used);
        } else if (compression == 3 && headerSize == 40) {
            infoSize += 12;
        }
    }
    if (infoSize > n) return false;
    return ReadEmbeddedDib(p, infoSize, p + infoSize, n - infoSize, dib);
}

}  // namespace pm
