#pragma once
// Sizes given for an 8-point font at 96 dpi, grown with the desktop font.
class QWidget;

namespace pm {

// `px` scaled by the widget's font height against the 13-pixel line of the
// reference font; never smaller than `px`.
int ScaledPx(const QWidget* widget, int px);

}  // namespace pm
