// Draws the sample images of the bundled example: a few gradients and
// patterns as 24-bit and 8-bit BMP files and one PNG, some in a subfolder so
// that the run shows the mirrored target tree.
//   pixmill-make-samples DIR
#include "imaging/FastDIB.h"

#include <png.h>

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

bool WriteBmp(const TFastDIB& dib, const fs::path& file) {
    std::vector<std::uint8_t> bytes;
    dib.SaveToStream(bytes);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
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

// Crossing waves, written as an RGB PNG.
bool WavesPng(const fs::path& file) {
    const int w = 240, h = 160;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double v = std::sin(x / 11.0) + std::sin(y / 7.0) + std::sin((x + y) / 17.0);
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
            p[0] = Clamp(128 + 40 * v);
            p[1] = Clamp(90 + 50 * std::sin(v));
            p[2] = Clamp(200 - 30 * v);
        }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, file.c_str(), 0, rgb.data(), w * 3, nullptr) != 0;
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
    bool ok = WriteBmp(Sunset(), dir / "sunset.bmp");
    ok = WriteBmp(Checker(), dir / "checker.bmp") && ok;
    ok = WriteBmp(Rings(), dir / "patterns" / "rings.bmp") && ok;
    ok = WavesPng(dir / "patterns" / "waves.png") && ok;
    if (!ok) {
        std::fprintf(stderr, "pixmill-make-samples: cannot write the samples into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
