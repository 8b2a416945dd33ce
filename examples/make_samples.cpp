// Draws the sample images of the bundled example: a few gradients and
// patterns, saved as JPEG files and one 8-bit BMP, some in a subfolder so
// that the run shows the mirrored target tree.
//   pixmill-make-samples DIR
#include "imaging/FastDIB.h"
#include "encoders/JPEGImage.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using pm::TColorTriple;
using pm::TFastDIB;

std::uint8_t Clamp(double v) {
    return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
}

// An evening sky from deep blue to orange with a low sun.
TFastDIB Sunset() {
    const int w = 320, h = 200;
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y) {
        const double t = static_cast<double>(y) / (h - 1);  // 0 at the top
        TColorTriple* row = dib.Row24(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const double dx = x - 0.7 * w, dy = y - 0.78 * h;
            const double sun = std::exp(-(dx * dx + dy * dy) / 600.0);
            row[x] = {Clamp(120 * (1 - t) + 40 * t), Clamp(30 + 110 * t + 120 * sun),
                      Clamp(20 + 235 * t + 60 * sun)};
        }
    }
    return dib;
}

// A checkerboard whose squares shift through the hues.
TFastDIB Checker() {
    const int size = 256, cell = 32;
    TFastDIB dib;
    dib.SetSize(size, size, 24);
    for (int y = 0; y < size; ++y) {
        TColorTriple* row = dib.Row24(size - 1 - y);
        for (int x = 0; x < size; ++x) {
            const bool dark = ((x / cell) + (y / cell)) % 2 != 0;
            const double k = dark ? 0.35 : 1.0;
            row[x] = {Clamp(k * (255 - x)), Clamp(k * y), Clamp(k * x)};
        }
    }
    return dib;
}

// Concentric rings in an 8-bit palette image.
TFastDIB Rings() {
    const int w = 200, h = 150;
    TFastDIB dib;
    dib.SetSize(w, h, 8);
    for (int i = 0; i < 256; ++i) {
        const double a = i / 255.0 * 6.283185307179586;
        dib.Colors()[static_cast<std::size_t>(i)] = {Clamp(128 + 127 * std::cos(a)),
                                                     Clamp(128 + 127 * std::cos(a + 2.1)),
                                                     Clamp(128 + 127 * std::cos(a + 4.2)), 0};
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.Row(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const double r = std::hypot(x - w / 2.0, y - h / 2.0);
            row[x] = static_cast<std::uint8_t>(static_cast<int>(r * 4) & 0xFF);
        }
    }
    return dib;
}

// Crossing waves.
TFastDIB Waves() {
    const int w = 240, h = 160;
    TFastDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y) {
        TColorTriple* row = dib.Row24(h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const double v = std::sin(x / 11.0) + std::sin(y / 7.0) + std::sin((x + y) / 17.0);
            row[x] = {Clamp(200 - 30 * v), Clamp(90 + 50 * std::sin(v)), Clamp(128 + 40 * v)};
        }
    }
    return dib;
}

// The BMP file image of the program's own bitmap.
bool WriteBmp(const TFastDIB& dib, const fs::path& file) {
    std::vector<std::uint8_t> bytes;
    dib.SaveToStream(bytes);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Encoded with the program's own JPEG writer.
bool WriteJpeg(const TFastDIB& dib, const fs::path& file) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    pm::TJPEGImage jpeg;
    jpeg.CompressionQuality = 92;
    std::string error;
    const bool ok = jpeg.SaveToSink(
        dib,
        [&out](const std::uint8_t* data, std::size_t size) {
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
            return static_cast<bool>(out);
        },
        error);
    out.close();
    return ok && static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pixmill-make-samples DIR\n");
        return 2;
    }
    const fs::path dir = argv[1];
    std::error_code ec;
    fs::create_directories(dir / "patterns", ec);
    if (ec) {
        std::fprintf(stderr, "pixmill-make-samples: cannot create %s\n", (dir / "patterns").c_str());
        return 1;
    }
    bool ok = WriteJpeg(Sunset(), dir / "sunset.jpg");
    ok = WriteJpeg(Checker(), dir / "checker.jpg") && ok;
    ok = WriteBmp(Rings(), dir / "patterns" / "rings.bmp") && ok;  // 8-bit palette
    ok = WriteJpeg(Waves(), dir / "patterns" / "waves.jpg") && ok;
    if (!ok) {
        std::fprintf(stderr, "pixmill-make-samples: cannot write the samples into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
