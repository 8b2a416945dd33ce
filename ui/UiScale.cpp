#include "ui/UiScale.h"

#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

namespace pm {

int ScaledPx(const QWidget* widget, int px) {
    const int height = widget ? widget->fontMetrics().height() : 13;
    return std::max(px, (px * height + 6) / 13);
}

}  // namespace pm
