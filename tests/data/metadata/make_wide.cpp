// Writes wide.icc: an RGB profile with wide primaries (those of Adobe RGB)
// and a 2.2 gamma, described "Pixmill Wide RGB", so that converting to sRGB
// moves every saturated colour.
//   g++ make_wide.cpp -o /tmp/make_wide $(pkg-config --cflags --libs lcms2) && /tmp/make_wide
#include <lcms2.h>

int main() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Pixmill Wide RGB");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    const bool ok = cmsSaveProfileToFile(profile, "wide.icc");
    cmsMLUfree(text);
    cmsFreeToneCurve(gamma);
    cmsCloseProfile(profile);
    return ok ? 0 : 1;
}
