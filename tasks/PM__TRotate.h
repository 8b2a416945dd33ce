#pragma once
// "Transform: Rotate and flip": exact quarter turns and mirrors, or any angle
// on a canvas grown to hold the turned picture.
#include "tasks/Effect.h"

namespace pm {

class TRotate : public TEffect {
public:
    explicit TRotate(TRunContext* context = nullptr);
    void PrepareEditor(IEditorPage& page) override;

    enum TTurn { tNone = 0, t90 = 1, t180 = 2, t270 = 3, tAnyAngle = 4 };

    // The EXIF orientation value whose upright turn is the mirrors followed
    // by `quarterTurns` clockwise quarter turns.
    static int OrientationOf(int quarterTurns, bool flipHorizontal, bool flipVertical);

    TKX_ItemIndex& Turn;
    TKX_Integer& Angle;  // tenths of a degree, clockwise
    TKX_Boolean& Flip_Horizontal;
    TKX_Boolean& Flip_Vertical;
    TKX_Color& BG_Color;

protected:
    bool Render(TFastDIB& image, TValueSlot slot) override;
};

}  // namespace pm
