#include "ui/UiColors.h"

#include "imaging/Colors.h"

namespace pm {


TColor ResolveUiColor(TColor color) {
    return ResolveColor(color) & 0x00FFFFFF;
}

QColor ToQColor(TColor color) {
    TColor c = ResolveUiColor(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    return RGBColor(color.red(), color.green(), color.blue());
}

}  // namespace pm
