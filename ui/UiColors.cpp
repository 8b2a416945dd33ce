#include "ui/UiColors.h"

#include <array>

namespace pm {

namespace {
// Indices $80000000 .. $80000018; the same values the imaging layer uses.
constexpr std::array<TColor, 25> kSystemColors = {
    RGBColor(192, 192, 192),  // scroll bar
    RGBColor(0, 128, 128),    // desktop
    RGBColor(0, 0, 128),      // active caption
    RGBColor(128, 128, 128),  // inactive caption
    RGBColor(192, 192, 192),  // menu
    RGBColor(255, 255, 255),  // window
    RGBColor(0, 0, 0),        // window frame
    RGBColor(0, 0, 0),        // menu text
    RGBColor(0, 0, 0),        // window text
    RGBColor(255, 255, 255),  // caption text
    RGBColor(192, 192, 192),  // active border
    RGBColor(192, 192, 192),  // inactive border
    RGBColor(128, 128, 128),  // application workspace
    RGBColor(0, 0, 128),      // highlight
    RGBColor(255, 255, 255),  // highlight text
    RGBColor(192, 192, 192),  // button face
    RGBColor(128, 128, 128),  // button shadow
    RGBColor(128, 128, 128),  // grey text
    RGBColor(0, 0, 0),        // button text
    RGBColor(192, 192, 192),  // inactive caption text
    RGBColor(255, 255, 255),  // button highlight
    RGBColor(0, 0, 0),        // 3-D dark shadow
    RGBColor(192, 192, 192),  // 3-D light
    RGBColor(0, 0, 0),        // tooltip text
    RGBColor(255, 255, 225),  // tooltip background
};
}  // namespace

TColor ResolveUiColor(TColor color) {
    if ((color & clSystemColorBase) == 0) return color & 0x00FFFFFF;
    std::uint32_t index = color & 0xFF;
    return index < kSystemColors.size() ? kSystemColors[index] : 0;
}

QColor ToQColor(TColor color) {
    TColor c = ResolveUiColor(color);
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& color) {
    return RGBColor(color.red(), color.green(), color.blue());
}

}  // namespace pm
