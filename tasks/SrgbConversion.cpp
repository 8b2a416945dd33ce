#include "tasks/SrgbConversion.h"

#include "decoders/LcmsBudget.h"

#include <lcms2.h>

#include <memory>

namespace pm {

namespace {

// What Little CMS may hold while it builds a transform from a profile: the
// profile's tables and the transform's own.
constexpr std::size_t kMaxTransformMemory = std::size_t(64) << 20;

struct TProfileClose {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using TProfile = std::unique_ptr<void, TProfileClose>;

}  // namespace

const std::vector<std::uint8_t>& SrgbProfileBytes() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> out;
        TProfile srgb(cmsCreate_sRGBProfile());
        cmsUInt32Number size = 0;
        if (srgb && cmsSaveProfileToMem(srgb.get(), nullptr, &size) && size > 0) {
            out.resize(size);
            if (!cmsSaveProfileToMem(srgb.get(), out.data(), &size)) out.clear();
        }
        return out;
    }();
    return bytes;
}

bool ConvertToSrgb(TFastDIB& dib, const std::vector<std::uint8_t>& profile, std::string& error) {
    if (profile.empty()) return true;
    if (dib.Bpp() != 24) {
        error = "Only 24-bit pictures are converted to sRGB.";
        return false;
    }
    const TLcmsBudget budget(kMaxTransformMemory);
    cmsContext ctx = budget.Context();
    TProfile source(
        ctx ? cmsOpenProfileFromMemTHR(ctx, profile.data(), static_cast<cmsUInt32Number>(profile.size()))
            : nullptr);
    TProfile srgb(ctx ? cmsCreate_sRGBProfileTHR(ctx) : nullptr);
    if (!source || !srgb || cmsGetColorSpace(source.get()) != cmsSigRgbData) {
        error = "The source's colour profile can't be used; the colours are not converted to sRGB.";
        return false;
    }
    // Memory order of the pixels is blue, green, red.
    cmsHTRANSFORM transform =
        cmsCreateTransformTHR(ctx, source.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    if (!transform) {
        error = "The source's colour profile can't be used; the colours are not converted to sRGB.";
        return false;
    }
    const cmsUInt32Number width = static_cast<cmsUInt32Number>(dib.Width());
    for (int y = 0; y < dib.Height(); ++y) cmsDoTransform(transform, dib.Row(y), dib.Row(y), width);
    cmsDeleteTransform(transform);
    return true;
}

}  // namespace pm
