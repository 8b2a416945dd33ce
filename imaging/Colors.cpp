#include "imaging/Colors.h"

#include <array>

namespace pm {

namespace {
constexpr TColor Rgb(int r, int g, int b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

// The classic desktop scheme, fixed so that drawings do not depend on the
// desktop theme of the machine that runs a batch.
constexpr std::array<TColor, kSystemColorCount> kSystemColors = {
    Rgb(192, 192, 192),  //  0 scroll bar
    Rgb(0, 128, 128),    //  1 desktop background
    Rgb(0, 0, 128),      //  2 active caption
    Rgb(128, 128, 128),  //  3 inactive caption
    Rgb(192, 192, 192),  //  4 menu
    Rgb(255, 255, 255),  //  5 window
    Rgb(0, 0, 0),        //  6 window frame
    Rgb(0, 0, 0),        //  7 menu text
    Rgb(0, 0, 0),        //  8 window text
    Rgb(255, 255, 255),  //  9 caption text
    Rgb(192, 192, 192),  // 10 active border
    Rgb(192, 192, 192),  // 11 inactive border
    Rgb(128, 128, 128),  // 12 application workspace
    Rgb(0, 0, 128),      // 13 highlight
    Rgb(255, 255, 255),  // 14 highlight text
    Rgb(192, 192, 192),  // 15 button face
    Rgb(128, 128, 128),  // 16 button shadow
    Rgb(128, 128, 128),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(192, 192, 192),  // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 button highlight
    Rgb(0, 0, 0),        // 21 3-D dark shadow
    Rgb(192, 192, 192),  // 22 3-D light
    Rgb(0, 0, 0),        // 23 tooltip text
    Rgb(255, 255, 225),  // 24 tooltip background
    Rgb(0, 0, 0),        // 25 unused
    Rgb(0, 0, 128),      // 26 hot-tracked item
    Rgb(0, 0, 128),      // 27 active caption gradient end
    Rgb(128, 128, 128),  // 28 inactive caption gradient end
    Rgb(0, 0, 128),      // 29 highlighted menu item
    Rgb(192, 192, 192),  // 30 menu bar
};
}  // namespace

TColor SystemColor(int index) {
    if (index < 0 || index >= kSystemColorCount) return 0;
    return kSystemColors[static_cast<std::size_t>(index)];
}

TColor ResolveColor(TColor color) {
    if (color & clSystemColorBase) return SystemColor(static_cast<int>(color & 0xFF));
    return color;
}

TColorTriple ColorToTriple(TColor color) {
    return RawColorToTriple(ResolveColor(color));
}

}  // namespace pm
