// Writes test.icc: an RGB profile with sRGB's primaries and curve whose
// description is "Pixmill Test RGB", so a test can tell it from any other.
//   g++ make_profile.cpp -o /tmp/make_profile $(pkg-config --cflags --libs lcms2) && /tmp/make_profile
#include <lcms2.h>

int main() {
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", "Pixmill Test RGB");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    const bool ok = cmsSaveProfileToFile(profile, "test.icc");
    cmsMLUfree(text);
    cmsCloseProfile(profile);
    return ok ? 0 : 1;
}
