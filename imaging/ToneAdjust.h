#pragma once
// Tone and colour corrections of a 24-bit picture in place: a tone curve
// the same for the three channels, then saturation, greyscale or sepia.
#include "imaging/FastDIB.h"

#include <array>
#include <cstdint>

namespace pm {

using TToneCurve = std::array<std::uint8_t, 256>;

struct TToneSettings {
    int Low = 0, High = 255;    // levels stretched onto 0 .. 255 first
    int Brightness = 0;         // -100 .. 100: percent of full scale added
    int Contrast = 0;           // -100 .. 100: slope 1 + c / 100 about mid-grey
    int GammaHundredths = 100;  // above 100 brightens the middle tones
};

enum class TColorMode { Color = 0, Greyscale = 1, Sepia = 2 };

// Levels, brightness, contrast and gamma in that order, each value rounded
// half to even once at the end.
TToneCurve MakeToneCurve(const TToneSettings& s);

// The levels that leave `clipTenthsPercent` tenths of a percent of all
// channel values of the picture below `low` and above `high` (the same for
// the three channels, so colours keep their balance). low >= high means the
// picture has no spread to stretch.
void AutoLevels(const TFastDIB& image, int clipTenthsPercent, int& low, int& high);

// The curve on every channel; then, with the luma Y = (77 R + 150 G + 29 B +
// 128) >> 8, each channel moved to Y + (C - Y) * saturation / 100, the
// three set to Y for greyscale, or the sepia tone of the result.
void AdjustTones(TFastDIB& image, const TToneCurve& curve, int saturationPercent, TColorMode mode);
// The same from `source` into `image`, shaped alike, a row at a time.
void AdjustTones(const TFastDIB& source, TFastDIB& image, const TToneCurve& curve, int saturationPercent,
                 TColorMode mode);

}  // namespace pm
