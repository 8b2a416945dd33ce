#include "decoders/PictureLoader.h"

#include "core/StringUtils.h"
#include "decoders/Decoders.h"
#include "decoders/ExifOrientation.h"
#include "decoders/FileBytes.h"
#include "imaging/Orientation.h"
#include "imaging/PixelMemoryGate.h"

#include <exception>
#include <vector>

namespace pm {

namespace {

struct TBinding {
    const char* ext;
    TDecoderFn fn;
    // The name that leads the reader's reasons in the log ("GIF: ...").
    const char* format;
};

// PAL (listed with the Dr. Halo format) has no reader: such files fail to load.
const TBinding kBindings[] = {
    {"BMP", DecodeBmp, "BMP"},      {"RLE", DecodeBmp, "BMP"},      {"DIB", DecodeBmp, "BMP"},
    {"ICO", DecodeIcon, "ICO"},     {"WMF", DecodeMetafile, "WMF"}, {"EMF", DecodeMetafile, "EMF"},
    {"JFIF", DecodeJpeg, "JPEG"},   {"JPG", DecodeJpeg, "JPEG"},    {"JPE", DecodeJpeg, "JPEG"},
    {"JPEG", DecodeJpeg, "JPEG"},   {"WIN", DecodeTarga, "TGA"},    {"VST", DecodeTarga, "TGA"},
    {"VDA", DecodeTarga, "TGA"},    {"TGA", DecodeTarga, "TGA"},    {"ICB", DecodeTarga, "TGA"},
    {"TIFF", DecodeTiff, "TIFF"},   {"TIF", DecodeTiff, "TIFF"},    {"FAX", DecodeTiff, "TIFF"},
    {"EPS", DecodeEps, "EPS"},      {"PCX", DecodePcx, "PCX"},      {"PCC", DecodePcx, "PCX"},
    {"SCR", DecodePcx, "PCX"},      {"RPF", DecodeRla, "RLA"},      {"RLA", DecodeRla, "RLA"},
    {"SGI", DecodeSgi, "SGI"},      {"RGBA", DecodeSgi, "SGI"},     {"RGB", DecodeSgi, "SGI"},
    {"BW", DecodeSgi, "SGI"},       {"PSD", DecodePsd, "PSD"},      {"PDD", DecodePsd, "PSD"},
    {"PPM", DecodePnm, "PNM"},      {"PGM", DecodePnm, "PNM"},      {"PBM", DecodePnm, "PNM"},
    {"CEL", DecodeAutodesk, "CEL"}, {"PIC", DecodeAutodesk, "CEL"}, {"PCD", DecodePcd, "PCD"},
    {"GIF", DecodeGif, "GIF"},      {"CUT", DecodeCut, "CUT"},      {"PSP", DecodePsp, "PSP"},
    {"PNG", DecodePng, "PNG"},      {"HEIC", DecodeHeif, "HEIF"},   {"HEIF", DecodeHeif, "HEIF"},
    {"AVIF", DecodeHeif, "AVIF"},   {"WEBP", DecodeWebp, "WebP"},
};

const TBinding* BindingFor(const std::string& extension) {
    const std::string up = UpperCase(extension);
    for (const TBinding& b : kBindings)
        if (up == b.ext) return &b;
    return nullptr;
}

std::string ExtensionOf(const std::string& fileName) {
    std::size_t dot = fileName.find_last_of('.');
    std::size_t slash = fileName.find_last_of('/');
    return (dot == std::string::npos || (slash != std::string::npos && dot < slash))
               ? std::string()
               : fileName.substr(dot + 1);
}

// TIFF keeps the orientation in its own directory (its reader sets it).
bool UsesExifBlock(const TBinding& b) {
    return b.fn == DecodeJpeg || b.fn == DecodePng || b.fn == DecodeWebp;
}

int ExifOrientationOf(const TBinding& b, const std::vector<std::uint8_t>& data) {
    return UsesExifBlock(b) ? ReadExifOrientation(data.data(), data.size()) : 1;
}

}  // namespace

TDecoderFn DecoderForExtension(const std::string& extension) {
    const TBinding* b = BindingFor(extension);
    return b ? b->fn : nullptr;
}

std::string PictureFormatName(const std::string& fileName) {
    const TBinding* b = BindingFor(ExtensionOf(fileName));
    return b ? b->format : std::string();
}

bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error) {
    std::vector<std::uint8_t> data;
    return LoadPicture(fileName, out, error, data);
}

bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error,
                 std::vector<std::uint8_t>& data, const TShrinkRequest* shrink) {
    const std::string ext = ExtensionOf(fileName);
    const TBinding* binding = BindingFor(ext);
    if (!binding) {
        error = "Unknown picture file extension (." + ext + ")";
        return false;
    }
    data.clear();
    if (!ReadRegularFile(fileName, kMaxImageFileBytes, data, error, ThreadPixelMemoryGate())) return false;
    TDecodeInput input{data.data(), data.size(), fileName};
    const int orientation = ExifOrientationOf(*binding, data);
    // The reader sees the stored size; the caller chooses by the upright one.
    TScaleChooser stored;
    if (shrink && shrink->Choose) {
        const bool swap = shrink->Upright && OrientationSwapsSides(orientation);
        stored = [&shrink, swap](int w, int h) { return swap ? shrink->Choose(h, w) : shrink->Choose(w, h); };
        input.ChooseScale = &stored;
    }
    const std::string prefix = std::string(binding->format) + ": ";
    bool ok = false;
    try {
        out = TPicture();
        ok = binding->fn(input, out, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (ok) {
        if (UsesExifBlock(*binding)) out.Orientation = orientation;
        for (std::string& w : out.Warnings) w.insert(0, prefix);
        return true;
    }
    out.Warnings.clear();
    error.insert(0, prefix + (error.empty() ? "the file could not be decoded" : ""));
    return false;
}

}  // namespace pm
