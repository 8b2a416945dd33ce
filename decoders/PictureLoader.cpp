#include "decoders/PictureLoader.h"

#include "core/StringUtils.h"
#include "decoders/Decoders.h"

#include <fstream>
#include <vector>

namespace pm {

TDecoderFn DecoderForExtension(const std::string& extension) {
    struct Binding {
        const char* ext;
        TDecoderFn fn;
    };
    // Readers that are not built yet are null: such files fail to load.
    static const Binding table[] = {
        {"BMP", nullptr},  {"RLE", nullptr},  {"DIB", nullptr},  {"ICO", DecodeIcon},  {"WMF", DecodeMetafile},
        {"EMF", DecodeMetafile},  {"JFIF", nullptr}, {"JPG", nullptr},  {"JPE", nullptr},  {"JPEG", nullptr},
        {"WIN", nullptr},  {"VST", nullptr},  {"VDA", nullptr},  {"TGA", nullptr},  {"ICB", nullptr},
        {"TIFF", DecodeTiff}, {"TIF", DecodeTiff},  {"FAX", DecodeTiff},  {"EPS", DecodeEps},  {"PCX", nullptr},
        {"PCC", nullptr},  {"SCR", nullptr},  {"RPF", nullptr},  {"RLA", nullptr},  {"SGI", nullptr},
        {"RGBA", nullptr}, {"RGB", nullptr},  {"BW", nullptr},   {"PSD", nullptr},  {"PDD", nullptr},
        {"PPM", nullptr},  {"PGM", nullptr},  {"PBM", nullptr},  {"CEL", nullptr},  {"PIC", nullptr},
        {"PCD", nullptr},  {"GIF", DecodeGif},  {"CUT", nullptr},  {"PSP", nullptr},  {"PNG", DecodePng},
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
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        error = "Cannot open file";
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff len = in.tellg();
    if (len < 0 || static_cast<std::uint64_t>(len) > kMaxImageFileBytes) {
        error = "File too large";
        return false;
    }
    in.seekg(0);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(len));
    if (len > 0 && !in.read(reinterpret_cast<char*>(data.data()), len)) {
        error = "Cannot read file";
        return false;
    }
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
