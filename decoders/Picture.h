#pragma once
// What a decoder yields: a raster image, an icon or a metafile, each already
// rendered into a TFastDIB at the picture's own size.
#include "imaging/FastDIB.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pm {

enum class TPictureKind { Raster, Icon, Metafile };

struct TPicture {
    TPictureKind Kind = TPictureKind::Raster;
    // The decoded pixels in the depth closest to the file's own: 1, 4 or 8
    // bits with a palette (palette and grey images), 16 bits (5/5/5 or
    // 5/6/5), 24 bits, or 32 bits (the fourth byte, alpha or padding, is
    // dropped by the conversion to 24 bits).
    TFastDIB Image;
    // How the stored raster is turned to stand upright: the EXIF orientation
    // 1 to 8 (1: as stored). Readers give the raster as stored, never turned.
    int Orientation = 1;
    // Set when the reader decoded a smaller picture (TDecodeInput::ChooseScale):
    // each side divided by ScaleDivisor and rounded up; FullWidth and
    // FullHeight are then the stored size.
    int ScaleDivisor = 1;
    int FullWidth = 0;
    int FullHeight = 0;
    // The first comment segment of a JPEG file (read, not used further).
    std::string Comment;
    // What was wrong with a file that still gave every pixel (a size field
    // that disagrees with the data, a preview that is out of place ...), for
    // the loader to log after the picture. Each reason once, and only the
    // first few, so a file with a flaw in every row cannot flood the log.
    std::vector<std::string> Warnings;

    void Warn(const std::string& reason) {
        if (Warnings.size() >= kMaxWarnings) return;
        for (const std::string& w : Warnings)
            if (w == reason) return;
        Warnings.push_back(reason);
    }
    static constexpr std::size_t kMaxWarnings = 8;
};

// Asked by a reader that can decode 1/2, 1/4 or 1/8 of a picture's size
// cheaply (JPEG, straight from its DCT blocks) with the stored width and
// height once the header is read; returns the divisor of both sides (1, 2, 4
// or 8; anything else means 1).
using TScaleChooser = std::function<int(int width, int height)>;

// The bytes of one file. `FileName` lets a reader find companion files (a
// Dr. Halo palette) or hand the file to an external renderer.
struct TDecodeInput {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::string FileName;
    const TScaleChooser* ChooseScale = nullptr;
};

// Every reader has this shape: true with `out` filled, or false with a short
// reason in `error`. Readers never read outside the input and never allocate
// beyond the limits of imaging/Limits.h.
using TDecoderFn = bool (*)(const TDecodeInput& in, TPicture& out, std::string& error);

}  // namespace pm
