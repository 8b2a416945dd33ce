#pragma once
// Framework colour values (TColor, $00BBGGRR or a system colour) as Qt colours.
#include "log/LogTypes.h"

#include <QColor>

namespace pm {

constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindow = 0x80000005;

// RGB of a framework colour; system colours come from a fixed table of the
// classic desktop defaults, so drawings do not depend on the desktop theme.
TColor ResolveUiColor(TColor color);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);  // always an RGB value
constexpr TColor RGBColor(int r, int g, int b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

}  // namespace pm
