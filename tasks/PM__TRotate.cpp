#include "tasks/PM__TRotate.h"

#include "core/EditorPage.h"
#include "imaging/Colors.h"
#include "imaging/FreeRotate.h"
#include "imaging/Orientation.h"

#include <array>

namespace pm {

TRotate::TRotate(TRunContext* context)
    : TEffect(context, "Rotate", TCanvas::OwnCanvas),
      Turn(DeclareOptional<TKX_ItemIndex>("RT_Turn", "Turn", t90)),
      Angle(DeclareOptional<TKX_Integer>("RT_Angle", "Angle", 0, TIntRange{-3600, 3600})),
      Flip_Horizontal(DeclareOptional<TKX_Boolean>("RT_Flip_Horizontal", "Flip_Horizontal", false)),
      Flip_Vertical(DeclareOptional<TKX_Boolean>("RT_Flip_Vertical", "Flip_Vertical", false)),
      BG_Color(DeclareOptional<TKX_Color>("RT_BG_Color", "BG_Color", 0xFFFFFFu)) {
    classInfo_ = {"TRotate", "Transform: Rotate and flip", "Make \"Rotate\"", 12};
}

void TRotate::PrepareEditor(IEditorPage& page) {
    page.SetItems("RT_Turn",
                  {"No turn", "90° clockwise", "180°", "90° counter-clockwise", "Any angle (bilinear)"});
}

int TRotate::OrientationOf(int quarterTurns, bool flipHorizontal, bool flipVertical) {
    // Each value as the 2 x 2 matrix taking a result position to its source
    // position (columns: what the result's x and y step moves in the source).
    struct TMap {
        int xx, xy, yx, yy;
    };
    static constexpr std::array<TMap, 8> kMaps = {{
        {1, 0, 0, 1},    // 1
        {-1, 0, 0, 1},   // 2 mirror left-right
        {-1, 0, 0, -1},  // 3 half turn
        {1, 0, 0, -1},   // 4 mirror top-bottom
        {0, 1, 1, 0},    // 5 transpose
        {0, 1, -1, 0},   // 6 quarter turn clockwise
        {0, -1, -1, 0},  // 7 transverse
        {0, -1, 1, 0},   // 8 quarter turn counter-clockwise
    }};
    static constexpr int kTurns[4] = {1, 6, 3, 8};
    const TMap turn = kMaps[std::size_t(kTurns[((quarterTurns % 4) + 4) % 4] - 1)];
    const int fx = flipHorizontal ? -1 : 1, fy = flipVertical ? -1 : 1;
    // Mirrors first, then the turn: the source position is the mirror of
    // the turn's source position.
    const TMap m = {fx * turn.xx, fx * turn.xy, fy * turn.yx, fy * turn.yy};
    for (std::size_t i = 0; i < kMaps.size(); ++i)
        if (kMaps[i].xx == m.xx && kMaps[i].xy == m.xy && kMaps[i].yx == m.yx && kMaps[i].yy == m.yy)
            return int(i) + 1;
    return 1;
}

bool TRotate::Render(TFastDIB& image, TValueSlot slot) {
    TFastDIB scratch;
    const TFastDIB& src = Source24(scratch);
    const bool fh = Flip_Horizontal.GetValue(slot), fv = Flip_Vertical.GetValue(slot);
    const int turn = Turn.GetValue(slot);
    int quarters = turn >= t90 && turn <= t270 ? turn : 0;
    if (turn == tAnyAngle) {
        const int tenths = ((Angle.InRange(slot) % 3600) + 3600) % 3600;
        // Quarter turns stay exact whichever way they are asked for.
        if (tenths % 900 != 0) {
            FreeRotate(src, tenths / 10.0, fh, fv, ColorToTriple(BG_Color.GetValue(slot)), image);
            return true;
        }
        quarters = tenths / 900;
    }
    return OrientInto(src, OrientationOf(quarters, fh, fv), image);
}

}  // namespace pm
