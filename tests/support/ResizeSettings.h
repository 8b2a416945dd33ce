#pragma once
// Setting up a resize task in tests: its target size and options in one call.
#include "tasks/PM__TResizeBitmap.h"

namespace pm::test {

struct Target {
    int w, h;
    TMetric wm = mPixel, hm = mPixel;
    bool keepRatio = true;
};

inline void Configure(TResizeBitmap& t, const Target& s, int method = 7, bool enlarge = false) {
    t.Width.SetValue(s.w, vsCurrent);
    t.Height.SetValue(s.h, vsCurrent);
    t.Width_Metric.SetValue(s.wm, vsCurrent);
    t.Height_Metric.SetValue(s.hm, vsCurrent);
    t.Preserve_Aspect_Ratio.SetValue(s.keepRatio, vsCurrent);
    t.Method.SetValue(method, vsCurrent);
    t.Allow_Image_Enlargement.SetValue(enlarge, vsCurrent);
}

}  // namespace pm::test
