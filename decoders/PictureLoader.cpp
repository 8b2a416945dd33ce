#include "decoders/PictureLoader.h"

#include "core/StringUtils.h"
#include "decoders/Decoders.h"
#include "decoders/FileBytes.h"
#include "imaging/PixelMemoryGate.h"

#include <vector>

namespace pm {

TDecoderFn DecoderForExtension(const std::string& extension) {
    struct Binding {
        const char* ext;
        TDecoderFn fn;
    };
    // PAL (listed with the Dr. Halo format) has no reader: such files fail to load.
    static const Binding table[] = {
        {"BMP", DecodeBmp},      {"RLE", DecodeBmp},      {"DIB", DecodeBmp},      {"ICO", DecodeIcon},
        {"WMF", DecodeMetafile}, {"EMF", DecodeMetafile}, {"JFIF", DecodeJpeg},    {"JPG", DecodeJpeg},
        {"JPE", DecodeJpeg},     {"JPEG", DecodeJpeg},    {"WIN", DecodeTarga},    {"VST", DecodeTarga},
        {"VDA", DecodeTarga},    {"TGA", DecodeTarga},    {"ICB", DecodeTarga},    {"TIFF", DecodeTiff},
        {"TIF", DecodeTiff},     {"FAX", DecodeTiff},     {"EPS", DecodeEps},      {"PCX", DecodePcx},
        {"PCC", DecodePcx},      {"SCR", DecodePcx},      {"RPF", DecodeRla},      {"RLA", DecodeRla},
        {"SGI", DecodeSgi},      {"RGBA", DecodeSgi},     {"RGB", DecodeSgi},      {"BW", DecodeSgi},
        {"PSD", DecodePsd},      {"PDD", DecodePsd},      {"PPM", DecodePnm},      {"PGM", DecodePnm},
        {"PBM", DecodePnm},      {"CEL", DecodeAutodesk}, {"PIC", DecodeAutodesk}, {"PCD", DecodePcd},
        {"GIF", DecodeGif},      {"CUT", DecodeCut},      {"PSP", DecodePsp},      {"PNG", DecodePng},
    };
    const std::string up = UpperCase(extension);
    for (const Binding& b : table)
        if (up == b.ext) return b.fn;
    return nullptr;
}

bool LoadPicture(const std::string& fileName, TPicture& out, std::string& error) {
    std::size_t dot = fileName.find_last_of('.');
    std::size_t slash = fileName.find_last_of('/');
    std::string ext = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                          ? std::string()
                          : fileName.substr(dot + 1);
    TDecoderFn fn = DecoderForExtension(ext);
    if (!fn) {
        error = "Unknown picture file extension (." + ext + ")";
        return false;
    }
    std::vector<std::uint8_t> data;
    if (!ReadRegularFile(fileName, kMaxImageFileBytes, data, error, ThreadPixelMemoryGate())) return false;
    TDecodeInput input{data.data(), data.size(), fileName};
    try {
        out = TPicture();
        return fn(input, out, error);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

}  // namespace pm
